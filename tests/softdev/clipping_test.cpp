// Clipping: near and far planes, the guard band, and input the pipeline must survive.
#include <gtest/gtest.h>

#include <limits>

#include "pipelinecanvas.h"

using namespace softdevtest;

namespace {

// Left-handed perspective with a 90 degree field of view, near 1, far 100.
D3DMATRIX Perspective() {
    D3DMATRIX m{};
    const float q = 100.0f / 99.0f;
    m._11 = m._22 = 1.0f;
    m._33 = q;
    m._34 = 1.0f;
    m._43 = -q;
    return m;
}

PipelineCanvas& Unlit(PipelineCanvas& canvas) {
    canvas.renderer.SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    canvas.renderer.SetTransform(D3DTRANSFORMSTATE_PROJECTION, Perspective());
    return canvas;
}

MeshVertex P(float x, float y, float z) { return MeshVertex{x, y, z, 0, 0, 0, 0, 0}; }

}  // namespace

TEST(Clipping, FloorThroughTheNearPlaneIsCutAtIt) {
    // A floor at y = -1 from behind the viewer (z = -5) to z = 50, far wider than the guard band
    // near the viewer. Seen from the origin it fills the screen below the row of z = 50
    // (y = 16.32); without near clipping the part behind would appear above it.
    PipelineCanvas canvas(32, 32);
    Unlit(canvas);
    std::vector<MeshVertex> floor = {P(-50, -1, -5), P(50, -1, -5), P(50, -1, 50),
                                     P(-50, -1, -5), P(50, -1, 50), P(-50, -1, 50)};
    ASSERT_EQ(canvas.Draw(floor), D3D_OK);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_EQ(canvas.Rgb(x, y), y >= 17 ? 0xFFFFFFu : 0u) << x << "," << y;
    // Depth grows with distance: row 31 is at z = 16 / 15, row 17 at z = 16. Depth changes by
    // about 4100 per row here, so snapping corners to 1/16 pixel moves it by up to about 130.
    EXPECT_NEAR(canvas.Depth(16, 31), 65535.0 * (100.0 / 99.0) * (1.0 - 15.0 / 16.0), 150.0);
    EXPECT_NEAR(canvas.Depth(16, 17), 65535.0 * (100.0 / 99.0) * (1.0 - 1.0 / 16.0), 150.0);
}

TEST(Clipping, FarPlaneCutsWhatLiesBeyond) {
    PipelineCanvas canvas(32, 32);
    Unlit(canvas);
    std::vector<MeshVertex> beyond = {P(-200, 200, 150), P(200, 200, 150), P(0, -200, 150)};
    canvas.Draw(beyond);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 0);
    // A wall slanting from z = 50 (x = -25) to z = 150 (x = 75) crosses the far plane at x = 25,
    // which is screen column 20: nothing right of it.
    std::vector<MeshVertex> wall = {P(-25, -10, 50), P(75, -10, 150), P(75, 10, 150),
                                    P(-25, -10, 50), P(75, 10, 150), P(-25, 10, 50)};
    canvas.Draw(wall);
    EXPECT_EQ(canvas.Rgb(12, 16), 0xFFFFFFu);
    for (int y = 0; y < 32; ++y)
        for (int x = 21; x < 32; ++x) ASSERT_EQ(canvas.Rgb(x, y), 0u) << x << "," << y;
}

TEST(Clipping, BehindTheViewerDrawsNothing) {
    PipelineCanvas canvas(16, 16);
    Unlit(canvas);
    canvas.Draw(std::vector<MeshVertex>{P(-5, -5, -2), P(5, -5, -2), P(0, 5, -2)});
    EXPECT_EQ(canvas.Count(0xFFFFFF), 0);
}

TEST(Clipping, HugeTrianglesAreCutToTheGuardBandWithoutSeams) {
    // Two triangles of a quad reaching far outside the screen in every direction, added on top
    // of each other: every pixel is covered once.
    PipelineCanvas canvas(16, 16);
    Unlit(canvas);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_ZENABLE, 0);
    ColouredVertex v[6] = {{-900, 700, 10, 0x10}, {800, 900, 10, 0x10}, {700, -800, 10, 0x10},
              {-900, 700, 10, 0x10}, {700, -800, 10, 0x10}, {-600, -900, 10, 0x10}};
    canvas.renderer.DrawPrimitive(canvas.Surfaces(), D3DPT_TRIANGLELIST, kColouredFormat, v, 6);
    EXPECT_EQ(canvas.Count(0x10), 16 * 16);

    // Pre-transformed vertices far outside the rasteriser's range are cut in screen space.
    PipelineCanvas flat(16, 16);
    flat.Draw(Quad(-1e9f, -1e9f, 1e9f, 1e9f, 0x20));
    EXPECT_EQ(flat.Count(0x20), 16 * 16);
}

TEST(Clipping, NonFiniteVerticesAreSkipped) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    PipelineCanvas canvas(16, 16);
    Unlit(canvas);
    EXPECT_EQ(canvas.Draw(std::vector<MeshVertex>{P(nan, 0, 5), P(1, 0, 5), P(0, 1, 5)}), D3D_OK);
    EXPECT_EQ(canvas.Draw(std::vector<MeshVertex>{P(inf, 0, 5), P(1, -inf, 5), P(0, 1, 5)}), D3D_OK);
    std::vector<ScreenVertex> quad = Quad(0, 0, 8, 8, 0xFFFFFF);
    quad[0].z = nan;
    quad[4].rhw = nan;
    EXPECT_EQ(canvas.Draw(quad), D3D_OK);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 0);
}
