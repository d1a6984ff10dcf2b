// A Windows icon file of palettised (8 bits per pixel) images with AND masks.
#pragma once

#include <vector>

#include "ByteWriter.h"
#include "Raster.h"

namespace payload {

// Images in the order given; each at most 255 pixels square.
Bytes BuildIcon(const std::vector<RgbaImage>& images);

// The icon as Windows would show it, for previews: transparent where the mask says so.
RgbaImage IconPreview(const RgbaImage& image, const std::vector<RgbaImage>& allImages);

}  // namespace payload
