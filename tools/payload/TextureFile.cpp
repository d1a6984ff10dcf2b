#include "TextureFile.h"

namespace payload {

Bytes FrameTexture(const RgbaImage& image) {
    const std::uint32_t side = static_cast<std::uint32_t>(image.side);
    const std::uint32_t pixelBytes = 4 * side * side;
    Bytes out(kTextureHeaderSize + pixelBytes, 0);
    PutRaw(out, 0, "VTEX");
    PutU32(out, 4, kTextureHeaderSize);
    PutU32(out, 8, static_cast<std::uint32_t>(out.size()));
    PutU32(out, 12, side);
    PutU32(out, 16, side);
    PutU32(out, 20, 1);
    PutU32(out, 24, 32);
    PutU32(out, 28, 4 * side);
    PutU32(out, 32, 1);
    PutU32(out, 36, kTextureHeaderSize);
    PutU32(out, 40, pixelBytes);
    for (std::size_t i = 0; i < static_cast<std::size_t>(side) * side; ++i) {
        const std::uint8_t* rgba = &image.pixels[i * 4];
        std::uint8_t* bgra = &out[kTextureHeaderSize + i * 4];
        bgra[0] = rgba[2];
        bgra[1] = rgba[1];
        bgra[2] = rgba[0];
        bgra[3] = rgba[3];
    }
    return out;
}

}  // namespace payload
