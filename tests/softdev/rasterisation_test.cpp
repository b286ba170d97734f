// Coverage: which pixels a triangle owns, shared edges, winding and culling.
#include <gtest/gtest.h>

#include <cstdint>

#include "canvas.h"
#include "ddraw/software/setup.h"

using namespace softdevtest;

namespace {

// Additive drawing of one unit of red per covered pixel: a pixel's red is its coverage count.
void AddOneUnit(Canvas& canvas) {
    canvas.renderer.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_ZENABLE, 0);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
}

TlVertex At(float x, float y) { return TlVertex{x, y, 0.5f, 1.0f, 0x010000, 0, 0, 0}; }

}  // namespace

TEST(Coverage, PixelCentresOnIntegersAndTopLeftRule) {
    Canvas canvas(8, 8);
    EXPECT_EQ(canvas.Draw(Quad(2, 1, 6, 4, 0xFFFFFF)), D3D_OK);
    // Centres sit on integers: the left and top edges own x = 2 and y = 1, the right and bottom
    // edges do not own x = 6 and y = 4.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(canvas.Rgb(x, y), (x >= 2 && x < 6 && y >= 1 && y < 4) ? 0xFFFFFFu : 0u) << x << "," << y;
}

TEST(Coverage, HalfPixelQuadCoversTheCentresInside) {
    Canvas canvas(8, 8);
    canvas.Draw(Quad(1.5f, 1.5f, 4.5f, 3.5f, 0x00FF00));
    EXPECT_EQ(canvas.Count(0x00FF00), 3 * 2);
    EXPECT_EQ(canvas.Rgb(2, 2), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(4, 3), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(1, 2), 0u);
}

TEST(Coverage, JitteredMeshCoversEveryPixelExactlyOnce) {
    // A 40 x 30 rectangle cut into a grid of cells with moved interior corners, each cell
    // split in two with alternating diagonals, both windings mixed: every pixel of the
    // rectangle must be drawn once, none outside it.
    Canvas canvas(48, 40);
    AddOneUnit(canvas);
    const int cols = 5, rows = 4;
    float px[rows + 1][cols + 1], py[rows + 1][cols + 1];
    uint32_t seed = 12345;
    auto jitter = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return ((seed >> 16) % 1000) / 1000.0f * 5.0f - 2.5f;
    };
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= cols; ++i) {
            bool inner = i > 0 && i < cols && j > 0 && j < rows;
            px[j][i] = 3.0f + i * 8.0f + (inner ? jitter() : 0.0f);
            py[j][i] = 5.0f + j * 7.5f + (inner ? jitter() : 0.0f);
        }
    std::vector<TlVertex> v;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < cols; ++i) {
            TlVertex a = At(px[j][i], py[j][i]), b = At(px[j][i + 1], py[j][i + 1]);
            TlVertex c = At(px[j + 1][i + 1], py[j + 1][i + 1]), d = At(px[j + 1][i], py[j + 1][i]);
            if ((i + j) % 2) {
                v.insert(v.end(), {a, b, c, a, d, c});
            } else {
                v.insert(v.end(), {a, b, d, b, d, c});
            }
        }
    EXPECT_EQ(canvas.Draw(v), D3D_OK);
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            bool inside = x >= 3 && x < 43 && y >= 5 && y < 35;
            ASSERT_EQ(canvas.Rgb(x, y), inside ? 0x010000u : 0u) << x << "," << y;
        }
}

TEST(Coverage, FanAroundASharedCornerHasNoGapsOrOverlaps) {
    Canvas canvas(32, 32);
    AddOneUnit(canvas);
    // Eight triangles around (15.3, 16.7) make an octagon-ish polygon with corners on a square.
    const float cx = 15.3f, cy = 16.7f;
    const float ring[8][2] = {{4, 4}, {16, 4}, {28, 4}, {28, 16}, {28, 28}, {16, 28}, {4, 28}, {4, 16}};
    std::vector<TlVertex> v;
    for (int i = 0; i < 8; ++i) {
        const float* p = ring[i];
        const float* q = ring[(i + 1) % 8];
        v.insert(v.end(), {At(cx, cy), At(p[0], p[1]), At(q[0], q[1])});
    }
    canvas.Draw(v);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(canvas.Rgb(x, y), (x >= 4 && x < 28 && y >= 4 && y < 28) ? 0x010000u : 0u) << x << "," << y;
}

TEST(Coverage, SliversAndDegenerateTrianglesDrawNothingTwice) {
    Canvas canvas(16, 16);
    AddOneUnit(canvas);
    // Zero area (collinear) and a sliver thinner than a pixel between two halves of a quad.
    std::vector<TlVertex> v = {At(1, 1), At(5, 5), At(9, 9),
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
    Canvas canvas(8, 8);
    std::vector<TlVertex> clockwise = {At(0, 0), At(8, 0), At(0, 8)};
    std::vector<TlVertex> counter = {At(8, 8), At(8, 0), At(0, 8)};
    for (auto& p : counter) p.diffuse = 0x0000FF;
    canvas.Draw(clockwise);
    canvas.Draw(counter);
    EXPECT_EQ(canvas.Rgb(1, 1), 0x010000u);
    EXPECT_EQ(canvas.Rgb(7, 7), 0u);
}

TEST(Culling, EachModeDiscardsItsWinding) {
    std::vector<TlVertex> clockwise = {At(0, 0), At(8, 0), At(0, 8)};
    std::vector<TlVertex> counter = {At(8, 8), At(8, 0), At(0, 8)};
    struct Case {
        DWORD mode;
        bool clockwiseDrawn, counterDrawn;
    } cases[] = {{D3DCULL_NONE, true, true}, {D3DCULL_CW, false, true}, {D3DCULL_CCW, true, false}};
    for (const Case& c : cases) {
        Canvas canvas(8, 8);
        canvas.renderer.SetRenderState(D3DRENDERSTATE_CULLMODE, c.mode);
        canvas.Draw(clockwise);
        canvas.Draw(counter);
        EXPECT_EQ(canvas.Rgb(1, 1) != 0, c.clockwiseDrawn) << c.mode;
        EXPECT_EQ(canvas.Rgb(7, 7) != 0, c.counterDrawn) << c.mode;
    }
}

TEST(Coverage, ViewportLimitsDrawing) {
    Canvas canvas(16, 16);
    D3DVIEWPORT7 viewport{4, 2, 8, 6, 0.0f, 1.0f};
    ASSERT_EQ(canvas.renderer.SetViewport(viewport, 16, 16), D3D_OK);
    canvas.Draw(Quad(0, 0, 16, 16, 0xFFFFFF));
    EXPECT_EQ(canvas.Count(0xFFFFFF), 8 * 6);
    EXPECT_EQ(canvas.Rgb(4, 2), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(11, 7), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(12, 7), 0u);
    // A viewport larger than the target is refused.
    D3DVIEWPORT7 tooBig{8, 0, 9, 16, 0.0f, 1.0f};
    EXPECT_EQ(canvas.renderer.SetViewport(tooBig, 16, 16), D3DERR_INVALIDCALL);
}
