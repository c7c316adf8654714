#!/usr/bin/python3
"""Builds the unsigned release package with cpack into a scratch folder and checks what it holds:
exactly the shipped program and its plan, the Windows readme, the license and the examples' sources, all text
with Windows line ends, under one top-level folder named like the zip; and that the examples build
from the zip's copies, the NSIS ones into the very installers the build made.

    check_package.py CPACK CPackConfig.cmake PACKAGE-NAME PROGRAM.exe PLAN.exe SOURCE_DIR
                     BUILT_EXAMPLES_DIR MAKENSIS WIXL
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

EXAMPLES = ('tessaline.nsi', 'vek473u.nsi', 'vek473.wxs', 'payload/Tessaline.txt',
            'payload/Tessaline.ini', 'payload/vek473u.txt', 'payload/vek473.txt')
# Each text file in the zip and its source in the repository.
TEXTS = {'README.txt': 'packaging/README-windows.txt', 'LICENSE.txt': 'LICENSE',
         **{f'examples/{example}': f'examples/{example}' for example in EXAMPLES}}


def read(path):
    with open(path, 'rb') as file:
        return file.read()


def build_examples(examples, built, makensis, wixl):
    """Builds the example packages in the unpacked zip's examples folder, as a vendor would."""
    for command in ([makensis, '-V1', 'tessaline.nsi'], [makensis, '-V1', 'vek473u.nsi'],
                    [wixl, '-D', 'Win64=no', '-o', 'vek473.msi', 'vek473.wxs']):
        run = subprocess.run(command, cwd=examples, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if run.returncode != 0:
            return [f'{" ".join(command[1:])} fails on the zip\'s copy:\n{run.stdout}']
    return [f'{installer} made from the zip differs from the one the build made'
            for installer in ('tessaline-setup.exe', 'vek473u-setup.exe')
            if read(os.path.join(examples, installer)) != read(os.path.join(built, installer))]


def main():
    if len(sys.argv) != 10:
        sys.exit(__doc__)
    cpack, config, name, program, plan, source_dir, built_examples, makensis, wixl = sys.argv[1:]
    scratch = tempfile.mkdtemp(prefix='package-check-')
    problems = []
    try:
        unsigned = {name: value for name, value in os.environ.items() if not name.startswith('LAUNCHER_SIGN_')}
        run = subprocess.run([cpack, '--config', config, '-B', scratch],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=unsigned)
        if run.returncode != 0:
            sys.exit('cpack failed:\n' + run.stdout)
        zips = sorted(entry for entry in os.listdir(scratch) if entry.endswith('.zip'))
        if zips != [name + '.zip']:
            sys.exit(f'cpack made {zips}, expected [{name}.zip]')
        path = os.path.join(scratch, zips[0])
        with zipfile.ZipFile(path) as package:
            files = sorted(entry for entry in package.namelist() if not entry.endswith('/'))
            expected = sorted(f'{name}/{entry}' for entry in ('uninstall-launcher.exe', 'uninstall-launcher-plan.exe', *TEXTS))
            if files != expected:
                sys.exit(f'the package holds {files}, expected exactly {expected}')
            for entry, built in (('uninstall-launcher.exe', program), ('uninstall-launcher-plan.exe', plan)):
                if package.read(f'{name}/{entry}') != read(built):
                    problems.append(f'the packaged {entry} differs from the built one')
            for entry, source_name in TEXTS.items():
                text = package.read(f'{name}/{entry}')
                wanted = read(os.path.join(source_dir, source_name)).replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')
                if text != wanted:
                    problems.append(f'{entry} is not {source_name} with CRLF line ends')
                if any(byte > 0x7F for byte in text):
                    problems.append(f'{entry} holds non-ASCII bytes')
            package.extractall(scratch)
        problems += build_examples(os.path.join(scratch, name, 'examples'), built_examples, makensis, wixl)
        print(f'{zips[0]}: {os.path.getsize(path)} bytes, holding ' + ', '.join(files))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    for problem in problems:
        print('PROBLEM: ' + problem)
    sys.exit(1 if problems else 0)


if __name__ == '__main__':
    main()
