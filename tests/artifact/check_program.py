#!/usr/bin/python3
"""Checks the shipped program: what a clean 32-bit Windows needs to load it, and nothing more.
With --plan, the plan beside it: a console program of the same kind that only reads.

    check_program.py PROGRAM.exe
    check_program.py --plan PLAN.exe

Prints the program's size and every problem found; exits 1 when there is a problem.
"""
import re
import struct
import sys

import pefile

SIZE_BUDGET = 16 * 1024  # start-up, protected folders, folder and program checks, event record, lookup
ALLOWED_IMPORTS = {'kernel32.dll', 'advapi32.dll', 'shell32.dll', 'user32.dll', 'msvcrt.dll'}
# What the runtime's start-up and exit machinery imports; the program starts itself and needs none.
RUNTIME_START_UP_IMPORTS = {
    '__getmainargs', '__initenv', '__p__acmdln', '__p__commode', '__p__fmode', '__set_app_type',
    '__setusermatherr', '_amsg_exit', '_cexit', '_initterm', '_onexit', 'abort', 'atexit', 'exit',
    'signal', 'malloc', 'calloc', 'free', 'SetUnhandledExceptionFilter', 'TlsGetValue',
    'VirtualProtect', 'VirtualQuery', 'InitializeCriticalSection', 'DeleteCriticalSection',
    'EnterCriticalSection', 'LeaveCriticalSection'}
# Unwind tables and the runtime's constructor and thread-local sections (names cut to 8 bytes).
UNWANTED_SECTIONS = {'.eh_fram', '.pdata', '.xdata', '.CRT', '.tls'}
ICON_GROUP_ID = 101
# The plan must not be able to start, delete, write or show anything.
PLAN_ALLOWED_IMPORTS = ALLOWED_IMPORTS - {'user32.dll'}
ACTING_IMPORTS = re.compile(
    r'^(CreateProcess|ShellExecute|WinExec|SHFileOperation|MessageBox|RemoveDirectory|DeleteFile|'
    r'MoveFile|CopyFile|CreateDirectory|RegSetValue|RegCreateKey|RegDeleteKey|RegDeleteValue|'
    r'RegDeleteTree|ReportEvent|RegisterEventSource|SetFileAttributes|SetFileSecurity|'
    r'SetSecurityInfo|SetNamedSecurityInfo)')
RT_MANIFEST = 24

IMAGE_FILE_MACHINE_I386 = 0x014C
PE32_MAGIC = 0x010B
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
SUBSYSTEM_WINDOWS_GUI = 2
SUBSYSTEM_WINDOWS_CUI = 3
DYNAMIC_BASE = 0x0040
NX_COMPAT = 0x0100
TERMINAL_SERVER_AWARE = 0x8000
RT_ICON = 3
RT_GROUP_ICON = 14


def header_problems(pe, subsystem=SUBSYSTEM_WINDOWS_GUI):
    problems = []
    if pe.FILE_HEADER.Machine != IMAGE_FILE_MACHINE_I386:
        problems.append(f'machine is {pe.FILE_HEADER.Machine:#06x}, not i386 (0x014c)')
    if pe.OPTIONAL_HEADER.Magic != PE32_MAGIC:
        problems.append(f'optional header magic is {pe.OPTIONAL_HEADER.Magic:#06x}, not PE32 (0x010b)')
    if pe.OPTIONAL_HEADER.Subsystem != subsystem:
        wanted = 'the Windows GUI (2)' if subsystem == SUBSYSTEM_WINDOWS_GUI else 'the console (3)'
        problems.append(f'subsystem is {pe.OPTIONAL_HEADER.Subsystem}, not {wanted}')
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    if not flags & DYNAMIC_BASE:
        problems.append('ASLR flag DYNAMIC_BASE is not set')
    if not flags & NX_COMPAT:
        problems.append('DEP flag NX_COMPAT is not set')
    # Without it a Remote Desktop host may give the program a user's private Windows folder.
    if not flags & TERMINAL_SERVER_AWARE:
        problems.append('flag TERMINAL_SERVER_AWARE is not set')
    # Without base relocations the loader cannot move the image, whatever DYNAMIC_BASE says.
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_BASERELOC']]
    if pe.FILE_HEADER.Characteristics & IMAGE_FILE_RELOCS_STRIPPED or relocations.Size == 0:
        problems.append('base relocations are stripped, so ASLR cannot move the image')
    return problems


