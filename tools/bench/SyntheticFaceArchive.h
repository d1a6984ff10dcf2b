// Face archives of any slot count, for measuring the installer: a well-formed
// header, slot table and entry table, a small block for every slot except
// the target slot, whose block holds `targetBlockSize` bytes, and the slot
// bitmap behind the last block.
#pragma once

#include <cstdint>
#include <vector>

namespace bench {

struct ArchiveShape {
    std::uint32_t slotCount = 1104;
    std::uint32_t targetSlot = 1027;
    std::uint32_t targetBlockSize = 0;
    std::uint32_t otherBlockSize = 64;
};

std::vector<std::uint8_t> SyntheticFaceArchive(const ArchiveShape& shape);

}  // namespace bench
