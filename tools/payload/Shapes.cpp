#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace payload {

namespace {

constexpr int kCurveSegments = 24;

std::uint8_t Mix(std::uint8_t a, std::uint8_t b, double t) {
    const double v = a + (b - a) * t;
    return static_cast<std::uint8_t>(std::floor(v + 0.5));
}

Box BoundsOf(const std::vector<Point>& points, double margin) {
    Box box{points.front().x, points.front().y, points.front().x, points.front().y};
    for (const Point& p : points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x);
        box.bottom = std::max(box.bottom, p.y);
    }
    return Box{box.left - margin, box.top - margin, box.right + margin, box.bottom + margin};
}

bool InsidePolygon(const std::vector<Point>& poly, Point p) {
    bool inside = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Point& a = poly[i];
        const Point& b = poly[j];
        if ((a.y > p.y) != (b.y > p.y)) {
            const double crossX = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (p.x < crossX) inside = !inside;
        }
    }
    return inside;
}

bool InsideStroke(const Shape& s, Point p) {
    for (std::size_t i = 0; i + 1 < s.points.size(); ++i) {
        const Point a = s.points[i];
        const Point b = s.points[i + 1];
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double lengthSquared = dx * dx + dy * dy;
        double t = 0;
        if (lengthSquared > 0) t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0);
        const double ex = p.x - (a.x + dx * t);
        const double ey = p.y - (a.y + dy * t);
        const double radius = s.radii[i] + (s.radii[i + 1] - s.radii[i]) * t;
        if (ex * ex + ey * ey <= radius * radius) return true;
    }
    return false;
}

}  // namespace

Rgb Paint::At(Point p) const {
    const double dx = end.x - start.x;
    const double dy = end.y - start.y;
    const double lengthSquared = dx * dx + dy * dy;
    if (lengthSquared <= 0) return from;
    const double t = std::clamp(((p.x - start.x) * dx + (p.y - start.y) * dy) / lengthSquared, 0.0, 1.0);
    return Rgb{Mix(from.r, to.r, t), Mix(from.g, to.g, t), Mix(from.b, to.b, t)};
}

Paint Solid(Rgb colour) { return Paint{colour, colour, {0, 0}, {0, 0}}; }

Paint Gradient(Rgb from, Point start, Rgb to, Point end) { return Paint{from, to, start, end}; }

Path& Path::MoveTo(double x, double y) {
    points_.push_back({x, y});
    return *this;
}

Path& Path::LineTo(double x, double y) { return MoveTo(x, y); }

Path& Path::QuadTo(double cx, double cy, double x, double y) {
    const Point p0 = points_.back();
    for (int i = 1; i <= kCurveSegments; ++i) {
        const double t = static_cast<double>(i) / kCurveSegments;
        const double u = 1 - t;
        points_.push_back({u * u * p0.x + 2 * u * t * cx + t * t * x, u * u * p0.y + 2 * u * t * cy + t * t * y});
    }
    return *this;
}

Path& Path::CubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y) {
    const Point p0 = points_.back();
    for (int i = 1; i <= kCurveSegments; ++i) {
        const double t = static_cast<double>(i) / kCurveSegments;
        const double u = 1 - t;
        const double a = u * u * u;
        const double b = 3 * u * u * t;
        const double c = 3 * u * t * t;
        const double d = t * t * t;
        points_.push_back({a * p0.x + b * c1x + c * c2x + d * x, a * p0.y + b * c1y + c * c2y + d * y});
    }
    return *this;
}

bool Shape::Contains(Point p) const {
    if (!bounds.Contains(p)) return false;
    switch (kind) {
    case ShapeKind::Ellipse: {
        const double dx = p.x - centre.x;
        const double dy = p.y - centre.y;
        const double u = (dx * axis.x + dy * axis.y) / rx;
        const double v = (-dx * axis.y + dy * axis.x) / ry;
        return u * u + v * v <= 1;
    }
    case ShapeKind::Polygon:
        return InsidePolygon(points, p);
    case ShapeKind::Stroke:
        return InsideStroke(*this, p);
    }
    return false;
}

Shape MakeEllipse(Point centre, double rx, double ry, Paint paint) {
    return MakeTiltedEllipse(centre, rx, ry, {1, 0}, paint);
}

Shape MakeTiltedEllipse(Point centre, double rx, double ry, Point direction, Paint paint) {
    Shape s{ShapeKind::Ellipse, paint, {}, centre, rx, ry, {1, 0}, {}, {}, -1};
    const double length = std::sqrt(direction.x * direction.x + direction.y * direction.y);
    s.axis = {direction.x / length, direction.y / length};
    const double reach = std::max(rx, ry);
    s.bounds = {centre.x - reach, centre.y - reach, centre.x + reach, centre.y + reach};
    return s;
}

Shape MakeFill(const Path& outline, Paint paint) {
    Shape s{ShapeKind::Polygon, paint, BoundsOf(outline.Points(), 0), {0, 0}, 0, 0, {1, 0}, outline.Points(), {}, -1};
    return s;
}

Shape MakeStroke(const Path& line, double startWidth, double endWidth, Paint paint) {
    const std::vector<Point>& points = line.Points();
    std::vector<double> along(points.size(), 0.0);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double dx = points[i].x - points[i - 1].x;
        const double dy = points[i].y - points[i - 1].y;
        along[i] = along[i - 1] + std::sqrt(dx * dx + dy * dy);
    }
    const double total = along.back() > 0 ? along.back() : 1;
    std::vector<double> radii;
    radii.reserve(along.size());
    for (double distance : along) radii.push_back((startWidth + (endWidth - startWidth) * distance / total) / 2);
    const double margin = std::max(startWidth, endWidth) / 2;
    Shape s{ShapeKind::Stroke, paint, BoundsOf(points, margin), {0, 0}, 0, 0, {1, 0}, points, radii, -1};
    return s;
}

}  // namespace payload
