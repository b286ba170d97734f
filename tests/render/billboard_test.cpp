// The flare billboard and the screen quad, checked on a recording device.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "billboard.h"
#include "globals.h"
#include "recordingdevice.h"
#include "renderdevice.h"

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
    square.texture = reinterpret_cast<LPDIRECTDRAWSURFACE7>(0x4000);
}

TEST(BillboardInitTest, MissingImageLeavesAnUntexturedSquareOfTheGivenSize) {
    RecordingDevice device;
    RenderDevice target{};
    target.device = &device;
    Billboard square;
    square.texture = reinterpret_cast<LPDIRECTDRAWSURFACE7>(0x4000);
    square.Init(target, "no-such-flare.jpg", 2.0f, 0.5f, 0.25f, 1.0f);
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
    EXPECT_TRUE(device.calls.empty());
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

TEST(BillboardDrawTest, DrawsAdditivelyWithoutWritingDepth) {
    RecordingDevice device;
    RenderDevice target{};
    target.device = &device;
    Billboard square;
    MakeSquare(square, 1.0f);
    square.world = Translation(1, 2, 3);
    EXPECT_EQ(square.Draw(target), 1);
    EXPECT_EQ(device.Texts(),
              (std::vector<std::string>{"SetTransform 1", "SetRenderState 137 0", "SetRenderState 7 1",
                                        "SetRenderState 14 0", "SetRenderState 27 1", "SetRenderState 20 2",
                                        "SetTexture 0", "SetMaterial", "DrawPrimitive 4 274 6 0"}));
    EXPECT_FLOAT_EQ(device.calls[0].matrix._42, 2.0f);
    EXPECT_EQ(device.calls[6].pointer, square.texture);
    EXPECT_EQ(std::memcmp(device.calls[8].vertices.data(), square.vertices, sizeof(square.vertices)), 0);
}

TEST(FlareTest, DrawsOnlyWhatIsOnScreenAtItsPosition) {
    RecordingDevice device;
    renderDevice.device = &device;
    std::unique_ptr<LightSet> lightSet(new LightSet());
    PlainViewer(*lightSet);
    MakeSquare(billboard, 1.0f);

    DrawFlare(Vector(100.0f, 0.0f, 2.0f), 1.0f, *lightSet);
    EXPECT_TRUE(device.calls.empty());

    DrawFlare(Vector(1.0f, 0.5f, 4.0f), 3.0f, *lightSet);
    const auto draws = device.Matching("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    const D3DMATRIX& world = device.Matching("SetTransform 1")[0]->matrix;
    EXPECT_FLOAT_EQ(world._11, 3.0f);
    EXPECT_FLOAT_EQ(world._41, 1.0f);
    EXPECT_FLOAT_EQ(world._42, 0.5f);
    EXPECT_FLOAT_EQ(world._43, 4.0f);
    renderDevice.device = nullptr;
    billboard.texture = nullptr;
}

struct ScreenVertexBytes {
    float x, y, z, rhw;
    DWORD diffuse, specular;
    float tu, tv;
};

TEST(ScreenQuadTest, SixVerticesInCornerOrderWithPackedColours) {
    RecordingDevice device;
    RenderDevice target{};
    target.device = &device;
    const ScreenCorner c1{10, 20, 0.5f, 1, 2, 3, 4};
    const ScreenCorner c2{30, 20, 0.5f, 255, 0, 0, 255};
    const ScreenCorner c3{30, 40, 0.5f, 0, 255, 0, 128};
    const ScreenCorner c4{10, 40, 0.5f, 0, 0, 255, 0};
    LPDIRECTDRAWSURFACE7 texture = reinterpret_cast<LPDIRECTDRAWSURFACE7>(0x5000);
    target.DrawScreenQuad(c1, c2, c3, c4, D3DBLEND_INVSRCCOLOR, texture);

    EXPECT_EQ(device.Texts(),
              (std::vector<std::string>{"SetTexture 0", "SetRenderState 27 1", "SetRenderState 20 4",
                                        "DrawPrimitive 4 452 6 0", "SetRenderState 27 0", "SetRenderState 20 1"}));
    EXPECT_EQ(device.calls[0].pointer, texture);

    const std::vector<unsigned char>& bytes = device.calls[3].vertices;
    ASSERT_EQ(bytes.size(), 6 * sizeof(ScreenVertexBytes));
    ScreenVertexBytes v[6];
    std::memcpy(v, bytes.data(), sizeof(v));
    const ScreenCorner* order[6] = {&c1, &c2, &c3, &c3, &c4, &c1};
    const float uv[6][2] = {{0, 0}, {1, 0}, {1, 1}, {1, 1}, {0, 1}, {0, 0}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(v[i].x, order[i]->x) << i;
        EXPECT_EQ(v[i].y, order[i]->y) << i;
        EXPECT_EQ(v[i].z, 0.5f) << i;
        EXPECT_EQ(v[i].rhw, 1.0f) << i;
        EXPECT_EQ(v[i].specular, 0u) << i;
        EXPECT_EQ(v[i].tu, uv[i][0]) << i;
        EXPECT_EQ(v[i].tv, uv[i][1]) << i;
    }
    EXPECT_EQ(v[0].diffuse, 0x04010203u);  // alpha, red, green, blue
    EXPECT_EQ(v[1].diffuse, 0xFFFF0000u);
    EXPECT_EQ(v[2].diffuse, 0x8000FF00u);
    EXPECT_EQ(v[4].diffuse, 0x000000FFu);
}

TEST(ScreenQuadTest, UntexturedOpaqueQuadStillLeavesBlendingOff) {
    RecordingDevice device;
    RenderDevice target{};
    target.device = &device;
    const ScreenCorner c{0, 0, 0, 0, 0, 0, 0};
    target.DrawScreenQuad(c, c, c, c, D3DBLEND_ZERO, nullptr);
    EXPECT_EQ(device.calls[0].pointer, nullptr);
    EXPECT_EQ(device.calls.back().text, "SetRenderState 20 1");
    EXPECT_EQ(device.calls[device.calls.size() - 2].text, "SetRenderState 27 0");
}

}  // namespace
