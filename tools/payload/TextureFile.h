// The game's texture container for face images.
//
// Header, 56 bytes, integers u32 little-endian:
//   0  magic "VTEX"
//   4  header size, 56
//   8  total size, header included: 56 + 4 * side * side
//  12  width
//  16  height
//  20  pixel format, 1: four bytes per pixel in the order B, G, R, A
//  24  bits per pixel, 32
//  28  bytes per row, 4 * width
//  32  mipmap levels, 1
//  36  offset of the pixels, 56
//  40  size of the pixels, 4 * side * side
//  44  12 bytes of zero
// Pixels follow, rows top to bottom; alpha is straight (not premultiplied),
// 0 transparent and 255 opaque.
#pragma once

#include "ByteWriter.h"
#include "Raster.h"

namespace payload {

constexpr std::size_t kTextureHeaderSize = 56;

Bytes FrameTexture(const RgbaImage& image);

}  // namespace payload
