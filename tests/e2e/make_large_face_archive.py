#!/usr/bin/env python3
"""Writes a face archive of realistic size: 1104 slots, each with a block the
size of that archive's image (the L archive is about 290 MB), laid out as the
demo archives are, so that the same checks apply.

usage: make_large_face_archive.py OUTPUT L|M|S
"""
import struct
import sys

SLOT_COUNT = 1104
IMAGE_SIZES = {"L": 262200, "M": 65592, "S": 16440}
BITMAP_SIZE = 138
PRESENT_FACES = 300


def write(output, size_letter):
    block = IMAGE_SIZES[size_letter]
    slot_table = 32
    entry_table = slot_table + 8 * SLOT_COUNT
    data_start = entry_table + 12 * SLOT_COUNT
    output.write(b"KAO\0" + struct.pack("<IIII", SLOT_COUNT, slot_table, 0, entry_table) + bytes(12))
    output.write(b"".join(struct.pack("<II", data_start + block * slot, block) for slot in range(SLOT_COUNT)))
    output.write(b"".join(struct.pack("<IHHI", slot, 200, 200, 0) for slot in range(SLOT_COUNT)))
    for slot in range(SLOT_COUNT):
        output.write(bytes([slot % 251]) * block)
    bitmap = bytearray(BITMAP_SIZE)
    for slot in range(PRESENT_FACES):
        bitmap[slot // 8] |= 1 << (slot % 8)
    output.write(bitmap)


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in IMAGE_SIZES:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as output:
        write(output, sys.argv[2])


if __name__ == "__main__":
    main()
