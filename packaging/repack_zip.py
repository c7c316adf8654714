#!/usr/bin/python3
"""Rewrites a zip so that its bytes depend only on the files it holds: entries sorted by name, the
date of SOURCE_DATE_EPOCH (or 1980-01-01 when unset), fixed permissions, no owners, no access or
change times.

    repack_zip.py PACKAGE.zip
"""
import os
import sys
import time
import zipfile

ZIP_FIRST_DAY = 315532800  # 1980-01-01 00:00:00 UTC, the earliest date a zip can hold


def entry_date():
    epoch = os.environ.get('SOURCE_DATE_EPOCH', '')
    seconds = int(epoch) if epoch else ZIP_FIRST_DAY
    return time.gmtime(max(seconds, ZIP_FIRST_DAY))[:6]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    with zipfile.ZipFile(path) as original:
        entries = [(info.filename, info.is_dir(), info.external_attr >> 16 & 0o111,
                    original.read(info)) for info in original.infolist()]
    date = entry_date()
    scratch = path + '.repack'
    with zipfile.ZipFile(scratch, 'w') as repacked:
        for name, is_dir, executable, data in sorted(entries):
            info = zipfile.ZipInfo(name, date_time=date)
            info.create_system = 3  # Unix, so that the permissions below are read
            mode = 0o755 if is_dir or executable else 0o644
            info.external_attr = ((0o040000 if is_dir else 0o100000) | mode) << 16 | (0x10 if is_dir else 0)
            info.compress_type = zipfile.ZIP_STORED if is_dir else zipfile.ZIP_DEFLATED
            repacked.writestr(info, data, compresslevel=9)
    os.replace(scratch, path)


if __name__ == '__main__':
    main()
