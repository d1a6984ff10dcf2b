#include "IconFile.h"

#include "Palette.h"

namespace payload {

namespace {

constexpr std::size_t kDirectoryHeaderSize = 6;
constexpr std::size_t kDirectoryEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kPaletteSize = std::size_t{256} * 4;  // blue, green, red and a spare byte each

std::size_t MaskStride(int side) { return static_cast<std::size_t>((side + 31) / 32) * 4; }
std::size_t ColourStride(int side) { return static_cast<std::size_t>((side + 3) / 4) * 4; }

bool Opaque(const RgbaImage& image, int x, int y) { return image.At(x, y)[3] >= kOpaqueAlpha; }

Bytes EncodeEntry(const RgbaImage& image, const Palette& palette) {
    const int side = image.side;
    const std::size_t colourBytes = ColourStride(side) * static_cast<std::size_t>(side);
    const std::size_t maskBytes = MaskStride(side) * static_cast<std::size_t>(side);
    Bytes out(kInfoHeaderSize + kPaletteSize + colourBytes + maskBytes, 0);
    PutU32(out, 0, kInfoHeaderSize);
    PutU32(out, 4, static_cast<std::uint32_t>(side));
    PutU32(out, 8, static_cast<std::uint32_t>(2 * side));  // colour rows and mask rows
    PutU16(out, 12, 1);
    PutU16(out, 14, 8);
    PutU32(out, 20, static_cast<std::uint32_t>(colourBytes + maskBytes));
    PutU32(out, 32, 256);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        out[kInfoHeaderSize + i * 4] = palette[i].b;
        out[kInfoHeaderSize + i * 4 + 1] = palette[i].g;
        out[kInfoHeaderSize + i * 4 + 2] = palette[i].r;
    }
    const std::size_t colourStart = kInfoHeaderSize + kPaletteSize;
    const std::size_t maskStart = colourStart + colourBytes;
    for (int y = 0; y < side; ++y) {
        const std::size_t row = static_cast<std::size_t>(side - 1 - y);  // bottom-up
        for (int x = 0; x < side; ++x) {
            const std::uint8_t* p = image.At(x, y);
            if (Opaque(image, x, y)) {
                out[colourStart + row * ColourStride(side) + static_cast<std::size_t>(x)] =
                    NearestIndex(palette, Rgb{p[0], p[1], p[2]});
            } else {
                out[maskStart + row * MaskStride(side) + static_cast<std::size_t>(x / 8)] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return out;
}

}  // namespace

Bytes BuildIcon(const std::vector<RgbaImage>& images) {
    const Palette palette = BuildPalette(images);
    Bytes out;
    AppendU16(out, 0);
    AppendU16(out, 1);  // icon, not cursor
    AppendU16(out, static_cast<std::uint16_t>(images.size()));
    std::vector<Bytes> entries;
    entries.reserve(images.size());
    for (const RgbaImage& image : images) entries.push_back(EncodeEntry(image, palette));
    std::size_t offset = kDirectoryHeaderSize + kDirectoryEntrySize * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::uint8_t side = static_cast<std::uint8_t>(images[i].side);
        out.insert(out.end(), {side, side, 0, 0});  // 0 colours: 256
        AppendU16(out, 1);
        AppendU16(out, 8);
        AppendU32(out, static_cast<std::uint32_t>(entries[i].size()));
        AppendU32(out, static_cast<std::uint32_t>(offset));
        offset += entries[i].size();
    }
    for (const Bytes& entry : entries) out.insert(out.end(), entry.begin(), entry.end());
    return out;
}

RgbaImage IconPreview(const RgbaImage& image, const std::vector<RgbaImage>& allImages) {
    const Palette palette = BuildPalette(allImages);
    RgbaImage preview{image.side, std::vector<std::uint8_t>(image.pixels.size(), 0)};
    for (int y = 0; y < image.side; ++y) {
        for (int x = 0; x < image.side; ++x) {
            if (!Opaque(image, x, y)) continue;
            const std::uint8_t* p = image.At(x, y);
            const Rgb c = palette[NearestIndex(palette, Rgb{p[0], p[1], p[2]})];
            std::uint8_t* out = &preview.pixels[(static_cast<std::size_t>(y) * image.side + x) * 4];
            out[0] = c.r;
            out[1] = c.g;
            out[2] = c.b;
            out[3] = 255;
        }
    }
    return preview;
}

}  // namespace payload
