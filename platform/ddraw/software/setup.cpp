#include "ddraw/software/setup.h"

#include <cmath>

namespace software {

namespace {

// Whether the attributes other than the position are finite (Snap tells for the position).
bool IsFinite(const ScreenVertex& v) {
    return std::isfinite(v.z) && std::isfinite(v.q) && std::isfinite(v.r) && std::isfinite(v.g) &&
           std::isfinite(v.b);
}

// The floor of a value inside the range of int64_t, as an integer: truncation towards zero, then
// one down for a negative value with a fraction; shorter than std::floor's sequence for any
// double, and it runs for every corner and plane.
int64_t FloorOf(double value) {
    int64_t whole = static_cast<int64_t>(value);
    if (static_cast<double>(whole) > value) --whole;
    return whole;
}

// Corners further out than 2^30 subpixels are not drawn: their differences would not fit the
// 32-bit edge arithmetic, and no real triangle comes near (it is 2^26 pixels). NaN and infinity
// are not drawn either.
bool Snap(float coordinate, int32_t& snapped) {
    const double value = static_cast<double>(coordinate) * SubpixelScale + 0.5;
    // The floor lies strictly between -2^30 and 2^30 exactly when this holds.
    if (!(value >= 1.0 - double(1 << 30) && value < double(1 << 30))) return false;
    snapped = static_cast<int32_t>(FloorOf(value));
    return true;
}

// Conversion to fixed point that stays defined for any double; steep gradients are limited
// so that stepping across the largest target cannot overflow.
int64_t ToFixed(double value, double limit) {
    if (!(value > -limit)) value = -limit;
    if (!(value < limit)) value = limit;
    return FloorOf(value + 0.5);
}

struct Geometry {
    double ex1, ey1, ex2, ey2;  // corners 1 and 2 relative to corner 0, in pixels
    double area;                // twice the area, in pixels squared
    double rx, ry;              // reference pixel relative to corner 0
};

struct Gradient {
    double atReference, dx, dy;
};

Gradient GradientOf(const Geometry& g, double a0, double a1, double a2) {
    double d1 = a1 - a0, d2 = a2 - a0;
    Gradient result;
    result.dx = (d1 * g.ey2 - d2 * g.ey1) / g.area;
    result.dy = (d2 * g.ex1 - d1 * g.ex2) / g.area;
    result.atReference = a0 + result.dx * g.rx + result.dy * g.ry;
    return result;
}

FixedPlane FixedPlaneOf(const Geometry& g, double a0, double a1, double a2, double scale) {
    constexpr double ValueLimit = 4611686018427387904.0;  // 2^62
    constexpr double GradientLimit = 281474976710656.0;   // 2^48
    Gradient gradient = GradientOf(g, a0, a1, a2);
    return FixedPlane{ToFixed(gradient.atReference * scale, ValueLimit), ToFixed(gradient.dx * scale, GradientLimit),
                      ToFixed(gradient.dy * scale, GradientLimit)};
}

// The corners of a triangle's box relative to its reference pixel, widened by one vector step to
// the right: where the vector stages evaluate its planes.
struct LaneBox {
    double left, right, top, bottom;
};

LaneBox LaneBoxOf(const Scissor& box, int referenceX, int referenceY) {
    return LaneBox{static_cast<double>(box.left - referenceX),
                   static_cast<double>(box.right - 1 + MaxStepPixels - referenceX),
                   static_cast<double>(box.top - referenceY), static_cast<double>(box.bottom - 1 - referenceY)};
}

// Whether 32-bit lanes hold the plane's values over the box, with room to spare for the rounding
// added to them. The plane is linear, so its extremes are at the corners.
bool FitsLanes(const FixedPlane& plane, const LaneBox& box) {
    constexpr double Limit = 1073741824.0;  // 2^30
    const double c = static_cast<double>(plane.c), dx = static_cast<double>(plane.dx),
                 dy = static_cast<double>(plane.dy);
    auto inside = [&](double column, double row) { return std::fabs(c + dx * column + dy * row) < Limit; };
    return inside(box.left, box.top) && inside(box.left, box.bottom) && inside(box.right, box.top) &&
           inside(box.right, box.bottom);
}

FloatPlane FloatPlaneOf(const Geometry& g, double a0, double a1, double a2) {
    Gradient gradient = GradientOf(g, a0, a1, a2);
    return FloatPlane{static_cast<float>(gradient.atReference), static_cast<float>(gradient.dx),
                      static_cast<float>(gradient.dy)};
}

}  // namespace

bool SetUpTriangle(const TriangleSetup& setup, SpanContext& context, const ScreenVertex& a, const ScreenVertex& b,
                   const ScreenVertex& c, TriangleCorners* corners) {
    const ScreenVertex* v[3] = {&a, &b, &c};
    int32_t* x = corners->x;
    int32_t* y = corners->y;
    for (int i = 0; i < 3; ++i) {
        if (!Snap(v[i]->x, x[i]) || !Snap(v[i]->y, y[i])) return false;
    }
    int64_t area =
        static_cast<int64_t>(x[1] - x[0]) * (y[2] - y[0]) - static_cast<int64_t>(x[2] - x[0]) * (y[1] - y[0]);
    if (area == 0) return false;
    if (setup.cull == Cull::Clockwise && area > 0) return false;
    if (setup.cull == Cull::CounterClockwise && area < 0) return false;
    if (area < 0) {
        std::swap(v[1], v[2]);
        std::swap(x[1], x[2]);
        std::swap(y[1], y[2]);
        area = -area;
    }
    // Triangles wholly outside the scissor (off-screen billboards, say) go before any plane is made.
    const Scissor box = CoveredBox(x, y, setup.scissor);
    if (box.left >= box.right || box.top >= box.bottom) return false;
    if (!IsFinite(a) || !IsFinite(b) || !IsFinite(c)) return false;
    corners->box = box;

    context.referenceX = x[0] >> SubpixelBits;
    context.referenceY = y[0] >> SubpixelBits;
    Geometry g;
    g.ex1 = static_cast<double>(x[1] - x[0]) / SubpixelScale;
    g.ey1 = static_cast<double>(y[1] - y[0]) / SubpixelScale;
    g.ex2 = static_cast<double>(x[2] - x[0]) / SubpixelScale;
    g.ey2 = static_cast<double>(y[2] - y[0]) / SubpixelScale;
    g.area = static_cast<double>(area) / (SubpixelScale * SubpixelScale);
    g.rx = context.referenceX - static_cast<double>(x[0]) / SubpixelScale;
    g.ry = context.referenceY - static_cast<double>(y[0]) / SubpixelScale;

    const ScreenVertex &p0 = *v[0], &p1 = *v[1], &p2 = *v[2];
    const double colourScale = 1 << ColourFraction;
    context.z = FixedPlaneOf(g, p0.z, p1.z, p2.z, setup.depthScale * (1 << DepthFraction));
    context.red = FixedPlaneOf(g, p0.r, p1.r, p2.r, colourScale);
    context.green = FixedPlaneOf(g, p0.g, p1.g, p2.g, colourScale);
    context.blue = FixedPlaneOf(g, p0.b, p1.b, p2.b, colourScale);
    if (setup.perspective) {
        context.s = FloatPlaneOf(g, p0.s, p1.s, p2.s);
        context.t = FloatPlaneOf(g, p0.t, p1.t, p2.t);
        context.q = FloatPlaneOf(g, p0.q, p1.q, p2.q);
    } else {
        context.s = FloatPlaneOf(g, p0.u, p1.u, p2.u);
        context.t = FloatPlaneOf(g, p0.v, p1.v, p2.v);
        context.q = FloatPlane{1.0f, 0.0f, 0.0f};
    }
    const LaneBox lanes = LaneBoxOf(box, context.referenceX, context.referenceY);
    const bool fits = FitsLanes(context.red, lanes) && FitsLanes(context.green, lanes) &&
                      FitsLanes(context.blue, lanes) && (!setup.depthPlaneInLanes || FitsLanes(context.z, lanes));
    const PlaneStages& stages = fits ? setup.lanes : setup.scalar;
    bool minified = false;
    if (setup.filterPerTriangle) {
        double texelArea = std::fabs((static_cast<double>(p1.u) - p0.u) * (static_cast<double>(p2.v) - p0.v) -
                                     (static_cast<double>(p2.u) - p0.u) * (static_cast<double>(p1.v) - p0.v)) *
                           setup.texelsPerUnitArea;
        minified = texelArea > g.area;
    }
    context.stages.depth = stages.depth;
    context.stages.shade = minified ? stages.minify : stages.magnify;
    context.batchShade = minified ? stages.batchMinify : stages.batchMagnify;
    context.shortStages.depth = setup.scalar.depth;
    context.shortStages.shade = minified ? setup.scalar.minify : setup.scalar.magnify;
    return true;
}

}  // namespace software
