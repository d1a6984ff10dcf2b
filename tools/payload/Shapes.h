// Filled and stroked shapes in the portrait's design space: 256 units square,
// y pointing down. Only + - * / and sqrt are used, so renders repeat bit for bit.
#pragma once

#include <cstdint>
#include <vector>

namespace payload {

struct Point {
    double x;
    double y;
};

struct Rgb {
    std::uint8_t r;
    std::uint8_t g;
    std::uint8_t b;
};

// A linear gradient from `from` at `start` to `to` at `end`; a solid colour
// when both colours are equal.
struct Paint {
    Rgb from;
    Rgb to;
    Point start;
    Point end;

    Rgb At(Point p) const;
};

Paint Solid(Rgb colour);
Paint Gradient(Rgb from, Point start, Rgb to, Point end);

// Curves are flattened as they are added, into a fixed number of segments.
class Path {
public:
    Path& MoveTo(double x, double y);
    Path& LineTo(double x, double y);
    Path& QuadTo(double cx, double cy, double x, double y);
    Path& CubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y);

    const std::vector<Point>& Points() const { return points_; }

private:
    std::vector<Point> points_;
};

struct Box {
    double left;
    double top;
    double right;
    double bottom;

    bool Contains(Point p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
};

enum class ShapeKind { Ellipse, Polygon, Stroke };

struct Shape {
    ShapeKind kind;
    Paint paint;
    Box bounds;
    // Ellipse: centre, radii and the unit direction of its first axis.
    Point centre{0, 0};
    double rx = 0;
    double ry = 0;
    Point axis{1, 0};
    // Polygon outline (even-odd) or stroke centre line.
    std::vector<Point> points;
    // Stroke half-width at each point of the centre line.
    std::vector<double> radii;
    // Drawn only where the shape with this index is drawn; -1 for no clip.
    int clip = -1;

    bool Contains(Point p) const;
};

Shape MakeEllipse(Point centre, double rx, double ry, Paint paint);
// `direction` need not be of unit length.
Shape MakeTiltedEllipse(Point centre, double rx, double ry, Point direction, Paint paint);
Shape MakeFill(const Path& outline, Paint paint);
// Full width `startWidth` at the path's start, tapering linearly by length to `endWidth`.
Shape MakeStroke(const Path& line, double startWidth, double endWidth, Paint paint);

}  // namespace payload
