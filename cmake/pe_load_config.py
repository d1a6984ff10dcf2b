#!/usr/bin/env python3
"""The load configuration of a 64-bit Windows executable.

  pe_load_config.py apply EXE   points the image's load-configuration directory
                                at the structure `_load_config_used` (GNU ld
                                before 2.41 links that structure but does not
                                fill in the directory); leaves an image whose
                                directory already points at it as it is.
  pe_load_config.py check EXE   fails unless the directory points at that
                                structure, the sizes agree and its
                                DependentLoadFlags ask for the system folder
                                only (LOAD_LIBRARY_SEARCH_SYSTEM32).

Only the directory entry (and a non-zero checksum) change: the same input
gives the same bytes."""
import struct
import sys

SYMBOL = b"_load_config_used"
LOAD_CONFIG_DIRECTORY = 10
DEPENDENT_LOAD_FLAGS_OFFSET = 0x4E  # IMAGE_LOAD_CONFIG_DIRECTORY64
LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x800
PE32_PLUS = 0x20B


class Image:
    def __init__(self, data):
        self.data = data
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe:self.pe + 4] != b"PE\0\0":
            sys.exit("not a PE image")
        (self.section_count, self.symbol_table, self.symbol_count,
         self.optional_size) = struct.unpack_from("<2xH4xIIH", data, self.pe + 4)
        self.optional = self.pe + 24
        if struct.unpack_from("<H", data, self.optional)[0] != PE32_PLUS:
            sys.exit("not a 64-bit image")
        self.checksum_at = self.optional + 64
        self.directories = self.optional + 112
        table = self.optional + self.optional_size
        self.sections = [struct.unpack_from("<8sIIII", data, table + 40 * i) for i in range(self.section_count)]

    def directory(self, index):
        return struct.unpack_from("<II", self.data, self.directories + 8 * index)

    def file_offset(self, rva):
        for _name, vsize, va, rawsize, rawptr in self.sections:
            if va <= rva < va + max(vsize, rawsize):
                if rva - va >= rawsize:
                    sys.exit(f"RVA {rva:#x} lies in the uninitialised part of a section")
                return rawptr + rva - va
        sys.exit(f"RVA {rva:#x} lies in no section")

    def symbol_rva(self, wanted):
        """The RVA of a symbol from the COFF symbol table, or None."""
        if self.symbol_table == 0:
            return None
        strings = self.symbol_table + 18 * self.symbol_count
        index = 0
        while index < self.symbol_count:
            at = self.symbol_table + 18 * index
            raw_name, value, section, _type, _storage, aux = struct.unpack_from("<8sIhHBB", self.data, at)
            if raw_name[:4] == b"\0\0\0\0":
                start = strings + struct.unpack_from("<I", raw_name, 4)[0]
                name = self.data[start:self.data.index(b"\0", start)]
            else:
                name = raw_name.rstrip(b"\0")
            if name == wanted and 1 <= section <= len(self.sections):
                return self.sections[section - 1][2] + value
            index += 1 + aux
        return None

    def checksum(self):
        """The PE checksum of the image as it would be with its checksum field zero."""
        data = bytearray(self.data)
        data[self.checksum_at:self.checksum_at + 4] = b"\0\0\0\0"
        if len(data) % 2:
            data += b"\0"
        total = 0
        for (word,) in struct.iter_unpack("<H", data):
            total += word
            total = (total & 0xFFFF) + (total >> 16)
        return ((total & 0xFFFF) + (total >> 16) & 0xFFFF) + len(self.data)

    def structure_size(self, rva):
        return struct.unpack_from("<I", self.data, self.file_offset(rva))[0]


def apply(path):
    with open(path, "rb") as f:
        image = Image(bytearray(f.read()))
    rva = image.symbol_rva(SYMBOL)
    if rva is None:
        if image.directory(LOAD_CONFIG_DIRECTORY)[0] != 0:
            return 0  # stripped, but the linker filled in the directory itself
        sys.exit(f"{path}: no symbol {SYMBOL.decode()} and no load configuration")
    entry = (rva, image.structure_size(rva))
    if image.directory(LOAD_CONFIG_DIRECTORY) == entry:
        return 0
    struct.pack_into("<II", image.data, image.directories + 8 * LOAD_CONFIG_DIRECTORY, *entry)
    if struct.unpack_from("<I", image.data, image.checksum_at)[0] != 0:
        struct.pack_into("<I", image.data, image.checksum_at, image.checksum())
    with open(path, "wb") as f:
        f.write(image.data)
    return 0


def check(path):
    with open(path, "rb") as f:
        image = Image(f.read())
    rva, size = image.directory(LOAD_CONFIG_DIRECTORY)
    if rva == 0:
        sys.exit(f"{path}: no load configuration directory")
    symbol = image.symbol_rva(SYMBOL)
    if symbol is not None and symbol != rva:
        sys.exit(f"{path}: the directory points at {rva:#x}, {SYMBOL.decode()} is at {symbol:#x}")
    structure_size = image.structure_size(rva)
    if structure_size != size:
        sys.exit(f"{path}: the directory says {size} bytes, the structure says {structure_size}")
    if size < DEPENDENT_LOAD_FLAGS_OFFSET + 2:
        sys.exit(f"{path}: a load configuration of {size} bytes has no DependentLoadFlags")
    flags = struct.unpack_from("<H", image.data, image.file_offset(rva) + DEPENDENT_LOAD_FLAGS_OFFSET)[0]
    if flags != LOAD_LIBRARY_SEARCH_SYSTEM32:
        sys.exit(f"{path}: DependentLoadFlags is {flags:#x}, expected {LOAD_LIBRARY_SEARCH_SYSTEM32:#x}")
    stored = struct.unpack_from("<I", image.data, image.checksum_at)[0]
    if stored != 0 and stored != image.checksum():
        sys.exit(f"{path}: the PE checksum is {stored:#x}, the image sums to {image.checksum():#x}")
    print(f"load configuration at {rva:#x}, {size} bytes, DependentLoadFlags {flags:#x}")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("apply", "check"):
        sys.exit(__doc__)
    sys.exit((apply if sys.argv[1] == "apply" else check)(sys.argv[2]))