def import_problems(pe):
    problems = []
    imported = [entry.dll.decode('ascii', 'replace') for entry in getattr(pe, 'DIRECTORY_ENTRY_IMPORT', [])]
    if not imported:
        problems.append('no import table')
    extra = sorted(name for name in imported if name.lower() not in ALLOWED_IMPORTS)
    if extra:
        problems.append('imports from DLLs outside KERNEL32, ADVAPI32, SHELL32, USER32, msvcrt: ' + ', '.join(extra))
    start_up = sorted(imported_function.name.decode('ascii', 'replace')
                      for entry in getattr(pe, 'DIRECTORY_ENTRY_IMPORT', [])
                      for imported_function in entry.imports
                      if imported_function.name and imported_function.name.decode('ascii', 'replace')
                      in RUNTIME_START_UP_IMPORTS)
    if start_up:
        problems.append("imports of the runtime's start-up: " + ', '.join(start_up))
    if hasattr(pe, 'DIRECTORY_ENTRY_DELAY_IMPORT'):
        names = [entry.dll.decode('ascii', 'replace') for entry in pe.DIRECTORY_ENTRY_DELAY_IMPORT]
        problems.append('delay-loaded imports: ' + ', '.join(names))
    return problems, imported


def section_problems(pe):
    names = [section.Name.rstrip(b'\0').decode('ascii', 'replace') for section in pe.sections]
    unwanted = [name for name in names if name in UNWANTED_SECTIONS]
    if unwanted:
        return ['unwind tables or runtime sections: ' + ', '.join(unwanted)]
    return []


def single_resource(type_entry, what):
    """The data entry of a resource type that must hold exactly one resource in one language."""
    if len(type_entry.directory.entries) != 1:
        ids = [entry.id if entry.id is not None else str(entry.name) for entry in type_entry.directory.entries]
        return None, None, f'{what}: {len(ids)} resources ({ids}), not exactly one'
    resource = type_entry.directory.entries[0]
    languages = resource.directory.entries
    if len(languages) != 1:
        return None, None, f'{what} {resource.id}: {len(languages)} languages, not exactly one'
    return resource, languages[0].data.struct, None


def resource_problems(pe):
    if not hasattr(pe, 'DIRECTORY_ENTRY_RESOURCE'):
        return ['no resources, so no application icon']
    types = {}
    problems = []
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if entry.id is None:
            problems.append(f'resource type named {entry.name}, not an icon')
        else:
            types[entry.id] = entry
    extra = sorted(set(types) - {RT_ICON, RT_GROUP_ICON})
    if extra:
        labels = [pefile.RESOURCE_TYPE.get(type_id, str(type_id)) for type_id in extra]
        problems.append('resources other than the icon: ' + ', '.join(labels))
    if RT_GROUP_ICON not in types or RT_ICON not in types:
        problems.append('the icon group or its image is missing')
        return problems

    group, group_data, problem = single_resource(types[RT_GROUP_ICON], 'icon groups')
    if problem:
        return problems + [problem]
    if group.id != ICON_GROUP_ID:
        problems.append(f'the icon group is {group.id if group.id is not None else group.name}, not {ICON_GROUP_ID}')
    raw = pe.get_data(group_data.OffsetToData, group_data.Size)
    reserved, kind, count = struct.unpack_from('<HHH', raw)
    if reserved != 0 or kind != 1 or count != 1 or len(raw) != 6 + 14:
        return problems + [f'the icon group holds {count} images (type {kind}), not exactly one icon']
    width, height, colours, _, planes, bits, size, image_id = struct.unpack_from('<BBBBHHIH', raw, 6)
    if (width, height, colours, bits) != (32, 32, 16, 4):
        problems.append(f'the icon group lists a {width}x{height} image with {colours} colours '
                        f'at {bits} bits, not 32x32 with 16 colours at 4 bits')

    image, image_data, problem = single_resource(types[RT_ICON], 'icon images')
    if problem:
        return problems + [problem]
    if image.id != image_id:
        problems.append(f'the icon group points to image {image_id}, but the image is {image.id}')
    pixels = pe.get_data(image_data.OffsetToData, image_data.Size)
    header_size, bitmap_width, bitmap_height, _, bitmap_bits = struct.unpack_from('<IiiHH', pixels)
    if image_data.Size != size:
        problems.append(f'the icon image has {image_data.Size} bytes, the group says {size}')
    if (header_size, bitmap_width, bitmap_height, bitmap_bits) != (40, 32, 64, 4):
        problems.append(f'the icon image is a {bitmap_width}x{bitmap_height // 2} bitmap at {bitmap_bits} bits, '
                        'not a 32x32 bitmap with 16 colours')
    return problems


