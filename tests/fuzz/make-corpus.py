#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into tests/fuzz/corpus/.

The seeds are small valid (and a few nearly valid) inputs that start the
fuzzer inside the formats instead of at random bytes. Run it again after
changing it; the output is the same on every run.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SLOT = 1027
BITMAP_SIZE = 138
FAMILY_NAME = b"\xBA\xD1\xAD\xEC"
RECORD_SIZE = 367


def pattern(size, seed):
    state = (0x9E3779B9 * (seed + 1)) & 0xFFFFFFFF
    out = bytearray(size)
    for i in range(size):
        state = (state * 1664525 + 1013904223) & 0xFFFFFFFF
        out[i] = state >> 24
    return out


def face_archive(slot_count, lengths, seed, bit_set=False, with_entries=True):
    """Header, slot table, entry table (when asked), the blocks in slot order
    and the bitmap behind the last slot's block. Slots not in `lengths` have
    empty blocks."""
    slot_table = 32
    entry_table = slot_table + 8 * slot_count
    data = entry_table + (12 * slot_count if with_entries else 0)
    offsets = []
    position = data
    for n in range(slot_count):
        offsets.append(position)
        position += lengths.get(n, 0)
    last = slot_count - 1
    bitmap = offsets[last] + lengths.get(last, 0)
    out = pattern(bitmap + BITMAP_SIZE, seed)
    struct.pack_into("<I", out, 4, slot_count)
    struct.pack_into("<I", out, 8, slot_table)
    struct.pack_into("<I", out, 16, entry_table if with_entries else 0)
    for n in range(slot_count):
        struct.pack_into("<II", out, slot_table + 8 * n, offsets[n], lengths.get(n, 0))
    if bit_set:
        out[bitmap + SLOT // 8] |= 1 << (SLOT % 8)
    else:
        out[bitmap + SLOT // 8] &= ~(1 << (SLOT % 8)) & 0xFF
    return bytes(out)


def set_data(count, seed):
    out = pattern(20 + RECORD_SIZE * count, seed)
    for k in range(count):
        start = 20 + RECORD_SIZE * k
        out[start + 36:start + 47] = b"\xA7\x64\xA4\xFD" + bytes(7)
        struct.pack_into("<iii", out, start + 355, 1000 + k, 3, k % 5)
    return out


def put_warlord(out, k, number, status):
    start = 20 + RECORD_SIZE * k
    out[start + 36:start + 47] = FAMILY_NAME + bytes(7)
    struct.pack_into("<i", out, start + 355, number)
    struct.pack_into("<i", out, start + 363, status)


def archive_seeds():
    # The first byte chooses the archive: 0 L, 1 M, 2 S. The fuzz target's
    # images are 64, 48 and 32 bytes.
    seeds = {
        "l_target_is_last_slot": b"\x00" + face_archive(1028, {SLOT: 64}, 1),
        "l_bitmap_behind_later_slot_bit_set": b"\x00" + face_archive(1030, {SLOT: 80, 1029: 8}, 2, bit_set=True),
        "m_without_entry_table": b"\x01" + face_archive(1028, {SLOT: 48}, 3, with_entries=False),
        "s_block_longer_than_image": b"\x02" + face_archive(1028, {SLOT: 40, 5: 16}, 4, with_entries=False),
    }
    whole = face_archive(1028, {SLOT: 64}, 5)
    seeds["l_cut_before_bitmap"] = b"\x00" + whole[:-20]
    return seeds


def set_data_seeds():
    seeds = {}
    one = set_data(8, 11)
    put_warlord(one, 5, 1532, 0)
    seeds["match_in_record_5"] = one

    # A name match with another number shifts the walk; the status reads
    # bring it back in step two records later.
    shifted = set_data(8, 12)
    put_warlord(shifted, 3, 1000, 2)
    put_warlord(shifted, 4, 1532, 0)
    shifted[20 + RECORD_SIZE * 4 + 28:20 + RECORD_SIZE * 4 + 36] = bytes(8)
    struct.pack_into("<i", shifted, 20 + RECORD_SIZE * 4 + 359, 77)
    put_warlord(shifted, 5, 1532, 4)
    seeds["shifted_by_other_number"] = shifted

    bad_status = set_data(6, 13)
    struct.pack_into("<i", bad_status, 20 + RECORD_SIZE * 1 + 363, -5)
    put_warlord(bad_status, 4, 1532, 3)
    seeds["status_out_of_range"] = bad_status

    cut = set_data(4, 14)
    put_warlord(cut, 3, 1532, 1)
    seeds["last_record_cut_short"] = cut[:-2]

    # The family name followed by more text is another name.
    longer = set_data(5, 16)
    put_warlord(longer, 2, 1532, 0)
    longer[20 + RECORD_SIZE * 2 + 40] = 0x41
    put_warlord(longer, 4, 1532, 2)
    seeds["longer_name_then_match"] = longer

    seeds["shorter_than_first_name"] = bytes(pattern(40, 15))
    return seeds


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    write("fuzz_face_archive_patch", archive_seeds())
    write("fuzz_set_data_walk", set_data_seeds())
