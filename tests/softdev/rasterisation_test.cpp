// Coverage: which pixels a triangle owns, shared edges, winding and culling.
#include <gtest/gtest.h>

#include <cstdint>

#include "pipelinecanvas.h"
#include "ddraw/software/setup.h"

using namespace softdevtest;

TEST(Coverage, SliversAndDegenerateTrianglesDrawNothingTwice) {
    PipelineCanvas canvas(16, 16);
    AddOneUnit(canvas);
    // Zero area (collinear) and a sliver thinner than a pixel between two halves of a quad.
    std::vector<ScreenVertex> v = {At(1, 1), At(5, 5), At(9, 9),
                               At(2, 2), At(12, 2), At(12, 2.05f),
                               At(2, 2), At(12, 2.05f), At(12, 12),
                               At(2, 2), At(12, 12), At(2, 12)};
    canvas.Draw(v);
    EXPECT_EQ(canvas.Count(0x010000), 10 * 10);
    EXPECT_EQ(canvas.Count(0x020000), 0);
}

TEST(Coverage, CornersBeyondTheFixedPointRangeDrawNothing) {
    // Clipping near w = 0 can leave corners this far out; in 32-bit subpixels their edges would
    // wrap, so such a triangle is dropped instead of drawn with wrapped edges.
    software::TriangleSetup setup{};
    setup.scissor = {0, 0, 8, 8};
    setup.cull = software::Cull::None;
    software::SpanContext context{};
    software::TriangleCorners corners{};
    auto corner = [](float x, float y) { return software::ScreenVertex{x, y, 0.5f, 1, 1, 1, 1, 0, 0, 0, 0}; };
    EXPECT_TRUE(software::SetUpTriangle(setup, context, corner(1, 1), corner(6, 1), corner(1, 6), &corners));
    for (float far : {-1.0e11f, 1.0e11f, 6.8e7f})
        EXPECT_FALSE(software::SetUpTriangle(setup, context, corner(far, 2), corner(6, 1), corner(6, 6), &corners)) << far;
}

TEST(Culling, DefaultDiscardsCounterClockwise) {
    PipelineCanvas canvas(8, 8);
    std::vector<ScreenVertex> clockwise = {At(0, 0), At(8, 0), At(0, 8)};
    std::vector<ScreenVertex> counter = {At(8, 8), At(8, 0), At(0, 8)};
    for (auto& p : counter) p.diffuse = 0x0000FF;
    canvas.Draw(clockwise);
    canvas.Draw(counter);
    EXPECT_EQ(canvas.Rgb(1, 1), 0x010000u);
    EXPECT_EQ(canvas.Rgb(7, 7), 0u);
}

