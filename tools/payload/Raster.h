// Renders a list of shapes, painted in order, into a square image with a
// transparent background. Supersampling gives the soft edges.
#pragma once

#include <cstdint>
#include <vector>

#include "Shapes.h"

namespace payload {

// Straight (not premultiplied) R, G, B, A per pixel, rows top to bottom.
struct RgbaImage {
    int side = 0;
    std::vector<std::uint8_t> pixels;

    const std::uint8_t* At(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * side + x) * 4]; }
};

constexpr double kDesignSize = 256;

// `view` is the square of design space that fills the image.
RgbaImage Render(const std::vector<Shape>& shapes, int side, int samplesPerAxis,
                 Box view = Box{0, 0, kDesignSize, kDesignSize});

}  // namespace payload
