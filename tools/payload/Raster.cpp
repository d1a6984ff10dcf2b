#include "Raster.h"

namespace payload {

namespace {

bool Covers(const std::vector<Shape>& shapes, std::size_t index, Point p) {
    const Shape& shape = shapes[index];
    if (!shape.Contains(p)) return false;
    return shape.clip < 0 || Covers(shapes, static_cast<std::size_t>(shape.clip), p);
}

// The topmost shape at p, or -1 over the background.
int TopmostAt(const std::vector<Shape>& shapes, Point p) {
    for (std::size_t i = shapes.size(); i-- > 0;) {
        if (Covers(shapes, i, p)) return static_cast<int>(i);
    }
    return -1;
}

std::uint8_t Average(long sum, int count) { return static_cast<std::uint8_t>((sum + count / 2) / count); }

}  // namespace

RgbaImage Render(const std::vector<Shape>& shapes, int side, int samplesPerAxis, Box view) {
    RgbaImage image;
    image.side = side;
    image.pixels.assign(static_cast<std::size_t>(side) * side * 4, 0);
    const double scale = (view.right - view.left) / side;
    const int samples = samplesPerAxis * samplesPerAxis;

    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            long r = 0, g = 0, b = 0;
            int covered = 0;
            for (int sy = 0; sy < samplesPerAxis; ++sy) {
                for (int sx = 0; sx < samplesPerAxis; ++sx) {
                    const Point p{view.left + (x + (sx + 0.5) / samplesPerAxis) * scale,
                                  view.top + (y + (sy + 0.5) / samplesPerAxis) * scale};
                    const int top = TopmostAt(shapes, p);
                    if (top < 0) continue;
                    const Rgb colour = shapes[static_cast<std::size_t>(top)].paint.At(p);
                    r += colour.r;
                    g += colour.g;
                    b += colour.b;
                    ++covered;
                }
            }
            if (covered == 0) continue;
            std::uint8_t* pixel = &image.pixels[(static_cast<std::size_t>(y) * side + x) * 4];
            pixel[0] = Average(r, covered);
            pixel[1] = Average(g, covered);
            pixel[2] = Average(b, covered);
            pixel[3] = Average(255L * covered, samples);
        }
    }
    return image;
}

}  // namespace payload
