#!/usr/bin/env python3
"""Writes a well-formed face-graphics archive of 1104 slots.

usage: make-face-archive.py OUTPUT L|M|S [small|full]

small (the default, for the demo game): slot 1027 gets a block of the real
      image size for that archive, every other slot a 64-byte block;
full: every slot's block has the image size (the L archive is about
      290 MB), as in a game whose every face is used; for the benchmark and
      the end-to-end tests that need the installer to take its time.
The slot bitmap follows the last block with the first 300 faces marked as
present. Written block by block, so a full archive is never held in memory.
"""
import struct
import sys

SLOT_COUNT = 1104
TARGET_SLOT = 1027
IMAGE_SIZES = {"L": 262200, "M": 65592, "S": 16440}
SMALL_BLOCK = 64
BITMAP_SIZE = 138
HEADER_SIZE = 32
PRESENT_FACES = 300


def block_length(size_letter, kind, slot):
    if kind == "full" or slot == TARGET_SLOT:
        return IMAGE_SIZES[size_letter]
    return SMALL_BLOCK


def write(output, size_letter, kind):
    slot_table = HEADER_SIZE
    entry_table = slot_table + 8 * SLOT_COUNT
    data_start = entry_table + 12 * SLOT_COUNT

    output.write(b"KAO\0" + struct.pack("<IIII", SLOT_COUNT, slot_table, 0, entry_table) + bytes(12))
    lengths = [block_length(size_letter, kind, slot) for slot in range(SLOT_COUNT)]
    offset = data_start
    for length in lengths:
        output.write(struct.pack("<II", offset, length))
        offset += length
    output.write(b"".join(struct.pack("<IHHI", slot, 200, 200, 0) for slot in range(SLOT_COUNT)))
    for slot, length in enumerate(lengths):
        output.write(bytes([slot % 251]) * length)
    bitmap = bytearray(BITMAP_SIZE)
    for slot in range(PRESENT_FACES):
        bitmap[slot // 8] |= 1 << (slot % 8)
    output.write(bitmap)


def main():
    args = sys.argv[1:]
    kind = args[2] if len(args) == 3 else "small"
    if len(args) not in (2, 3) or args[1] not in IMAGE_SIZES or kind not in ("small", "full"):
        sys.exit(__doc__)
    with open(args[0], "wb") as output:
        write(output, args[1], kind)


if __name__ == "__main__":
    main()
