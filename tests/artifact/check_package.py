#!/usr/bin/python3
"""Builds the unsigned release package with cpack into a scratch folder and checks what it holds:
exactly the shipped program, the Windows readme and the license, under one top-level folder named
like the zip.

    check_package.py CPACK CPackConfig.cmake PACKAGE-NAME PROGRAM.exe README-windows.txt LICENSE
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile


def main():
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    cpack, config, name, program, readme, license_text = sys.argv[1:]
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
            shipped = ('uninstall-launcher.exe', 'README.txt', 'LICENSE.txt')
            expected = sorted(f'{name}/{entry}' for entry in shipped)
            if files != expected:
                sys.exit(f'the package holds {files}, expected exactly {expected}')
            with open(program, 'rb') as built:
                if package.read(f'{name}/uninstall-launcher.exe') != built.read():
                    problems.append('the packaged program differs from the built one')
            for entry, source_path in (('README.txt', readme), ('LICENSE.txt', license_text)):
                text = package.read(f'{name}/{entry}')
                with open(source_path, 'rb') as source:
                    wanted = source.read().replace(b'\n', b'\r\n')
                if text != wanted:
                    problems.append(f'{entry} is not {source_path} with CRLF line ends')
                if any(byte > 0x7F for byte in text):
                    problems.append(f'{entry} holds non-ASCII bytes')
        print(f'{zips[0]}: {os.path.getsize(path)} bytes, holding ' + ', '.join(files))
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    for problem in problems:
        print('PROBLEM: ' + problem)
    sys.exit(1 if problems else 0)


if __name__ == '__main__':
    main()
