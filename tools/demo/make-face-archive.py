#!/usr/bin/env python3
"""Writes a small but well-formed face-graphics archive for the demo game.

usage: make-face-archive.py OUTPUT L|M|S

1104 slots; slot 1027 gets a block of the real image size for that archive,
every other slot a small block; the slot bitmap follows the last block with
the first 300 faces marked as present.
"""
import struct
import sys

SLOT_COUNT = 1104
TARGET_SLOT = 1027
IMAGE_SIZES = {"L": 262200, "M": 65592, "S": 16440}
SMALL_BLOCK = 64
BITMAP_SIZE = 138
PRESENT_FACES = 300


def build(size_letter):
    header_size = 32
    slot_table = header_size
    entry_table = slot_table + 8 * SLOT_COUNT
    data_start = entry_table + 12 * SLOT_COUNT

    slots = bytearray()
    blocks = bytearray()
    for slot in range(SLOT_COUNT):
        length = IMAGE_SIZES[size_letter] if slot == TARGET_SLOT else SMALL_BLOCK
        slots += struct.pack("<II", data_start + len(blocks), length)
        blocks += bytes([slot % 251]) * length

    entries = bytearray()
    for slot in range(SLOT_COUNT):
        entries += struct.pack("<IHHI", slot, 200, 200, 0)

    bitmap = bytearray(BITMAP_SIZE)
    for slot in range(PRESENT_FACES):
        bitmap[slot // 8] |= 1 << (slot % 8)

    header = b"KAO\0" + struct.pack("<III", SLOT_COUNT, slot_table, 0)
    header += struct.pack("<I", entry_table) + bytes(12)
    return header + slots + entries + blocks + bitmap


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in IMAGE_SIZES:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as output:
        output.write(build(sys.argv[2]))


if __name__ == "__main__":
    main()
