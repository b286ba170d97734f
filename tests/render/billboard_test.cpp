// The flare billboard and the screen quad.
#include <cstring>
#include <memory>

#include "billboard.h"
#include "globals.h"
#include "renderdevice.h"
#include "showfixture.h"

namespace {

// A viewer at the origin looking down +z, with a projection that keeps x and y and divides by
// depth, so normalised screen co-ordinates are simply x / z and y / z.
void PlainViewer(LightSet& lightSet) {
    lightSet.view = IdentityMatrix();
    lightSet.projection = ZeroMatrix();
    lightSet.projection(0, 0) = 1.0f;
    lightSet.projection(1, 1) = 1.0f;
    lightSet.projection(2, 2) = 1.0f;
    lightSet.projection(2, 3) = 1.0f;
    lightSet.projection(3, 2) = -1.0f;  // near plane at 1
}

void MakeSquare(Billboard& square, float h) {
    const float corners[6][4] = {{-h, -h, 1, 1}, {-h, h, 1, 0}, {h, h, 0, 0},
                                 {h, h, 0, 0},   {h, -h, 0, 1}, {-h, -h, 1, 1}};
    for (int i = 0; i < 6; ++i)
        square.vertices[i] = DrawVertex{corners[i][0], corners[i][1], 0, 0, 0, -1, corners[i][2], corners[i][3]};
    std::memset(&square.material, 0, sizeof(square.material));
    square.material.dvPower = 50.0f;
    square.texture = keyTexture;
}

using BillboardTest = ShowTest;

TEST_F(BillboardTest, MissingImageLeavesAnUntexturedSquareOfTheGivenSize) {
    Billboard square;
    square.texture = keyTexture;
    square.Init(renderDevice, "no-such-flare.jpg", 2.0f, 0.5f, 0.25f, 1.0f);
    EXPECT_EQ(square.texture, nullptr);

    const float h = 2.35f * 2.0f;
    const float expected[6][4] = {{-h, -h, 1, 1}, {-h, h, 1, 0}, {h, h, 0, 0},
                                  {h, h, 0, 0},   {h, -h, 0, 1}, {-h, -h, 1, 1}};
    for (int i = 0; i < 6; ++i) {
        const DrawVertex& v = square.vertices[i];
        EXPECT_EQ(v.x, expected[i][0]) << i;
        EXPECT_EQ(v.y, expected[i][1]) << i;
        EXPECT_EQ(v.z, 0.0f) << i;
        EXPECT_EQ(v.nx, 0.0f) << i;
        EXPECT_EQ(v.ny, 0.0f) << i;
        EXPECT_EQ(v.nz, -1.0f) << i;
        EXPECT_EQ(v.tu, expected[i][2]) << i;
        EXPECT_EQ(v.tv, expected[i][3]) << i;
    }
    const D3DMATERIAL7& m = square.material;
    EXPECT_EQ(m.dcvDiffuse.r, 0.5f);
    EXPECT_EQ(m.dcvDiffuse.g, 0.25f);
    EXPECT_EQ(m.dcvDiffuse.b, 1.0f);
    EXPECT_EQ(m.dcvDiffuse.a, 0.0f);
    EXPECT_EQ(m.dcvAmbient.r, 0.0f);
    EXPECT_EQ(m.dcvSpecular.g, 0.0f);
    EXPECT_EQ(m.dcvEmissive.b, 0.0f);
    EXPECT_EQ(m.dvPower, 50.0f);
    // Nothing is drawn while building.
    EXPECT_TRUE(recorder.calls.empty());
}

TEST(BillboardScreenTest, EdgeOfTheWidenedScreenCountsAsOnScreen) {
    std::unique_ptr<LightSet> lightSet(new LightSet());
    PlainViewer(*lightSet);
    Billboard square;
    EXPECT_EQ(square.IsOnScreen(Vector(3.0f, 0.0f, 2.0f), *lightSet), 1);      // x / z = 1.5
    EXPECT_EQ(square.IsOnScreen(Vector(-3.0f, 3.0f, 2.0f), *lightSet), 1);     // both at the edge
    EXPECT_EQ(square.IsOnScreen(Vector(3.0002f, 0.0f, 2.0f), *lightSet), 0);   // 1.5001
    EXPECT_EQ(square.IsOnScreen(Vector(0.0f, -3.0002f, 2.0f), *lightSet), 0);
    // Between the viewer and the near plane the depth is negative: not drawn.
    EXPECT_EQ(square.IsOnScreen(Vector(0.0f, 0.0f, 0.5f), *lightSet), 0);
    // Anything behind the viewer counts as on screen, however far to the side.
    EXPECT_EQ(square.IsOnScreen(Vector(500.0f, 0.0f, -1.0f), *lightSet), 1);

    // The view transform is applied first: a viewer moved back by 2 sees z = 2 as z = 4.
    lightSet->view = Translation(0.0f, 0.0f, 2.0f);
    EXPECT_EQ(square.IsOnScreen(Vector(3.0002f, 0.0f, 2.0f), *lightSet), 1);
}

TEST(BillboardFacingTest, FacesTheViewerAtTheGivenSizeAndPlace) {
    Matrix view;
    ASSERT_EQ(BuildViewMatrix(view, Vector(3, 4, -7), Vector(-1, 0.5f, 2), Vector(0, 1, 0)), 0);
    Billboard square;
    MakeSquare(square, 2.35f);
    DrawVertex before[6];
    std::memcpy(before, square.vertices, sizeof(before));

    const Vector position(1.0f, -2.0f, 3.0f);
    square.FaceCamera(view, position, 2.0f);
    const Vector centre = TransformPoint(position, view);
    for (const DrawVertex& v : square.vertices) {
        // In view space the square lies flat in front of the viewer, twice its own size.
        const Vector seen = TransformPoint(TransformPoint(Vector(v.x, v.y, v.z), square.world), view);
        EXPECT_NEAR(seen.x, centre.x + 2.0f * v.x, 1e-3f);
        EXPECT_NEAR(seen.y, centre.y + 2.0f * v.y, 1e-3f);
        EXPECT_NEAR(seen.z, centre.z, 1e-3f);
    }
    EXPECT_FLOAT_EQ(square.world(3, 0), 1.0f);
    EXPECT_FLOAT_EQ(square.world(3, 1), -2.0f);
    EXPECT_FLOAT_EQ(square.world(3, 2), 3.0f);
    EXPECT_EQ(std::memcmp(before, square.vertices, sizeof(before)), 0);
}

TEST_F(BillboardTest, DrawsAdditivelyWithoutWritingDepth) {
    Billboard square;
    MakeSquare(square, 1.0f);
    square.world = Translation(1, 2, 3);
    EXPECT_EQ(square.Draw(renderDevice), 1);
    EXPECT_EQ(recorder.Outline(),
              (std::vector<std::string>{"SetTransform type=1", "SetRenderState state=137 value=0",
                                        "SetRenderState state=7 value=1", "SetRenderState state=14 value=0",
                                        "SetRenderState state=27 value=1", "SetRenderState state=20 value=2",
                                        "SetTexture stage=0 texture=key.jpg", "SetMaterial",
                                        "DrawPrimitive type=4 vertexFormat=274 vertexCount=6 flags=0"}));
    EXPECT_FLOAT_EQ(ArgumentOf(recorder.calls[0], "matrix", 13), 2.0f);
    const std::vector<double>& drawn = recorder.Draws()[0].Vertices();
    ASSERT_EQ(drawn.size(), 6u * 8u);
    const float* vertices = &square.vertices[0].x;
    for (size_t i = 0; i < drawn.size(); ++i) EXPECT_EQ(drawn[i], vertices[i]) << "field " << i;
}

TEST_F(BillboardTest, FlareDrawsOnlyWhatIsOnScreenAtItsPosition) {
    std::unique_ptr<LightSet> lightSet(new LightSet());
    PlainViewer(*lightSet);
    MakeSquare(billboard, 1.0f);

    DrawFlare(Vector(100.0f, 0.0f, 2.0f), 1.0f, *lightSet);
    EXPECT_TRUE(recorder.calls.empty());

    DrawFlare(Vector(1.0f, 0.5f, 4.0f), 3.0f, *lightSet);
    const std::vector<RecordedDraw> draws = recorder.Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_FLOAT_EQ(draws[0].world(0, 0), 3.0f);
    EXPECT_FLOAT_EQ(draws[0].world(3, 0), 1.0f);
    EXPECT_FLOAT_EQ(draws[0].world(3, 1), 0.5f);
    EXPECT_FLOAT_EQ(draws[0].world(3, 2), 4.0f);
}

TEST_F(BillboardTest, ScreenQuadHasSixVerticesInCornerOrderWithPackedColours) {
    const ScreenCorner c1{10, 20, 0.5f, 1, 2, 3, 4};
    const ScreenCorner c2{30, 20, 0.5f, 255, 0, 0, 255};
    const ScreenCorner c3{30, 40, 0.5f, 0, 255, 0, 128};
    const ScreenCorner c4{10, 40, 0.5f, 0, 0, 255, 0};
    renderDevice.DrawScreenQuad(c1, c2, c3, c4, D3DBLEND_INVSRCCOLOR, keyTexture);

    EXPECT_EQ(recorder.Outline(),
              (std::vector<std::string>{"SetTexture stage=0 texture=key.jpg", "SetRenderState state=27 value=1",
                                        "SetRenderState state=20 value=4",
                                        "DrawPrimitive type=4 vertexFormat=452 vertexCount=6 flags=0",
                                        "SetRenderState state=27 value=0", "SetRenderState state=20 value=1"}));

    // x, y, z, rhw, diffuse, specular, u, v of each vertex.
    const std::vector<double>& v = recorder.Draws()[0].Vertices();
    ASSERT_EQ(v.size(), 6u * 8u);
    const ScreenCorner* order[6] = {&c1, &c2, &c3, &c3, &c4, &c1};
    const float uv[6][2] = {{0, 0}, {1, 0}, {1, 1}, {1, 1}, {0, 1}, {0, 0}};
    for (int i = 0; i < 6; ++i) {
        const double* vertex = &v[8 * i];
        EXPECT_EQ(vertex[0], order[i]->x) << i;
        EXPECT_EQ(vertex[1], order[i]->y) << i;
        EXPECT_EQ(vertex[2], 0.5) << i;
        EXPECT_EQ(vertex[3], 1.0) << i;
        EXPECT_EQ(vertex[5], 0.0) << i;
        EXPECT_EQ(vertex[6], uv[i][0]) << i;
        EXPECT_EQ(vertex[7], uv[i][1]) << i;
    }
    EXPECT_EQ(v[4], 0x04010203u);  // alpha, red, green, blue
    EXPECT_EQ(v[8 + 4], 0xFFFF0000u);
    EXPECT_EQ(v[16 + 4], 0x8000FF00u);
    EXPECT_EQ(v[32 + 4], 0x000000FFu);
}

TEST_F(BillboardTest, UntexturedOpaqueScreenQuadStillLeavesBlendingOff) {
    const ScreenCorner c{0, 0, 0, 0, 0, 0, 0};
    renderDevice.DrawScreenQuad(c, c, c, c, D3DBLEND_ZERO, nullptr);
    const std::vector<std::string> outline = recorder.Outline();
    EXPECT_EQ(outline.front(), "SetTexture stage=0 texture=null");
    EXPECT_EQ(outline.back(), "SetRenderState state=20 value=1");
    EXPECT_EQ(outline[outline.size() - 2], "SetRenderState state=27 value=0");
}

}  // namespace