def check(path):
    """Returns (problems, facts) for the program at path."""
    with open(path, 'rb') as program:
        data = program.read()
    try:
        pe = pefile.PE(data=data)
    except pefile.PEFormatError as error:
        return [f'not a PE image: {error}'], {'size': len(data), 'imports': []}
    problems = header_problems(pe)
    more, imported = import_problems(pe)
    problems += more
    problems += section_problems(pe)
    problems += resource_problems(pe)
    if len(data) > SIZE_BUDGET:
        problems.append(f'size {len(data)} bytes is over the budget of {SIZE_BUDGET} bytes')
    return problems, {'size': len(data), 'imports': imported}


def plan_problems(pe):
    """The plan: a console program, system DLLs but no USER32, no acting call, asInvoker."""
    problems = header_problems(pe, SUBSYSTEM_WINDOWS_CUI)
    more, imported = import_problems(pe)
    problems += [problem for problem in more if not problem.startswith('imports from DLLs outside')]
    extra = sorted(name for name in imported if name.lower() not in PLAN_ALLOWED_IMPORTS)
    if extra:
        problems.append('imports from DLLs outside KERNEL32, ADVAPI32, SHELL32, msvcrt: ' + ', '.join(extra))
    acting = sorted(function.name.decode('ascii', 'replace')
                    for entry in getattr(pe, 'DIRECTORY_ENTRY_IMPORT', []) for function in entry.imports
                    if function.name and ACTING_IMPORTS.match(function.name.decode('ascii', 'replace')))
    if acting:
        problems.append('imports calls that act: ' + ', '.join(acting))
    problems += section_problems(pe)
    types = {entry.id: entry for entry in getattr(pe, 'DIRECTORY_ENTRY_RESOURCE', None).entries} \
        if hasattr(pe, 'DIRECTORY_ENTRY_RESOURCE') else {}
    if RT_MANIFEST not in types:
        return problems + ['no manifest, so Windows may take it for an installer and ask to elevate'], imported
    _, manifest, problem = single_resource(types[RT_MANIFEST], 'manifests')
    if problem:
        return problems + [problem], imported
    text = pe.get_data(manifest.OffsetToData, manifest.Size).decode('utf-8', 'replace')
    if not re.search(r'<requestedExecutionLevel\s+level="asInvoker"', text):
        problems.append('the manifest does not ask for asInvoker')
    return problems, imported


def main_plan(path):
    with open(path, 'rb') as program:
        data = program.read()
    try:
        problems, imported = plan_problems(pefile.PE(data=data))
    except pefile.PEFormatError as error:
        problems, imported = [f'not a PE image: {error}'], []
    print(f'{path}: {len(data)} bytes; imports: ' + ', '.join(imported))
    for problem in problems:
        print('PROBLEM: ' + problem)
    sys.exit(1 if problems else 0)


def main():
    if len(sys.argv) == 3 and sys.argv[1] == '--plan':
        main_plan(sys.argv[2])
    if len(sys.argv) != 2:
        sys.exit('usage: check_program.py PROGRAM.exe | --plan PLAN.exe')
    problems, facts = check(sys.argv[1])
    size = facts['size']
    print(f'{sys.argv[1]}: {size} bytes ({size / 1024:.1f} KiB) of a {SIZE_BUDGET}-byte budget')
    print('imports: ' + ', '.join(facts['imports']))
    for problem in problems:
        print('PROBLEM: ' + problem)
    sys.exit(1 if problems else 0)


if __name__ == '__main__':
    main()
