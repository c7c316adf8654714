#!/usr/bin/python3
"""Builds the shipped program and its zip twice from copies of the sources in two unrelated
folders, seconds apart, and checks that both builds, and the one under test, are byte for byte the
same; then that a zip packed with SOURCE_DATE_EPOCH carries that date and nothing of the machine
(owners, access times).

    check_reproducible.py CMAKE CPACK SOURCE_DIR TOOLCHAIN_FILE PROGRAM.exe
"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

EPOCH = 1700000000  # 2023-11-14 22:13:20 UTC


def run(command, environment):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            env=environment)
    if result.returncode != 0:
        sys.exit(f'{" ".join(command)} failed:\n{result.stdout}')


def pack(cpack, binary, out, environment):
    run([cpack, '--config', os.path.join(binary, 'CPackConfig.cmake'), '-B', out], environment)
    zips = [name for name in os.listdir(out) if name.endswith('.zip')]
    if len(zips) != 1:
        sys.exit(f'cpack in {out} made {zips}, not one zip')
    return os.path.join(out, zips[0])


def build(cmake, cpack, source, toolchain, folder, environment):
    """Copies the sources into folder, builds the program and packs it; returns (program, zip)."""
    tree = os.path.join(folder, 'sources')
    shutil.copytree(source, tree, symlinks=True,
                    ignore=lambda where, names: [n for n in names if where == source and n in ('build', '.git')])
    binary = os.path.join(folder, 'build')
    toolchain = os.path.join(tree, os.path.relpath(toolchain, source))
    run([cmake, '-S', tree, '-B', binary, '-G', 'Unix Makefiles', '-DCMAKE_BUILD_TYPE=Release',
         f'-DCMAKE_TOOLCHAIN_FILE={toolchain}', '-DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON'], environment)
    run([cmake, '--build', binary, '--target', 'uninstall-launcher', '-j2'], environment)
    return os.path.join(binary, 'uninstall-launcher.exe'), pack(cpack, binary, os.path.join(folder, 'out'), environment)


def digest(path):
    with open(path, 'rb') as file:
        return hashlib.sha256(file.read()).hexdigest()


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    cmake, cpack, source, toolchain, program = sys.argv[1:]
    environment = {name: value for name, value in os.environ.items()
                   if not name.startswith('LAUNCHER_SIGN_') and name != 'SOURCE_DATE_EPOCH'}
    scratch = tempfile.mkdtemp(prefix='reproducible-')
    problems = []
    try:
        first = build(cmake, cpack, source, toolchain, os.path.join(scratch, 'a'), environment)
        second = build(cmake, cpack, source, toolchain,
                       os.path.join(scratch, 'a second, longer folder', 'below'), environment)
        for what, one, other in (('program', first[0], second[0]), ('zip', first[1], second[1]),
                                 ('program under test', program, first[0])):
            print(f'{what}: {digest(one)} {digest(other)} ({os.path.getsize(one)} bytes)')
            if digest(one) != digest(other):
                problems.append(f'the two builds give different {what}s: {one} and {other}')
        dated = pack(cpack, os.path.join(scratch, 'a', 'build'), os.path.join(scratch, 'dated'),
                     dict(environment, SOURCE_DATE_EPOCH=str(EPOCH)))
        with zipfile.ZipFile(dated) as package:
            dates = {info.date_time for info in package.infolist()}
            extras = {info.filename: info.extra.hex() for info in package.infolist() if info.extra}
        if dates != {time.gmtime(EPOCH)[:6]}:
            problems.append(f'zip entries dated {sorted(dates)}, not SOURCE_DATE_EPOCH {EPOCH}')
        if extras:
            problems.append(f'zip entries carry owner or time fields of this machine: {extras}')
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    for problem in problems:
        print('PROBLEM: ' + problem)
    sys.exit(1 if problems else 0)


if __name__ == '__main__':
    main()
