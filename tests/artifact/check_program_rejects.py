#!/usr/bin/python3
"""Proves that every check of check_program.py catches its fault: each case damages one property
of a copy of the shipped program and expects exactly that problem to be reported.

    check_program_rejects.py PROGRAM.exe
"""
import os
import struct
import sys
import tempfile

import pefile

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_program  # noqa: E402


def set_header(field_owner, field, value):
    def mutate(pe):
        setattr(getattr(pe, field_owner), field, value)
    return mutate


def clear_flag(flag):
    def mutate(pe):
        pe.OPTIONAL_HEADER.DllCharacteristics &= ~flag
    return mutate


def strip_relocations(pe):
    pe.FILE_HEADER.Characteristics |= check_program.IMAGE_FILE_RELOCS_STRIPPED


def import_entry(pe, dll):
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        if entry.dll.lower() == dll.lower():
            return entry
    raise AssertionError(f'{dll} is not imported')


def rename_import(old, new):
    assert len(old) == len(new)

    def mutate(pe):
        pe.set_bytes_at_rva(import_entry(pe, old).struct.Name, new)
    return mutate


def rename_first_import_of(dll, new):
    """Overwrites the name of the first function imported from dll, padding with NULs."""
    def mutate(pe):
        imported = import_entry(pe, dll).imports[0]
        assert len(new) <= len(imported.name)
        pe.set_bytes_at_offset(imported.name_offset, new.ljust(len(imported.name), b'\0'))
    return mutate


def rename_section(old, new):
    def mutate(pe):
        for section in pe.sections:
            if section.Name.rstrip(b'\0') == old:
                section.Name = new
                return
        raise AssertionError(f'no section {old}')
    return mutate


def resource_type(type_id):
    def find(pe):
        for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
            if entry.id == type_id:
                return entry
        raise AssertionError(f'no resource type {type_id}')
    return find


def retype_resource(old_type, new_type):
    def mutate(pe):
        resource_type(old_type)(pe).struct.Name = new_type
    return mutate


def renumber_group(new_id):
    def mutate(pe):
        resource_type(check_program.RT_GROUP_ICON)(pe).directory.entries[0].struct.Name = new_id
    return mutate


def patch_group_entry(offset, fmt, value):
    """Overwrites a field of the icon group's single directory entry (which starts at byte 6)."""
    def mutate(pe):
        language = resource_type(check_program.RT_GROUP_ICON)(pe).directory.entries[0].directory.entries[0]
        pe.set_bytes_at_rva(language.data.struct.OffsetToData + 6 + offset, struct.pack(fmt, value))
    return mutate


def patch_image_bits(bits):
    def mutate(pe):
        language = resource_type(check_program.RT_ICON)(pe).directory.entries[0].directory.entries[0]
        pe.set_bytes_at_rva(language.data.struct.OffsetToData + 14, struct.pack('<H', bits))
    return mutate


CASES = [
    ('64-bit machine', set_header('FILE_HEADER', 'Machine', 0x8664), 'not i386'),
    ('console subsystem', set_header('OPTIONAL_HEADER', 'Subsystem', 3), 'not the Windows GUI'),
    ('no ASLR flag', clear_flag(check_program.DYNAMIC_BASE), 'DYNAMIC_BASE'),
    ('no DEP flag', clear_flag(check_program.NX_COMPAT), 'NX_COMPAT'),
    ('not Terminal Server aware', clear_flag(check_program.TERMINAL_SERVER_AWARE),
     'TERMINAL_SERVER_AWARE'),
    ('relocations stripped', strip_relocations, 'base relocations'),
    ('import from a DLL outside the list', rename_import(b'SHELL32.dll', b'SHLWAPI.dll'), 'SHLWAPI.dll'),
    ('heap of the runtime imported', rename_first_import_of(b'msvcrt.dll', b'free'), "runtime's start-up"),
    ('exit handling of the runtime imported', rename_first_import_of(b'KERNEL32.dll', b'TlsGetValue'),
     "runtime's start-up"),
    ('unwind tables', rename_section(b'.rdata', b'.eh_fram'), 'unwind tables'),
    ('thread-local section of the runtime', rename_section(b'.rdata', b'.tls'), 'runtime sections'),
    ('icon image turned into a version block', retype_resource(3, 16), 'RT_VERSION'),
    ('icon image turned into a manifest', retype_resource(3, 24), 'RT_MANIFEST'),
    ('icon group turned into a dialog', retype_resource(14, 5), 'RT_DIALOG'),
    ('icon group renumbered', renumber_group(102), 'not 101'),
    ('icon group lists a 48x48 image', patch_group_entry(0, '<B', 48), 'not 32x32'),
    ('icon group lists a 256-colour image', patch_group_entry(2, '<B', 0), 'not 32x32'),
    ('icon image at 8 bits', patch_image_bits(8), 'not a 32x32 bitmap'),
]


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: check_program_rejects.py PROGRAM.exe')
    with open(sys.argv[1], 'rb') as program:
        original = program.read()
    handle, scratch = tempfile.mkstemp(suffix='.exe')
    os.close(handle)
    failures = 0
    try:
        problems, _ = check_program.check(sys.argv[1])
        if problems:
            print('the undamaged program already fails: ' + '; '.join(problems))
            failures += 1
        for name, mutate, expected in CASES:
            pe = pefile.PE(data=original)
            mutate(pe)
            damaged = bytes(pe.write())
            with open(scratch, 'wb') as out:
                out.write(damaged)
            found = check_program.check(scratch)[0]
            caught = [problem for problem in found if expected in problem]
            print(f"{'caught' if caught else 'MISSED'}: {name}: {'; '.join(found) or 'no problem reported'}")
            failures += not caught
        with open(scratch, 'wb') as out:
            out.write(original + bytes(check_program.SIZE_BUDGET - len(original) + 1))
        found = check_program.check(scratch)[0]
        caught = [problem for problem in found if 'over the budget' in problem]
        print(f"{'caught' if caught else 'MISSED'}: one byte over the size budget: {'; '.join(found)}")
        failures += not caught
    finally:
        if os.path.exists(scratch):
            os.remove(scratch)
    sys.exit(1 if failures else 0)


if __name__ == '__main__':
    main()
