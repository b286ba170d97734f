#include "ddraw/software/rasteriser.h"

#include <algorithm>

namespace software {

namespace {

int64_t FloorDivide(int64_t a, int64_t b) {  // b > 0
    int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

int64_t CeilDivide(int64_t a, int64_t b) { return -FloorDivide(-a, b); }

// One edge A->B of a clockwise triangle: a pixel centre P is inside when
// dx * (P.y - A.y) - dy * (P.x - A.x) + bias >= 0, the bias making only top and left edges
// own the pixels exactly on them.
struct Edge {
    int64_t dx, dy, ax, ay, bias;

    void Init(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        dx = x1 - x0;
        dy = y1 - y0;
        ax = x0;
        ay = y0;
        bool topLeft = dy < 0 || (dy == 0 && dx > 0);
        bias = topLeft ? 0 : -1;
    }

    // Narrows [left, right] to the pixels of row py inside this edge.
    void Limit(int py, int64_t& left, int64_t& right) const {
        int64_t c = dx * (static_cast<int64_t>(py) * SubpixelScale - ay) + dy * ax + bias;
        if (dy == 0) {
            if (c < 0) right = left - 1;
        } else if (dy > 0) {
            right = std::min(right, FloorDivide(c, dy * SubpixelScale));
        } else {
            left = std::max(left, CeilDivide(-c, -dy * SubpixelScale));
        }
    }
};

}  // namespace

void RasteriseTriangle(const SpanContext& context, const int32_t x[3], const int32_t y[3], const Scissor& scissor) {
    Edge edges[3];
    for (int i = 0; i < 3; ++i) edges[i].Init(x[i], y[i], x[(i + 1) % 3], y[(i + 1) % 3]);
    int64_t minY = std::min({y[0], y[1], y[2]}), maxY = std::max({y[0], y[1], y[2]});
    int64_t minX = std::min({x[0], x[1], x[2]}), maxX = std::max({x[0], x[1], x[2]});
    int top = static_cast<int>(std::max<int64_t>(scissor.top, CeilDivide(minY, SubpixelScale)));
    int bottom = static_cast<int>(std::min<int64_t>(scissor.bottom - 1, FloorDivide(maxY, SubpixelScale)));
    int64_t boxLeft = std::max<int64_t>(scissor.left, CeilDivide(minX, SubpixelScale));
    int64_t boxRight = std::min<int64_t>(scissor.right - 1, FloorDivide(maxX, SubpixelScale));
    for (int py = top; py <= bottom; ++py) {
        int64_t left = boxLeft, right = boxRight;
        for (const Edge& edge : edges) edge.Limit(py, left, right);
        if (left <= right) DrawSpan(context, py, static_cast<int>(left), static_cast<int>(right));
    }
}

}  // namespace software
