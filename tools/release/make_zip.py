#!/usr/bin/env python3
"""Writes the release's zip archive, the same bytes for the same files.

    make_zip.py --time UNIX_TIME [--executable MEMBER]... ARCHIVE.zip FOLDER MEMBER...

The members are FOLDER's files of those names, in that order, dated
UNIX_TIME. An --executable member (a script for Linux) is stored as a Unix
file of mode 755, so that unzip and the Linux desktops' archive tools unpack
it ready to run; the others carry DOS attributes, as Windows expects. A name outside ASCII (the guide 讀我.txt) is stored in code page
950, as the zip support built into Traditional Chinese Windows reads names,
and beside it in UTF-8 in an Info-ZIP Unicode Path field, which 7-Zip,
WinRAR and unzip prefer. Python's zipfile cannot write that pair (it stores
such a name as UTF-8 flagged, which Windows before 10 shows garbled).
"""
import argparse
import os
import struct
import sys
import time
import zipfile
import zlib

VERSION_NEEDED = 20  # deflate
MADE_BY_FAT = 20  # host 0 (MS-DOS/Windows), zip 2.0: external attributes are DOS attributes
MADE_BY_UNIX = 3 << 8 | 20  # host 3 (Unix): the high 16 bits of the external attributes are the mode
ATTRIBUTE_ARCHIVE = 0x20
EXECUTABLE_FILE = 0o100755
UNICODE_PATH_FIELD = 0x7075


def dos_date_time(unix_time):
    t = time.gmtime(max(unix_time, 315532800))  # zip dates start in 1980
    return ((t.tm_year - 1980) << 9 | t.tm_mon << 5 | t.tm_mday,
            t.tm_hour << 11 | t.tm_min << 5 | t.tm_sec // 2)


def stored_name(name):
    """The header's name bytes and the extra field that goes with them."""
    try:
        return name.encode("ascii"), b""
    except UnicodeEncodeError:
        pass
    header_name = name.encode("cp950")
    utf8 = name.encode("utf-8")
    field = struct.pack("<BI", 1, zlib.crc32(header_name)) + utf8
    return header_name, struct.pack("<HH", UNICODE_PATH_FIELD, len(field)) + field


def write_zip(path, folder, members, unix_time, executables=()):
    date, clock = dos_date_time(unix_time)
    central = []
    with open(path, "wb") as out:
        for member in members:
            data = open(os.path.join(folder, member), "rb").read()
            compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
            packed = compressor.compress(data) + compressor.flush()
            crc = zlib.crc32(data)
            name, extra = stored_name(member)
            offset = out.tell()
            made_by, attributes = MADE_BY_FAT, ATTRIBUTE_ARCHIVE
            if member in executables:
                made_by, attributes = MADE_BY_UNIX, EXECUTABLE_FILE << 16 | ATTRIBUTE_ARCHIVE
            out.write(struct.pack("<IHHHHHIIIHH", 0x04034B50, VERSION_NEEDED, 0, 8, clock, date, crc,
                                  len(packed), len(data), len(name), len(extra)))
            out.write(name + extra + packed)
            central.append(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, made_by, VERSION_NEEDED, 0, 8,
                                       clock, date, crc, len(packed), len(data), len(name), len(extra), 0, 0, 0,
                                       attributes, offset) + name + extra)
        directory_start = out.tell()
        for entry in central:
            out.write(entry)
        directory_size = out.tell() - directory_start
        out.write(struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(central), len(central), directory_size,
                              directory_start, 0))


def check_zip(path, folder, members, executables=()):
    """Reads the archive back: every member under its name, whole, the
    executable ones with their mode."""
    with zipfile.ZipFile(path, metadata_encoding="cp950") as archive:
        names = archive.namelist()
        if names != list(members):
            sys.exit(f"{path} holds {names}, expected {list(members)}")
        for member in members:
            if archive.read(member) != open(os.path.join(folder, member), "rb").read():
                sys.exit(f"{path}: {member} does not read back as written")
            if member in executables and archive.getinfo(member).external_attr >> 16 != EXECUTABLE_FILE:
                sys.exit(f"{path}: {member} is not stored as an executable file")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--time", type=int, required=True)
    parser.add_argument("--executable", action="append", default=[])
    parser.add_argument("archive")
    parser.add_argument("folder")
    parser.add_argument("members", nargs="+")
    args = parser.parse_args()
    unknown = set(args.executable) - set(args.members)
    if unknown:
        sys.exit(f"--executable names no member: {', '.join(sorted(unknown))}")
    write_zip(args.archive, args.folder, args.members, args.time, args.executable)
    check_zip(args.archive, args.folder, args.members, args.executable)
    return 0


if __name__ == "__main__":
    sys.exit(main())
