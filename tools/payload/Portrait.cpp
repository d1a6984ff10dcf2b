#include "Portrait.h"

#include <utility>

namespace payload {

namespace {

constexpr Rgb kSkinLight{240, 204, 166};
constexpr Rgb kSkin{228, 186, 146};
constexpr Rgb kSkinShade{198, 146, 110};
constexpr Rgb kSkinDeep{160, 106, 80};
constexpr Rgb kHair{32, 24, 22};
constexpr Rgb kHairGrey{70, 60, 56};
constexpr Rgb kArmourLight{48, 128, 128};
constexpr Rgb kArmour{26, 88, 94};
constexpr Rgb kArmourDeep{12, 46, 54};
constexpr Rgb kGold{232, 190, 80};
constexpr Rgb kGoldDeep{150, 106, 30};
constexpr Rgb kIronLight{104, 112, 128};
constexpr Rgb kIron{48, 52, 64};
constexpr Rgb kIronDeep{22, 24, 30};
constexpr Rgb kCord{176, 44, 44};
constexpr Rgb kEyeWhite{248, 242, 230};
constexpr Rgb kIris{46, 28, 18};
constexpr Rgb kLip{150, 78, 66};

constexpr double kCentreX = 128;

Point Mirrored(Point p) { return {2 * kCentreX - p.x, p.y}; }

// The right-hand twin of a left-hand shape.
Shape Mirrored(Shape shape) {
    shape.centre = Mirrored(shape.centre);
    shape.axis = {-shape.axis.x, shape.axis.y};
    for (Point& p : shape.points) p = Mirrored(p);
    shape.paint.start = Mirrored(shape.paint.start);
    shape.paint.end = Mirrored(shape.paint.end);
    shape.bounds = {2 * kCentreX - shape.bounds.right, shape.bounds.top, 2 * kCentreX - shape.bounds.left,
                    shape.bounds.bottom};
    return shape;
}

class Canvas {
public:
    int Add(Shape shape, int clip = -1) {
        shape.clip = clip;
        shapes_.push_back(std::move(shape));
        return static_cast<int>(shapes_.size() - 1);
    }
    // Adds a left-hand shape and its mirror image.
    std::pair<int, int> AddPair(const Shape& left, int clip = -1) {
        const int first = Add(left, clip);
        return {first, Add(Mirrored(left), clip)};
    }
    std::vector<Shape> Take() { return std::move(shapes_); }

private:
    std::vector<Shape> shapes_;
};

void DrawArmour(Canvas& c) {
    const int body = c.Add(MakeFill(Path()
                                        .MoveTo(6, 256)
                                        .LineTo(8, 232)
                                        .QuadTo(16, 194, 72, 186)
                                        .LineTo(184, 186)
                                        .QuadTo(240, 194, 248, 232)
                                        .LineTo(250, 256),
                                    Gradient(kArmourLight, {128, 186}, kArmourDeep, {128, 256})));
    // Rows of lacing across the breastplate.
    for (double y : {206.0, 222.0, 238.0, 254.0}) {
        c.Add(MakeStroke(Path().MoveTo(0, y).QuadTo(128, y + 10, 256, y), 3, 3, Solid(kGoldDeep)), body);
        for (int column = 20; column < 250; column += 18) {
            const double x = column;
            c.Add(MakeEllipse({x, y + 8 - (x - 128) * (x - 128) / 1640}, 2.2, 2.2, Solid(kCord)), body);
        }
    }
    // Shoulder guards, rimmed in gold.
    c.AddPair(MakeTiltedEllipse({34, 222}, 42, 28, {3, 2}, Solid(kGold)));
    const auto guards = c.AddPair(
        MakeTiltedEllipse({34, 222}, 38, 24, {3, 2}, Gradient(kArmourLight, {30, 200}, kArmourDeep, {40, 246})));
    for (double offset : {-8.0, 4.0, 16.0}) {
        const Shape lace =
            MakeStroke(Path().MoveTo(6, 200 + offset).LineTo(66, 240 + offset), 2.4, 2.4, Solid(kGoldDeep));
        c.Add(lace, guards.first);
        c.Add(Mirrored(lace), guards.second);
    }
}

void DrawNeckAndThroatGuard(Canvas& c) {
    c.Add(MakeFill(Path().MoveTo(104, 150).LineTo(152, 150).LineTo(156, 208).LineTo(100, 208),
                   Gradient(kSkinDeep, {128, 170}, kSkinShade, {128, 208})));
    c.Add(MakeFill(Path().MoveTo(78, 194).QuadTo(128, 226, 178, 194).LineTo(182, 210).QuadTo(128, 248, 74, 210),
                   Solid(kGold)));
    c.Add(MakeFill(Path().MoveTo(82, 198).QuadTo(128, 228, 174, 198).LineTo(177, 207).QuadTo(128, 242, 79, 207),
                   Gradient(kArmour, {128, 200}, kArmourDeep, {128, 240})));
}

// The helmet's neck guard hangs behind the head, so it is drawn before the face.
void DrawNeckGuard(Canvas& c) {
    const int guard = c.Add(
        MakeFill(Path().MoveTo(74, 92).QuadTo(50, 140, 34, 184).QuadTo(128, 200, 222, 184).QuadTo(206, 140, 182, 92),
                 Gradient(kIron, {128, 92}, kIronDeep, {128, 190})));
    for (double y : {118.0, 142.0, 166.0}) {
        c.Add(MakeStroke(Path().MoveTo(30, y + 4).QuadTo(128, y + 22, 226, y + 4), 2.5, 2.5, Solid(kIronLight)), guard);
    }
}

int DrawFace(Canvas& c) {
    c.AddPair(MakeEllipse({84, 138}, 8, 14, Solid(kSkinShade)));
    c.AddPair(MakeEllipse({85, 138}, 4, 8, Solid(kSkinDeep)));
    const int face = c.Add(MakeFill(Path()
                                        .MoveTo(84, 100)
                                        .CubicTo(82, 150, 92, 178, 112, 188)
                                        .QuadTo(128, 196, 144, 188)
                                        .CubicTo(164, 178, 174, 150, 172, 100),
                                    Gradient(kSkinLight, {128, 110}, kSkin, {128, 190})));
    // Shadow under the cheekbones and beside the nose.
    c.AddPair(MakeTiltedEllipse({80, 146}, 12, 44, {1, -6}, Solid(kSkinShade)), face);
    c.AddPair(MakeTiltedEllipse({96, 160}, 13, 26, {1, -3}, Solid(kSkin)), face);
    c.Add(MakeFill(Path().MoveTo(128, 126).QuadTo(121, 142, 118, 152).QuadTo(124, 156, 128, 154), Solid(kSkinShade)),
          face);
    return face;
}

void DrawEyes(Canvas& c) {
    const Shape white = MakeTiltedEllipse({108, 131}, 12, 5.6, {6, 1}, Solid(kEyeWhite));
    const int leftWhite = c.Add(white);
    c.Add(MakeEllipse({110, 131}, 5.2, 5.2, Solid(kIris)), leftWhite);
    const int rightWhite = c.Add(Mirrored(white));
    c.Add(MakeEllipse(Mirrored(Point{110, 131}), 5.2, 5.2, Solid(kIris)), rightWhite);
    // Upper lids and the crease above them.
    c.AddPair(MakeStroke(Path().MoveTo(95, 130).QuadTo(106, 122, 122, 129), 1.8, 3.2, Solid(kHair)));
    c.AddPair(MakeStroke(Path().MoveTo(99, 124).QuadTo(108, 119, 118, 122), 1.2, 1.2, Solid(kSkinShade)));
    // Brows knit towards the nose.
    c.AddPair(MakeStroke(Path().MoveTo(90, 117).QuadTo(104, 108, 119, 116), 4, 8, Solid(kHair)));
}

void DrawNoseAndMouth(Canvas& c) {
    c.Add(MakeStroke(Path().MoveTo(131, 128).QuadTo(134, 142, 135, 150), 1.5, 2.6, Solid(kSkinShade)));
    c.Add(MakeStroke(Path().MoveTo(119, 153).QuadTo(128, 159, 137, 153), 2.6, 2.6, Solid(kSkinDeep)));
    c.Add(MakeEllipse({128, 175}, 8, 3.2, Solid(kLip)));
    c.Add(MakeStroke(Path().MoveTo(116, 172).QuadTo(128, 175, 140, 172), 2.4, 2.4, Solid(kSkinDeep)));
}

void DrawBeard(Canvas& c) {
    // Pointed beard under the chin and a drooping moustache.
    c.Add(MakeFill(
        Path().MoveTo(108, 182).QuadTo(128, 190, 148, 182).QuadTo(146, 204, 128, 220).QuadTo(110, 204, 108, 182),
        Gradient(kHair, {128, 182}, kHairGrey, {128, 220})));
    c.AddPair(MakeStroke(Path().MoveTo(127, 162).QuadTo(108, 160, 98, 186), 6.5, 1.5, Solid(kHair)));
    c.AddPair(MakeStroke(Path().MoveTo(88, 150).QuadTo(92, 172, 108, 184), 2, 4, Solid(kHair)));
}

void DrawHelmet(Canvas& c) {
    const int bowl = c.Add(MakeFill(Path().MoveTo(70, 104).QuadTo(70, 34, 128, 32).QuadTo(186, 34, 186, 104),
                                    Gradient(kIronLight, {110, 40}, kIronDeep, {140, 104})));
    for (double x : {88.0, 108.0, 128.0, 148.0, 168.0}) {
        c.Add(MakeStroke(Path().MoveTo(128, 30).QuadTo(x + (x - 128) * 0.3, 50, x, 104), 1.6, 2.4, Solid(kIronDeep)),
              bowl);
    }
    // Turned-back flaps beside the brim.
    c.AddPair(MakeFill(Path().MoveTo(70, 86).QuadTo(46, 84, 40, 104).QuadTo(54, 116, 76, 108), Solid(kGold)));
    c.AddPair(MakeFill(Path().MoveTo(70, 90).QuadTo(50, 89, 45, 104).QuadTo(56, 112, 74, 106),
                       Gradient(kArmourLight, {50, 90}, kArmourDeep, {70, 110})));
    // Peak over the brow.
    c.Add(MakeFill(Path().MoveTo(64, 98).QuadTo(128, 80, 192, 98).LineTo(194, 108).QuadTo(128, 94, 62, 108),
                   Gradient(kIron, {128, 88}, kIronDeep, {128, 108})));
    c.Add(MakeStroke(Path().MoveTo(62, 107).QuadTo(128, 93, 194, 107), 2.6, 2.6, Solid(kGold)));
}

void DrawCrest(Canvas& c) {
    // Crescent horns rising from a round mount on the helmet's front.
    c.AddPair(MakeFill(Path().MoveTo(126, 84).QuadTo(88, 70, 74, 10).QuadTo(102, 50, 128, 66),
                       Gradient(kGold, {90, 20}, kGoldDeep, {120, 84})));
    c.Add(MakeEllipse({128, 82}, 12, 12, Solid(kGoldDeep)));
    c.Add(MakeEllipse({128, 82}, 10, 10, Gradient(kGold, {122, 74}, kGoldDeep, {134, 92})));
    c.Add(MakeEllipse({128, 82}, 5, 5, Gradient(kArmourLight, {126, 78}, kArmourDeep, {130, 86})));
}

}  // namespace

std::vector<Shape> PortraitShapes() {
    Canvas c;
    DrawNeckGuard(c);
    DrawArmour(c);
    DrawNeckAndThroatGuard(c);
    DrawFace(c);
    DrawEyes(c);
    DrawNoseAndMouth(c);
    DrawBeard(c);
    DrawHelmet(c);
    DrawCrest(c);
    return c.Take();
}

}  // namespace payload
