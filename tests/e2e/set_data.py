#!/usr/bin/env python3
"""The expansion's scenario set-data file, for the end-to-end tests.

usage: set_data.py make OUTPUT RECORDS WARLORD_INDEX
       set_data.py check BEFORE AFTER WARLORD_INDEX

make writes a 20-byte header and RECORDS records of 367 bytes; the record at
WARLORD_INDEX is the packaged warlord's (family name 碧原, number 1532,
status 0), every other record has another name and a status from 0 to 4.
check requires AFTER to equal BEFORE except for that record's status, which
must read 1.
"""
import struct
import sys

HEADER_SIZE = 20
RECORD_SIZE = 367
NAME_OFFSET, NUMBER_OFFSET, STATUS_OFFSET = 36, 355, 363
WARLORD_NAME = "碧原".encode("cp950")
WARLORD_NUMBER = 1532


def make(records, warlord_index):
    data = bytearray(bytes((i * 7) % 256 for i in range(HEADER_SIZE)))
    for index in range(records):
        record = bytearray(((index * 31 + i) % 256 for i in range(RECORD_SIZE)))
        if index == warlord_index:
            name, number, status = WARLORD_NAME, WARLORD_NUMBER, 0
        else:
            # Another warlord, some with the same number: must stay untouched.
            name, number, status = f"W{index}".encode(), WARLORD_NUMBER - index % 2, index % 5
        record[NAME_OFFSET:NAME_OFFSET + 11] = name.ljust(11, b"\0")
        struct.pack_into("<ii", record, NUMBER_OFFSET, number, 0)
        struct.pack_into("<i", record, STATUS_OFFSET, status)
        data += record
    return bytes(data)


def status_position(warlord_index):
    return HEADER_SIZE + RECORD_SIZE * warlord_index + STATUS_OFFSET


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "make":
        with open(sys.argv[2], "wb") as output:
            output.write(make(int(sys.argv[3]), int(sys.argv[4])))
        return
    if len(sys.argv) == 5 and sys.argv[1] == "check":
        before, after = (open(path, "rb").read() for path in sys.argv[2:4])
        expected = bytearray(before)
        struct.pack_into("<i", expected, status_position(int(sys.argv[4])), 1)
        if after == bytes(expected):
            return
        if len(after) != len(expected):
            sys.exit(f"{sys.argv[3]}: {len(after)} bytes, expected {len(expected)}")
        first = next(i for i in range(len(expected)) if after[i] != expected[i])
        sys.exit(f"{sys.argv[3]}: first difference at byte {first}: {after[first]:#04x}, expected {expected[first]:#04x}")
    sys.exit(__doc__)


if __name__ == "__main__":
    main()
