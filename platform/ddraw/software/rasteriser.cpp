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
// c = dx * (P.y - A.y) - dy * (P.x - A.x) + bias >= 0, the bias making only top and left edges
// own the pixels exactly on them. On a row the boundary is floor(c0 / (|dy| x SubpixelScale)),
// c0 being c at column 0; it is divided out at a band's first row and stepped exactly, quotient
// and remainder, down the rows after it.
struct Edge {
    int64_t dx, dy, ax, ay, bias;
    int64_t divisor;                        // |dy| x SubpixelScale
    int64_t stepQuotient, stepRemainder;    // dx x SubpixelScale, the numerator's change a row
    int64_t numerator;                      // c0 on the row last started at
    int64_t quotient, remainder;            // floor(c0 / divisor) and its remainder on the current row

    void Init(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        dx = x1 - x0;
        dy = y1 - y0;
        ax = x0;
        ay = y0;
        bool topLeft = dy < 0 || (dy == 0 && dx > 0);
        bias = topLeft ? 0 : -1;
        divisor = (dy < 0 ? -dy : dy) * SubpixelScale;
        stepQuotient = stepRemainder = quotient = remainder = 0;  // a level edge uses the numerator alone
        if (divisor) {
            stepQuotient = FloorDivide(dx * SubpixelScale, divisor);
            stepRemainder = dx * SubpixelScale - stepQuotient * divisor;
        }
    }

    void Start(int py) {
        numerator = dx * (static_cast<int64_t>(py) * SubpixelScale - ay) + dy * ax + bias;
        if (divisor) {
            quotient = FloorDivide(numerator, divisor);
            remainder = numerator - quotient * divisor;
        }
    }

    // A sloped edge on to the next row; the carry without a branch, as slopes make it unpredictable.
    void Step() {
        const int64_t carry = remainder + stepRemainder >= divisor ? 1 : 0;
        quotient += stepQuotient + carry;
        remainder += stepRemainder - (divisor & -carry);
    }

    // Narrows [left, right] to the pixels of the current row inside this edge.
    void Limit(int64_t& left, int64_t& right) const {
        if (dy == 0) {
            if (numerator < 0) right = left - 1;
        } else if (dy > 0) {
            right = std::min(right, quotient);
        } else {
            left = std::max(left, -quotient);
        }
    }
};

}  // namespace

Scissor CoveredBox(const int32_t x[3], const int32_t y[3], const Scissor& scissor) {
    int64_t minY = std::min({y[0], y[1], y[2]}), maxY = std::max({y[0], y[1], y[2]});
    int64_t minX = std::min({x[0], x[1], x[2]}), maxX = std::max({x[0], x[1], x[2]});
    Scissor box;
    box.left = static_cast<int>(std::max<int64_t>(scissor.left, CeilDivide(minX, SubpixelScale)));
    box.top = static_cast<int>(std::max<int64_t>(scissor.top, CeilDivide(minY, SubpixelScale)));
    box.right = static_cast<int>(std::min<int64_t>(scissor.right, FloorDivide(maxX, SubpixelScale) + 1));
    box.bottom = static_cast<int>(std::min<int64_t>(scissor.bottom, FloorDivide(maxY, SubpixelScale) + 1));
    return box;
}

void RasteriseTriangle(const SpanContext& context, const TriangleCorners& corners, const RowShare& rows) {
    const int32_t* x = corners.x;
    const int32_t* y = corners.y;
    const Scissor& box = corners.box;
    // Above the middle corner a row is bounded by the two edges that meet at the top corner, below
    // it by the two that meet at the bottom one: the third edge holds every pixel centre between
    // those two strictly (the triangle is convex and the far corner of the third edge is no nearer
    // in y). Only a row through the middle corner itself needs all three edges.
    const int top = y[0] <= y[1] ? (y[0] <= y[2] ? 0 : 2) : (y[1] <= y[2] ? 1 : 2);
    const int bottom = y[(top + 1) % 3] >= y[(top + 2) % 3] ? (top + 1) % 3 : (top + 2) % 3;
    const int middle = 3 - top - bottom;
    const int64_t middleRow = CeilDivide(y[middle], SubpixelScale);
    const bool rowThroughMiddle = static_cast<int64_t>(y[middle]) == middleRow * SubpixelScale;
    // Edge i runs from corner i to corner i + 1; going clockwise, the edge that ends at a corner
    // comes up to it from below (a left edge) at the top and down to it (a right edge) at the bottom.
    const int upperLeft = (top + 2) % 3, upperRight = top;
    const int lowerLeft = bottom, lowerRight = (bottom + 2) % 3;
    // Edges are made on the first run of rows: a thread that owns none of a small triangle's
    // rows passes it by without the divisions.
    Edge edges[3];
    bool made = false;
    SpanDrawer spans(context);
    // The box's columns by value: the compiler cannot tell that gathering a span leaves the corners
    // alone, and would read them again every row.
    const int64_t boxLeft = box.left, boxRight = box.right - 1;
    auto walk = [&spans, boxLeft, boxRight](Edge left, Edge right, int first, int end) {
        left.Start(first);
        right.Start(first);
        for (int py = first;;) {
            const int64_t x0 = std::max<int64_t>(boxLeft, -left.quotient);
            const int64_t x1 = std::min<int64_t>(boxRight, right.quotient);
            if (x0 <= x1) spans.Draw(py, static_cast<int>(x0), static_cast<int>(x1));
            if (++py == end) break;
            left.Step();
            right.Step();
        }
    };
    rows.ForEachRun(box.top, box.bottom, [&](int first, int end) {
        if (!made) {
            for (int i = 0; i < 3; ++i) edges[i].Init(x[i], y[i], x[(i + 1) % 3], y[(i + 1) % 3]);
            made = true;
        }
        const int upperEnd = static_cast<int>(std::min<int64_t>(end, std::max<int64_t>(first, middleRow)));
        if (first < upperEnd) walk(edges[upperLeft], edges[upperRight], first, upperEnd);
        int lowerFirst = upperEnd;
        if (rowThroughMiddle && lowerFirst == middleRow && lowerFirst < end) {
            int64_t left = box.left, right = box.right - 1;
            for (Edge& edge : edges) {
                edge.Start(lowerFirst);
                edge.Limit(left, right);
            }
            if (left <= right) spans.Draw(lowerFirst, static_cast<int>(left), static_cast<int>(right));
            ++lowerFirst;
        }
        if (lowerFirst < end) walk(edges[lowerLeft], edges[lowerRight], lowerFirst, end);
    });
    spans.Finish();
}

}  // namespace software
