// The one record that a run's steps share; it lives on the worker's stack.
#pragma once

#include <cstdint>
#include <string>

constexpr int kFaceArchiveCount = 3;  // L, M, S

struct InstallJob {
    std::int32_t nFaceSlot = -1;
    std::uint32_t dwRecordSize = 0;
    std::uint32_t dwImageSize[kFaceArchiveCount] = {0, 0, 0};
    // Point into the program's own resources; not owned, never freed.
    const std::uint8_t* pRecordData = nullptr;
    const std::uint8_t* pImageData[kFaceArchiveCount] = {nullptr, nullptr, nullptr};
    std::string strRecordFileName;
};
