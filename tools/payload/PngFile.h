// Preview images for looking at the portrait while it is drawn; the
// installer never carries them.
#pragma once

#include "ByteWriter.h"
#include "Raster.h"

namespace payload {

// An uncompressed RGBA PNG.
Bytes EncodePng(const RgbaImage& image);

}  // namespace payload
