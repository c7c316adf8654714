#!/usr/bin/python3
"""Checks of the release: check_release.py CASE CMAKE CPACK SOURCE_DIR BUILD_DIR OPENSSL OSSLSIGNCODE

  reproducible    two builds from copies of the sources in unrelated folders, seconds apart, give
                  the program under test and the same zip; SOURCE_DATE_EPOCH dates the zip, which
                  keeps nothing of the machine (owners, access times)
  signed          cpack signs with a certificate made here (SHA-256), it verifies, and without the
                  signature the program is the built one
  damaged         one changed byte of code in the signed program fails verification
  wrong_password  an unusable certificate fails cpack, saying so plainly, instead of giving an
                  unsigned release, and removes the zip of an earlier run
"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

import pefile

EPOCH = 1700000000
PASSWORD = 'test password, not a secret'


def run(command, environment=None, check=True):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=environment)
    if check and result.returncode != 0:
        sys.exit(f'{" ".join(command)} failed:\n{result.stdout}')
    return result


def pack(cpack, build, out, environment, check=True):
    """Runs cpack on a build folder; returns (result, the zip's path)."""
    result = run([cpack, '--config', os.path.join(build, 'CPackConfig.cmake'), '-B', out], environment, check)
    zips = [name for name in os.listdir(out) if name.endswith('.zip')] if os.path.isdir(out) else []
    return result, os.path.join(out, zips[0]) if len(zips) == 1 else None


def read(path):
    with open(path, 'rb') as file:
        return file.read()


def build_copy(cmake, cpack, source, folder, environment):
    """Builds the program and its zip from a copy of the sources; returns (program, zip)."""
    tree, build = os.path.join(folder, 'sources'), os.path.join(folder, 'build')
    shutil.copytree(source, tree, ignore=lambda at, names: {'build', '.git'} & set(names) if at == source else [])
    run([cmake, '-S', tree, '-B', build, '-G', 'Unix Makefiles', '-DCMAKE_BUILD_TYPE=Release',
         f'-DCMAKE_TOOLCHAIN_FILE={tree}/cmake/mingw-i686.cmake', '-DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON'],
        environment)
    run([cmake, '--build', build, '--target', 'uninstall-launcher', 'uninstall-launcher-plan', '-j2'], environment)
    return os.path.join(build, 'uninstall-launcher.exe'), pack(cpack, build, os.path.join(folder, 'out'), environment)[1]


def reproducible(cmake, cpack, source, build, scratch, environment):
    first = build_copy(cmake, cpack, source, os.path.join(scratch, 'a'), environment)
    second = build_copy(cmake, cpack, source, os.path.join(scratch, 'a second, longer', 'folder'), environment)
    problems = []
    for what, one, other in (('program', first[0], second[0]), ('zip', first[1], second[1]),
                             ('program under test', os.path.join(build, 'uninstall-launcher.exe'), first[0])):
        print(f'{what}: sha256 {hashlib.sha256(read(one)).hexdigest()}, {len(read(one))} bytes')
        if read(one) != read(other):
            problems.append(f'the two builds give different {what}s')
    dated = pack(cpack, os.path.join(scratch, 'a', 'build'), os.path.join(scratch, 'dated'),
                 dict(environment, SOURCE_DATE_EPOCH=str(EPOCH)))[1]
    with zipfile.ZipFile(dated) as package:
        if {info.date_time for info in package.infolist()} != {time.gmtime(EPOCH)[:6]}:
            problems.append(f'zip entries are not dated SOURCE_DATE_EPOCH {EPOCH}')
        if any(info.extra for info in package.infolist()):
            problems.append('zip entries carry owner or time fields of this machine')
    return problems


def signing(case, cpack, build, openssl, osslsigncode, scratch, environment):
    key, certificate, bundle = (os.path.join(scratch, name) for name in ('key.pem', 'cert.pem', 'cert.p12'))
    run([openssl, 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', key, '-out', certificate,
         '-days', '2', '-subj', '/CN=Uninstall launcher test signer', '-addext', 'extendedKeyUsage=codeSigning'])
    run([openssl, 'pkcs12', '-export', '-inkey', key, '-in', certificate, '-out', bundle, '-passout', 'pass:' + PASSWORD])
    packages = os.path.join(scratch, 'out')
    if case == 'wrong_password':
        pack(cpack, build, packages, environment)  # the zip of an earlier, unsigned run
    environment.update(LAUNCHER_SIGN_PKCS12=bundle,
                       LAUNCHER_SIGN_PASSWORD='wrong' if case == 'wrong_password' else PASSWORD)
    result, package = pack(cpack, build, packages, environment, check=case != 'wrong_password')
    if case == 'wrong_password':
        problems = ['cpack made a release with a certificate it could not open'] if result.returncode == 0 else []
        if package:
            problems.append(f'a failed release leaves {package} in place')
        plain = 'Signing failed, no release package was made' in result.stdout
        if not plain or 'CPack Error: Problem' in result.stdout:
            problems.append('cpack does not say plainly that signing failed:\n' + result.stdout)
        return problems
    program = os.path.join(scratch, 'signed.exe')
    with zipfile.ZipFile(package) as opened, open(program, 'wb') as out:
        out.write(opened.read(next(name for name in opened.namelist() if name.endswith('/uninstall-launcher.exe'))))
    verify = [osslsigncode, 'verify', '-CAfile', certificate, '-in', program]
    report = run(verify, check=False).stdout
    if 'Signature verification: ok' not in report or 'SHA256' not in report:
        return ['the packed program is not signed with SHA-256 by the test certificate:\n' + report]
    if case == 'signed':
        run([osslsigncode, 'remove-signature', '-in', program, '-out', program + '.bare'])
        same = read(program + '.bare') == read(os.path.join(build, 'uninstall-launcher.exe'))
        return [] if same else ['without its signature the packed program is not the built one']
    data = bytearray(read(program))
    code = pefile.PE(data=bytes(data)).sections[0]
    data[code.PointerToRawData + code.SizeOfRawData // 2] ^= 0xFF
    with open(program, 'wb') as out:
        out.write(data)
    report = run(verify, check=False).stdout
    return [] if 'Signature verification: failed' in report else ['a changed byte of code still verifies:\n' + report]


def main():
    if len(sys.argv) != 8:
        sys.exit(__doc__)
    case, cmake, cpack, source, build, openssl, osslsigncode = sys.argv[1:]
    environment = {name: value for name, value in os.environ.items()
                   if not name.startswith('LAUNCHER_SIGN_') and name != 'SOURCE_DATE_EPOCH'}
    scratch = tempfile.mkdtemp(prefix=f'release-{case}-')
    try:
        if case == 'reproducible':
            problems = reproducible(cmake, cpack, source, build, scratch, environment)
        elif case in ('signed', 'damaged', 'wrong_password'):
            problems = signing(case, cpack, build, openssl, osslsigncode, scratch, environment)
        else:
            sys.exit(__doc__)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    for problem in problems:
        print('PROBLEM: ' + problem)
    print(f'{case}: ' + ('FAILED' if problems else 'ok'))
    sys.exit(1 if problems else 0)


if __name__ == '__main__':
    main()
