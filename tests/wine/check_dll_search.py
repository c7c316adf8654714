#!/usr/bin/python3
"""Reads a Wine +loaddll,+relay log of one launcher run and checks that the program's first calls
restrict the DLL search to the system folder: before anything else it makes only the look-up
calls, then SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32).

    check_dll_search.py RELAY.log
"""
import re
import sys

LOOK_UP = {'KERNEL32.GetModuleHandleA', 'KERNEL32.GetProcAddress'}
RESTRICT = 'KERNEL32.SetDefaultDllDirectories(00000800)'


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], errors='replace') as log:
        lines = log.read().splitlines()
    loaded = [re.match(r'([0-9a-f]+):.*Loaded L"[^"]*uninstall-launcher\.exe" at ([0-9A-Fa-f]+)', line)
              for line in lines]
    loaded = [match for match in loaded if match]
    if not loaded:
        sys.exit('the log does not show the launcher being loaded')
    thread, base = loaded[0].group(1), int(loaded[0].group(2), 16)
    # Calls made by the program itself: from its thread, returning into its image.
    calls = []
    for line in lines:
        match = re.match(thread + r':Call ([\w.]+)(\(.*\)) ret=([0-9a-f]+)$', line)
        if match and base <= int(match.group(3), 16) < base + 0x100000:
            calls.append((match.group(1), match.group(1) + match.group(2)))
    print('first calls of the program: ' + '; '.join(call for _, call in calls[:4]))
    for name, call in calls:
        if call.startswith(RESTRICT):
            print('the DLL search is restricted to the system folder first')
            return
        if name not in LOOK_UP:
            sys.exit(f'the program calls {call} before restricting the DLL search')
    sys.exit('the program never calls ' + RESTRICT)


if __name__ == '__main__':
    main()
