#include "Palette.h"

#include <algorithm>

namespace payload {

namespace {

using Colours = std::vector<Rgb>;

int Channel(Rgb c, int channel) { return channel == 0 ? c.r : channel == 1 ? c.g : c.b; }

std::uint32_t Packed(Rgb c) { return (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b; }

struct Spread {
    int channel;
    int range;
};

Spread WidestChannel(const Colours& box) {
    Spread widest{0, -1};
    for (int channel = 0; channel < 3; ++channel) {
        int low = 255, high = 0;
        for (Rgb c : box) {
            low = std::min(low, Channel(c, channel));
            high = std::max(high, Channel(c, channel));
        }
        if (high - low > widest.range) widest = {channel, high - low};
    }
    return widest;
}

// The box to split next: the widest colour range, weighted by how many pixels it holds.
std::size_t BoxToSplit(const std::vector<Colours>& boxes) {
    std::size_t best = boxes.size();
    long bestScore = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const long score = static_cast<long>(WidestChannel(boxes[i]).range) * static_cast<long>(boxes[i].size());
        if (boxes[i].size() > 1 && score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

Rgb Mean(const Colours& box) {
    long r = 0, g = 0, b = 0;
    for (Rgb c : box) {
        r += c.r;
        g += c.g;
        b += c.b;
    }
    const long n = static_cast<long>(box.size());
    return Rgb{static_cast<std::uint8_t>((r + n / 2) / n), static_cast<std::uint8_t>((g + n / 2) / n),
               static_cast<std::uint8_t>((b + n / 2) / n)};
}

}  // namespace

Palette BuildPalette(const std::vector<RgbaImage>& images) {
    Colours opaque;
    for (const RgbaImage& image : images) {
        for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4) {
            if (image.pixels[i + 3] >= kOpaqueAlpha) {
                opaque.push_back({image.pixels[i], image.pixels[i + 1], image.pixels[i + 2]});
            }
        }
    }
    std::vector<Colours> boxes;
    if (!opaque.empty()) boxes.push_back(opaque);
    while (boxes.size() < 255) {
        const std::size_t index = BoxToSplit(boxes);
        if (index == boxes.size()) break;
        Colours& box = boxes[index];
        const int channel = WidestChannel(box).channel;
        std::sort(box.begin(), box.end(), [channel](Rgb a, Rgb b) {
            const int ca = Channel(a, channel), cb = Channel(b, channel);
            return ca != cb ? ca < cb : Packed(a) < Packed(b);
        });
        const auto middle = box.begin() + static_cast<std::ptrdiff_t>(box.size() / 2);
        Colours upper(middle, box.end());
        box.erase(middle, box.end());
        boxes.push_back(std::move(upper));
    }
    Palette palette{};
    for (std::size_t i = 0; i < boxes.size(); ++i) palette[i + 1] = Mean(boxes[i]);
    return palette;
}

std::uint8_t NearestIndex(const Palette& palette, Rgb colour) {
    std::size_t best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = palette[i].r - colour.r, dg = palette[i].g - colour.g, db = palette[i].b - colour.b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return static_cast<std::uint8_t>(best);
}

}  // namespace payload
