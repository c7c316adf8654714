#!/usr/bin/python3
"""Signs the release with a throwaway code-signing certificate made here and checks the result.

    check_signing.py CASE CPACK CPackConfig.cmake OPENSSL OSSLSIGNCODE PROGRAM.exe

CASE is one of:
  signed          cpack signs the program (SHA-256), the signature verifies against the certificate,
                  and without it the program is the built one, byte for byte
  damaged         one changed byte of code in the signed program makes verification fail
  wrong_password  a wrong certificate password fails cpack instead of giving an unsigned release
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

PASSWORD = 'test password, not a secret'


def run(command, environment=None):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          env=environment)


def make_certificate(openssl, folder):
    key, certificate = os.path.join(folder, 'key.pem'), os.path.join(folder, 'cert.pem')
    bundle = os.path.join(folder, 'cert.p12')
    for command in (
            [openssl, 'req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', key, '-out', certificate,
             '-days', '2', '-subj', '/CN=Uninstall launcher test signer',
             '-addext', 'extendedKeyUsage=codeSigning', '-addext', 'keyUsage=digitalSignature'],
            [openssl, 'pkcs12', '-export', '-inkey', key, '-in', certificate, '-out', bundle,
             '-passout', 'pass:' + PASSWORD]):
        result = run(command)
        if result.returncode != 0:
            sys.exit(f'{command[1]} failed:\n{result.stdout}')
    return certificate, bundle


def pack(cpack, config, folder, bundle, password):
    environment = dict(os.environ, LAUNCHER_SIGN_PKCS12=bundle, LAUNCHER_SIGN_PASSWORD=password)
    environment.pop('LAUNCHER_SIGN_TIMESTAMP', None)  # offline: no time-stamp server
    return run([cpack, '--config', config, '-B', os.path.join(folder, 'out')], environment)


def packed_program(folder):
    out = os.path.join(folder, 'out')
    (name,) = [entry for entry in os.listdir(out) if entry.endswith('.zip')]
    with zipfile.ZipFile(os.path.join(out, name)) as package:
        (entry,) = [entry for entry in package.namelist() if entry.endswith('/uninstall-launcher.exe')]
        path = os.path.join(folder, 'uninstall-launcher.exe')
        with open(path, 'wb') as program:
            program.write(package.read(entry))
    return path


def verify(osslsigncode, certificate, program):
    result = run([osslsigncode, 'verify', '-CAfile', certificate, '-in', program])
    return result.returncode == 0 and 'Signature verification: ok' in result.stdout, result.stdout


def damage_code(program):
    """Flips one byte in the middle of .text (code the signature covers)."""
    with open(program, 'rb') as file:
        data = bytearray(file.read())
    sections = int.from_bytes(data[0x3C:0x40], 'little')
    optional_size = int.from_bytes(data[sections + 20:sections + 22], 'little')
    text = sections + 24 + optional_size  # the first section header, .text
    size, offset = (int.from_bytes(data[text + at:text + at + 4], 'little') for at in (16, 20))
    data[offset + size // 2] ^= 0xFF
    with open(program, 'wb') as file:
        file.write(data)


def main():
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    case, cpack, config, openssl, osslsigncode, built = sys.argv[1:]
    folder = tempfile.mkdtemp(prefix='signing-')
    try:
        certificate, bundle = make_certificate(openssl, folder)
        packed = pack(cpack, config, folder, bundle, 'wrong' if case == 'wrong_password' else PASSWORD)
        if case == 'wrong_password':
            if packed.returncode == 0:
                sys.exit('cpack made a release although the certificate could not be opened')
            print('cpack refused to pack: ' + packed.stdout.strip().splitlines()[-1])
            return
        if packed.returncode != 0:
            sys.exit('cpack failed:\n' + packed.stdout)
        program = packed_program(folder)
        ok, report = verify(osslsigncode, certificate, program)
        if case == 'signed':
            if not ok or 'SHA256' not in report:
                sys.exit('the packed program is not signed with SHA-256 by the test certificate:\n' + report)
            unsigned = os.path.join(folder, 'unsigned.exe')
            removed = run([osslsigncode, 'remove-signature', '-in', program, '-out', unsigned])
            with open(unsigned, 'rb') as one, open(built, 'rb') as other:
                if removed.returncode != 0 or one.read() != other.read():
                    sys.exit('the signed program without its signature is not the built program:\n'
                             + removed.stdout)
            print('signed and verified with SHA-256; without the signature it is the built program')
        elif case == 'damaged':
            if not ok:
                sys.exit('the undamaged signed program does not verify:\n' + report)
            damage_code(program)
            ok, report = verify(osslsigncode, certificate, program)
            if ok:
                sys.exit('a program with a changed byte of code still verifies:\n' + report)
            print('the damaged program fails verification')
        else:
            sys.exit(__doc__)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == '__main__':
    main()
