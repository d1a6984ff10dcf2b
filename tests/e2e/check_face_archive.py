#!/usr/bin/env python3
"""Checks an installed face archive against the game's original.

usage: check_face_archive.py ORIGINAL INSTALLED IMAGE L|M|S

The installed archive must equal the original except for the image block of
slot 1027, which holds IMAGE byte for byte, and, in the L archive only, the
two 16-bit words of every entry-table entry (240 each) and bit 1027 of the
slot bitmap.
"""
import struct
import sys

SLOT = 1027
ENTRY_WORD_VALUE = 240


def expected_archive(original, image, size_letter):
    data = bytearray(original)
    slot_count, slot_table = struct.unpack_from("<II", data, 4)
    entry_table = struct.unpack_from("<I", data, 16)[0]
    block_offset = struct.unpack_from("<I", data, slot_table + 8 * SLOT)[0]
    data[block_offset:block_offset + len(image)] = image
    if size_letter == "L":
        for entry in range(slot_count):
            struct.pack_into("<HH", data, entry_table + 12 * entry + 4, ENTRY_WORD_VALUE, ENTRY_WORD_VALUE)
        last_offset, last_length = struct.unpack_from("<II", data, slot_table + 8 * (slot_count - 1))
        data[last_offset + last_length + SLOT // 8] |= 1 << (SLOT % 8)
    return bytes(data)


def main():
    if len(sys.argv) != 5 or sys.argv[4] not in ("L", "M", "S"):
        sys.exit(__doc__)
    original, installed, image = (open(path, "rb").read() for path in sys.argv[1:4])
    expected = expected_archive(original, image, sys.argv[4])
    if installed == expected:
        return
    if len(installed) != len(expected):
        sys.exit(f"{sys.argv[2]}: {len(installed)} bytes, expected {len(expected)}")
    first = next(i for i in range(len(expected)) if installed[i] != expected[i])
    sys.exit(f"{sys.argv[2]}: first difference at byte {first}: "
             f"{installed[first]:#04x}, expected {expected[first]:#04x}")


if __name__ == "__main__":
    main()
