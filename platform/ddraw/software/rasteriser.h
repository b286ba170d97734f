// Rasterisation: walks a triangle row by row and hands each covered span to the pixel stages.
// Edges are exact in fixed point with the top-left rule, so triangles sharing an edge cover
// every pixel along it exactly once.
#pragma once

#include <cstdint>

#include "ddraw/software/spans.h"

namespace software {

constexpr int SubpixelBits = 4;
constexpr int SubpixelScale = 1 << SubpixelBits;

// Pixels that may be drawn: left <= x < right, top <= y < bottom.
struct Scissor {
    int left, top, right, bottom;
};

// A triangle ready to rasterise: corners in subpixels, pixel centres at multiples of
// SubpixelScale, running clockwise on screen (y down), i.e. with a positive area; box is their
// CoveredBox.
struct TriangleCorners {
    int32_t x[3], y[3];
    Scissor box;
};

// The pixels whose centres lie inside the corners' bounding box and the scissor (empty when
// right <= left or bottom <= top).
Scissor CoveredBox(const int32_t x[3], const int32_t y[3], const Scissor& scissor);

// Rows are dealt out in bands to shares (the drawing threads' slices): band b of a target belongs
// to share b % count. One share (index 0 of 1) owns every row. Each band a triangle crosses starts its
// edges again with divisions, so bands are tall enough that thin triangles rarely cross many.
constexpr int BandRows = 16;
struct RowShare {
    int index, count;

    // Whether any row of this share lies between top and bottom (0 <= top).
    bool Crosses(int top, int bottom) const {
        const int band = FirstBand(top);
        return (band > top ? band : top) < bottom;
    }

    // Calls draw(first, end) for each run of rows first..end-1 of this share between top and
    // bottom (0 <= top), from the top down.
    template <class Draw>
    void ForEachRun(int top, int bottom, Draw draw) const {
        if (count == 1) {
            if (top < bottom) draw(top, bottom);
            return;
        }
        for (int band = FirstBand(top); band < bottom; band += BandRows * count)
            draw(band > top ? band : top, band + BandRows < bottom ? band + BandRows : bottom);
    }

private:
    // The first row of the first band of this share that ends below top.
    int FirstBand(int top) const {
        if (count == 1) return top;
        const int period = BandRows * count;
        const int band = top / period * period + index * BandRows;
        return band + BandRows <= top ? band + period : band;
    }
};
constexpr RowShare AllRows{0, 1};

// Draws the triangle's spans on the rows of the share.
void RasteriseTriangle(const SpanContext& context, const TriangleCorners& corners, const RowShare& rows);

}  // namespace software
