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

// x, y in subpixels, pixel centres at multiples of SubpixelScale; the corners must run
// clockwise on screen (y down), i.e. have a positive area.
void RasteriseTriangle(const SpanContext& context, const int32_t x[3], const int32_t y[3], const Scissor& scissor);

}  // namespace software
