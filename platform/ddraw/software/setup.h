// Triangle setup: snaps corners to the subpixel grid, culls by winding, and turns the corner
// attributes into the planes the pixel stages step through.
#pragma once

#include "ddraw/software/rasteriser.h"
#include "ddraw/software/vertexprocessing.h"

namespace software {

// Which screen winding is discarded (y down: clockwise has positive area).
enum class Cull : uint8_t { None, Clockwise, CounterClockwise };

// The stages that step through a triangle's planes.
struct PlaneStages {
    DepthStage depth;
    ShadeStage magnify, minify;
    BatchShadeStage batchMagnify, batchMinify;  // null where spans are shaded one by one
};

struct TriangleSetup {
    Scissor scissor;
    Cull cull;
    bool perspective;
    double depthScale;  // the depth buffer's largest value
    // With different minification and magnification filters the choice is made per triangle
    // from its texel-to-pixel area ratio.
    bool filterPerTriangle;
    // Vector stages hold plane values in 32-bit lanes: they get the triangles whose values
    // stay inside that range, the scalar stages the rest.
    PlaneStages lanes, scalar;
    // The vector depth stage holds the depth plane in 32-bit lanes too (16-bit depth; 32-bit
    // depth starts each step from the exact value).
    bool depthPlaneInLanes;
    double texelsPerUnitArea;  // texture width x height
};

// Fills the context's planes and plane stages and the corners for the triangle a, b, c; false
// when it covers no pixel (culled, degenerate, outside the scissor or not finite).
bool SetUpTriangle(const TriangleSetup& setup, SpanContext& context, const ScreenVertex& a, const ScreenVertex& b,
                   const ScreenVertex& c, TriangleCorners* corners);

}  // namespace software
