#pragma once

#include "install/InstallJob.h"

#include <cstdint>

// Patches the temporary copy of face archive `index` (0 L, 1 M, 2 S): the
// image into `slot`, and for L the entry words and the slot's bitmap bit.
// 1 when the copy is patched, closed and read-only; 0 after posting
// 201 + index, or the code of a cause that lies in the documents folder
// (a write refused: 106; the archive online-only and its data not to be
// had: 107).
int PatchFaceArchive(std::uint32_t slot, int index, const std::uint8_t* image, std::uint32_t size);
// Step 5: patches all three copies, then moves them over the archives.
int PatchFaceArchivesStep(const InstallJob& job);
