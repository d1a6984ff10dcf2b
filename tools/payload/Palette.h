// One 256-colour palette shared by the icon's images, found by median cut
// over their opaque pixels. Entry 0 stays black: the transparent pixels use it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "Raster.h"

namespace payload {

using Palette = std::array<Rgb, 256>;

// Pixels with at least this alpha count as opaque in a 1-bit mask.
constexpr std::uint8_t kOpaqueAlpha = 128;

Palette BuildPalette(const std::vector<RgbaImage>& images);
std::uint8_t NearestIndex(const Palette& palette, Rgb colour);

}  // namespace payload
