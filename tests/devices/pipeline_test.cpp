// The device-level behaviour of the software device, required of every device of the table:
// coverage and fill rule, transform and lighting, sampling and addressing, depth, blending,
// 16-bit packing, clears and the calls every device refuses alike. Colours are exact on the
// software device and within the device's tolerance elsewhere; coverage is exact everywhere.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "devicefixture.h"

namespace {

constexpr uint32_t A = 0xFF0000, B = 0x00FF00, C = 0x0000FF, D = 0xFFFFFF;

class EachDevice : public ::testing::TestWithParam<const DeviceDriverRecord*> {
protected:
    void SetUp() override {
        if (AvailabilityOf(record()) == DeviceAvailability::Missing)
            GTEST_SKIP() << record().name << " cannot run on this machine";
    }
    const DeviceDriverRecord& record() const { return *GetParam(); }
    int tolerance() const { return ToleranceOf(record()).colour; }

    void ExpectColour(uint32_t actual, uint32_t expected, const char* where = "") const {
        EXPECT_TRUE(Near(actual, expected, tolerance()))
            << std::hex << "0x" << actual << " instead of 0x" << expected << " " << where;
    }
    // Exact on an exact device; a hardware rasteriser's depth may land within the margin.
    void ExpectDepth(uint32_t actual, double expected, double margin) const {
        EXPECT_NEAR(double(actual), expected, tolerance() ? margin : 0.0);
    }
    void ExpectUniform(DeviceCanvas& canvas, uint32_t expected) const {
        for (uint32_t pixel : canvas.Picture()) {
            ExpectColour(pixel, expected);
            if (!Near(pixel, expected, tolerance())) return;
        }
    }
};

D3DLIGHT7 PointLight(float r, float g, float b, float a0, float a1, float range) {
    D3DLIGHT7 light{};
    light.dltType = D3DLIGHT_POINT;
    light.dcvDiffuse = D3DCOLORVALUE{r, g, b, 0};
    light.dvPosition = D3DVECTOR{0, 0, -1.5f};  // sqrt(6) from every corner of the square
    light.dvAttenuation0 = a0;
    light.dvAttenuation1 = a1;
    light.dvRange = range;
    return light;
}

}  // namespace

TEST_P(EachDevice, CoverageHasIntegerPixelCentresAndTheTopLeftRule) {
    DeviceCanvas canvas(record(), 8, 8);
    ASSERT_TRUE(canvas.Ready());
    EXPECT_EQ(canvas.Draw(Quad(2, 1, 6, 4, 0xFFFFFF)), D3D_OK);
    const std::vector<uint32_t> picture = canvas.Picture();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(picture[y * 8 + x], (x >= 2 && x < 6 && y >= 1 && y < 4) ? 0xFFFFFFu : 0u) << x << "," << y;
    canvas.Clear(0, 1.0f);
    canvas.Draw(Quad(1.5f, 1.5f, 4.5f, 3.5f, 0x00FF00));
    EXPECT_EQ(canvas.Count(0x00FF00), 3 * 2);
    EXPECT_EQ(canvas.Rgb(2, 2), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(4, 3), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(1, 2), 0u);
}

TEST_P(EachDevice, CoverageOfAJitteredMeshAndAFanIsExactlyOnce) {
    DeviceCanvas canvas(record(), 48, 40);
    ASSERT_TRUE(canvas.Ready());
    AddOneUnit(canvas);
    // A 40 x 30 rectangle cut into cells with moved interior corners, diagonals alternating, both
    // windings mixed; then a fan around an off-grid centre.
    const int cols = 5, rows = 4;
    float px[rows + 1][cols + 1], py[rows + 1][cols + 1];
    uint32_t seed = 12345;
    auto jitter = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return ((seed >> 16) % 1000) / 1000.0f * 5.0f - 2.5f;
    };
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= cols; ++i) {
            const bool inner = i > 0 && i < cols && j > 0 && j < rows;
            px[j][i] = 3.0f + i * 8.0f + (inner ? jitter() : 0.0f);
            py[j][i] = 5.0f + j * 7.5f + (inner ? jitter() : 0.0f);
        }
    std::vector<ScreenVertex> v;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < cols; ++i) {
            ScreenVertex a = At(px[j][i], py[j][i]), b = At(px[j][i + 1], py[j][i + 1]);
            ScreenVertex c = At(px[j + 1][i + 1], py[j + 1][i + 1]), d = At(px[j + 1][i], py[j + 1][i]);
            if ((i + j) % 2)
                v.insert(v.end(), {a, b, c, a, d, c});
            else
                v.insert(v.end(), {a, b, d, b, d, c});
        }
    EXPECT_EQ(canvas.Draw(v), D3D_OK);
    std::vector<uint32_t> picture = canvas.Picture();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 48; ++x) {
            const bool inside = x >= 3 && x < 43 && y >= 5 && y < 35;
            ASSERT_EQ(picture[y * 48 + x], inside ? 0x010000u : 0u) << x << "," << y;
        }

    canvas.Clear(0, 1.0f);
    const float cx = 15.3f, cy = 16.7f;
    const float ring[8][2] = {{4, 4}, {16, 4}, {28, 4}, {28, 16}, {28, 28}, {16, 28}, {4, 28}, {4, 16}};
    v.clear();
    for (int i = 0; i < 8; ++i) v.insert(v.end(), {At(cx, cy), At(ring[i][0], ring[i][1]), At(ring[(i + 1) % 8][0], ring[(i + 1) % 8][1])});
    canvas.Draw(v);
    picture = canvas.Picture();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 48; ++x)
            ASSERT_EQ(picture[y * 48 + x], (x >= 4 && x < 28 && y >= 4 && y < 28) ? 0x010000u : 0u) << x << "," << y;
}

TEST_P(EachDevice, PerspectiveTrianglesLeavingTheTargetShareTheirEdges) {
    // Two triangles of a floor seen in perspective (from the show), sharing an edge that runs out
    // of the target on the right and below: every pixel once, as the software device covers them.
    const float m[16] = {0.409407049f, -0.482470512f, -0.775118768f, -0.774343669f, -1.49011612e-08f, 0.848733604f,
                         -0.529350042f, -0.528820693f, 0.912351847f, 0.216502905f, 0.347825319f, 0.347477496f,
                         9.22605705f, -3.13437319f, 59.9707718f, 60.9108009f};
    D3DMATRIX projection;
    std::memcpy(&projection, m, sizeof m);
    ColouredVertex floor[6] = {{24, 1.04907326e-06f, -24, 0x010000}, {48, 0, 0, 0x010000}, {48, 1.04907326e-06f, -24, 0x010000},
                  {24, 1.04907326e-06f, -24, 0x010000}, {24, 0, 0, 0x010000}, {48, 0, 0, 0x010000}};
    int covered[2] = {0, 0};
    const DeviceDriverRecord* devices[2] = {&record(), &softwareDeviceRecord};
    for (int d = 0; d < 2; ++d) {
        DeviceCanvas canvas(*devices[d], 640, 480);
        ASSERT_TRUE(canvas.Ready());
        AddOneUnit(canvas);
        canvas->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
        canvas->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
        ASSERT_EQ(canvas.Draw(kColouredFormat, floor, 6), D3D_OK);
        for (uint32_t pixel : canvas.Picture()) {
            ASSERT_LE(pixel, 0x010000u) << record().name << " covers a pixel twice";
            covered[d] += pixel != 0;
        }
    }
    EXPECT_GT(covered[1], 30000);
    EXPECT_NEAR(covered[0], covered[1], covered[1] / 10000);  // a hair on the longest edges at most
}

TEST_P(EachDevice, CullingDiscardsTheChosenWinding) {
    std::vector<ScreenVertex> clockwise = {At(0, 0), At(8, 0), At(0, 8)};
    std::vector<ScreenVertex> counter = {At(8, 8), At(8, 0), At(0, 8)};
    struct Case {
        DWORD mode;
        bool clockwiseDrawn, counterDrawn;
    } cases[] = {{D3DCULL_NONE, true, true}, {D3DCULL_CW, false, true}, {D3DCULL_CCW, true, false}};
    for (const Case& c : cases) {
        DeviceCanvas canvas(record(), 8, 8);
        ASSERT_TRUE(canvas.Ready());
        canvas->SetRenderState(D3DRENDERSTATE_CULLMODE, c.mode);
        canvas.Draw(clockwise);
        canvas.Draw(counter);
        EXPECT_EQ(canvas.Rgb(1, 1) != 0, c.clockwiseDrawn) << c.mode;
        EXPECT_EQ(canvas.Rgb(7, 7) != 0, c.counterDrawn) << c.mode;
    }
}

TEST_P(EachDevice, ViewportLimitsDrawingAndMapsDepth) {
    DeviceCanvas canvas(record(), 20, 10);
    ASSERT_TRUE(canvas.Ready());
    D3DVIEWPORT7 viewport{10, 0, 10, 10, 0.25f, 0.75f};
    ASSERT_EQ(canvas->SetViewport(&viewport), D3D_OK);
    canvas->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
    // Clip-space x from 0 to 1 maps to screen x 15..20; depth 0.5 maps to 0.5 in 0.25..0.75.
    std::vector<MeshVertex> v = {{0, 1, 0.5f, 0, 0, 0, 0, 0},  {1, 1, 0.5f, 0, 0, 0, 0, 0},
                                 {1, -1, 0.5f, 0, 0, 0, 0, 0}, {0, 1, 0.5f, 0, 0, 0, 0, 0},
                                 {1, -1, 0.5f, 0, 0, 0, 0, 0}, {0, -1, 0.5f, 0, 0, 0, 0, 0}};
    canvas.Draw(v);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 5 * 10);
    EXPECT_EQ(canvas.Rgb(15, 0), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(14, 9), 0u);
    ExpectDepth(canvas.Depth(17, 5), 32768.0, 1.0);

    canvas.Clear(0, 1.0f);  // clears the viewport only
    D3DVIEWPORT7 whole{0, 0, 20, 10, 0.0f, 1.0f};
    canvas->SetViewport(&whole);
    D3DVIEWPORT7 part{4, 2, 8, 6, 0.0f, 1.0f};
    canvas->SetViewport(&part);
    canvas.Draw(Quad(0, 0, 20, 10, 0x00FF00));
    EXPECT_EQ(canvas.Count(0x00FF00), 8 * 6);
    EXPECT_EQ(canvas.Rgb(4, 2), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(11, 7), 0x00FF00u);
    EXPECT_EQ(canvas.Rgb(12, 7), 0u);
    D3DVIEWPORT7 tooBig{8, 0, 13, 10, 0.0f, 1.0f};
    EXPECT_EQ(canvas->SetViewport(&tooBig), D3DERR_INVALIDCALL);
}

TEST_P(EachDevice, RowVectorsThroughWorldViewProjection) {
    DeviceCanvas canvas(record(), 16, 16);
    ASSERT_TRUE(canvas.Ready());
    canvas->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
    // (x + 0.5) * 0.5 then y + 0.5: a square of half-size 0.5 lands on screen x 8..12, y 2..6.
    D3DMATRIX world = Identity(), view = Identity(), projection = Identity();
    world._41 = 0.5f;
    view._11 = view._22 = 0.5f;
    projection._42 = 0.5f;
    canvas->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    canvas->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    canvas->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    std::vector<MeshVertex> v = {{-0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 0}, {0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 0},
                                 {0.5f, -0.5f, 0.5f, 0, 0, 0, 0, 0}, {-0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 0},
                                 {0.5f, -0.5f, 0.5f, 0, 0, 0, 0, 0}, {-0.5f, -0.5f, 0.5f, 0, 0, 0, 0, 0}};
    canvas.Draw(v);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 4 * 4);
    EXPECT_EQ(canvas.Rgb(8, 2), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(11, 5), 0xFFFFFFu);
}

TEST_P(EachDevice, LightingOfPointLightsMaterialAndAmbient) {
    DeviceCanvas canvas(record(), 16, 16);
    ASSERT_TRUE(canvas.Ready());
    D3DMATERIAL7 material{};
    material.dcvDiffuse = D3DCOLORVALUE{1.0f, 0.5f, 0.25f, 1};
    material.dcvAmbient = D3DCOLORVALUE{0.2f, 0.2f, 0.2f, 1};
    material.dcvEmissive = D3DCOLORVALUE{0.1f, 0, 0, 0};
    canvas->SetMaterial(&material);
    canvas->SetRenderState(D3DRENDERSTATE_AMBIENT, 0x404040);
    D3DLIGHT7 key = PointLight(1.0f, 1.0f, 0.8f, 0.5f, 0.25f, 100.0f);
    key.dcvAmbient = D3DCOLORVALUE{0.1f, 0.1f, 0.1f, 0};
    D3DLIGHT7 negative = PointLight(-0.2f, 0, 0, 1.0f, 0, 100.0f);  // takes red away
    D3DLIGHT7 outOfRange = PointLight(1, 1, 1, 1.0f, 0, 1.0f);      // sqrt(6) is beyond 1
    D3DLIGHT7 disabled = PointLight(1, 1, 1, 1.0f, 0, 100.0f);
    D3DLIGHT7* lights[] = {&key, &negative, &outOfRange, &disabled};
    for (DWORD i = 0; i < 4; ++i) ASSERT_EQ(canvas->SetLight(i, lights[i]), D3D_OK);
    for (DWORD i = 0; i < 3; ++i) canvas->LightEnable(i, TRUE);
    canvas.Draw(FacingSquare(0.5f));
    ExpectUniform(canvas, 0xBC6F37);

    // Half-length normals give half the light, unless normals are renormalised; a world matrix
    // stretching z halves them through its inverse transpose.
    canvas->LightEnable(1, FALSE);
    material = D3DMATERIAL7{};
    material.dcvDiffuse = D3DCOLORVALUE{1, 1, 1, 1};
    canvas->SetMaterial(&material);
    canvas->SetRenderState(D3DRENDERSTATE_AMBIENT, 0);
    D3DLIGHT7 white = PointLight(1, 1, 1, 0.5f, 0.25f, 100.0f);
    canvas->SetLight(0, &white);
    canvas.Draw(FacingSquare(0.5f));
    ExpectUniform(canvas, 0xBBBBBB);
    canvas.Draw(FacingSquare(0.5f, 0.5f));
    ExpectUniform(canvas, 0x5E5E5E);
    D3DMATRIX stretch = Identity();
    stretch._33 = 2.0f;
    canvas->SetTransform(D3DTRANSFORMSTATE_WORLD, &stretch);
    canvas.Draw(FacingSquare(0.25f));
    ExpectUniform(canvas, 0x5E5E5E);
    canvas->SetRenderState(D3DRENDERSTATE_NORMALIZENORMALS, 1);
    canvas.Draw(FacingSquare(0.25f));
    ExpectUniform(canvas, 0xBBBBBB);
}

TEST_P(EachDevice, LightsMoveWithTheViewAndUnsetSlotsLightFromAbove) {
    DeviceCanvas canvas(record(), 16, 16);
    ASSERT_TRUE(canvas.Ready());
    D3DMATERIAL7 material{};
    material.dcvDiffuse = D3DCOLORVALUE{1, 1, 1, 1};
    canvas->SetMaterial(&material);
    D3DLIGHT7 light = PointLight(5, 5, 5, 1.0f, 0, 100.0f);
    canvas->SetLight(0, &light);
    canvas->LightEnable(0, TRUE);
    canvas.Draw(FacingSquare(0.5f));
    ExpectUniform(canvas, 0xFFFFFF);  // clamped

    // With a view moving everything 10 units away, a light at world z = -5 sits behind the square.
    D3DMATRIX view = Identity(), world = Identity();
    view._43 = 10.0f;
    world._43 = -10.0f;
    light.dvPosition = D3DVECTOR{0, 0, -5.0f};
    canvas->SetLight(0, &light);
    canvas->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    canvas->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    canvas.Draw(FacingSquare(0.5f));
    ExpectUniform(canvas, 0x000000);

    // An enabled slot that was never set is Direct3D's white light shining along +z.
    canvas->LightEnable(0, FALSE);
    ASSERT_EQ(canvas->LightEnable(7, TRUE), D3D_OK);
    canvas.Draw(FacingSquare(0.5f));
    ExpectUniform(canvas, 0xFFFFFF);

    // Unlit vertices are white, or their own colour.
    canvas->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
    canvas.Clear(0, 1.0f);
    canvas.Draw(FacingSquare(0.5f));
    ExpectUniform(canvas, 0xFFFFFF);
    ColouredVertex coloured[3] = {{-1, 1, 0.25f, 0x336699}, {1, 1, 0.25f, 0x336699}, {-1, -1, 0.25f, 0x336699}};
    ASSERT_EQ(canvas.Draw(kColouredFormat, coloured, 3), D3D_OK);
    EXPECT_EQ(canvas.Rgb(2, 2), 0x336699u);
    EXPECT_EQ(canvas.Rgb(14, 14), 0xFFFFFFu);
}

TEST_P(EachDevice, PointAndBilinearSamplingWithEveryAddressMode) {
    DeviceCanvas canvas(record(), 8, 8);
    ASSERT_TRUE(canvas.Ready());
    IDirectDrawSurface7* texture = canvas.Texture(2, 2, 32, {A, B, C, D});
    canvas.Draw(Quad(0, 0, 4, 4, 0xFFFFFFFF), texture);
    const uint32_t expected[4][4] = {{A, A, B, B}, {A, A, B, B}, {C, C, D, D}, {C, C, D, D}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(canvas.Rgb(x, y), expected[y][x]) << x << "," << y;

    SetFilter(canvas, D3DTFG_LINEAR);
    canvas.Draw(Quad(0, 0, 4, 4, 0xFFFFFFFF), texture);
    ExpectColour(canvas.Rgb(1, 1), A, "on texel (0, 0)'s centre");
    ExpectColour(canvas.Rgb(3, 3), D);
    ExpectColour(canvas.Rgb(3, 1), B);
    ExpectColour(canvas.Rgb(2, 1), 0x808000, "half-way between A and B");
    ExpectColour(canvas.Rgb(2, 2), 0x808080, "the four texels equally");
    ExpectColour(canvas.Rgb(0, 1), 0x808000, "wrapped to the far column");

    SetFilter(canvas, D3DTFG_POINT);
    struct Case {
        DWORD mode;
        uint32_t row[8];
    } cases[] = {
        {D3DTADDRESS_WRAP, {A, A, B, B, A, A, B, B}},
        {D3DTADDRESS_MIRROR, {A, A, B, B, B, B, B, A}},
        {D3DTADDRESS_CLAMP, {A, A, B, B, B, B, B, B}},
    };
    for (const Case& c : cases) {
        canvas->SetTextureStageState(0, D3DTSS_ADDRESS, c.mode);
        canvas.Draw(Quad(0, 0, 8, 1, 0xFFFFFF, 0.5f, 0, 0, 2, 0), texture);  // u runs 0..2
        for (int x = 0; x < 8; ++x) EXPECT_EQ(canvas.Rgb(x, 0), c.row[x]) << c.mode << " at " << x;
    }
    canvas->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    canvas->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    canvas.Draw(Quad(0, 0, 8, 8, 0xFFFFFF, 0.5f, 0, 0, 2, 2), texture);
    EXPECT_EQ(canvas.Rgb(7, 1), B);  // u clamped to the right column
    EXPECT_EQ(canvas.Rgb(1, 5), A);  // v wrapped back to the top row
    // Clamped bilinear sampling at the left edge does not reach round to the far column.
    SetFilter(canvas, D3DTFG_LINEAR);
    canvas->SetTextureStageState(0, D3DTSS_ADDRESS, D3DTADDRESS_CLAMP);
    canvas.Draw(Quad(0, 0, 4, 4, 0xFFFFFF), texture);
    ExpectColour(canvas.Rgb(0, 1), A);
}

TEST_P(EachDevice, PerspectiveCorrectOrAffineTexturing) {
    // Texel i of a 16 x 1 texture has red 16 i; the quad's right edge is four times as far.
    DeviceCanvas canvas(record(), 10, 1);
    ASSERT_TRUE(canvas.Ready());
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 16; ++i) texels.push_back((16 * i) << 16);
    IDirectDrawSurface7* texture = canvas.Texture(16, 1, 32, texels);
    ScreenVertex a{0, 0, 0.5f, 1.0f, 0xFFFFFF, 0, 0, 0}, b{10, 0, 0.5f, 0.25f, 0xFFFFFF, 0, 1, 0};
    ScreenVertex c{10, 1, 0.5f, 0.25f, 0xFFFFFF, 0, 1, 0}, d{0, 1, 0.5f, 1.0f, 0xFFFFFF, 0, 0, 0};
    const std::vector<ScreenVertex> quad = {a, b, c, a, c, d};
    canvas.Draw(quad, texture);
    const int columns[] = {3, 4, 6, 7, 9};
    const uint32_t perspective[] = {1, 2, 4, 5, 11};  // u = 0.25 f / (1 - 0.75 f), f = x / 10
    for (int i = 0; i < 5; ++i) EXPECT_EQ(canvas.Rgb(columns[i], 0) >> 16, 16 * perspective[i]) << columns[i];
    canvas->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 0);
    canvas.Draw(quad, texture);
    const uint32_t affine[] = {4, 6, 9, 11, 14};  // u = f
    for (int i = 0; i < 5; ++i) EXPECT_EQ(canvas.Rgb(columns[i], 0) >> 16, 16 * affine[i]) << columns[i];
}

TEST_P(EachDevice, TexturesModulateAndFollowTheirSurface) {
    DeviceCanvas canvas(record(), 2, 2);
    ASSERT_TRUE(canvas.Ready());
    IDirectDrawSurface7* texture = canvas.Texture(1, 1, 32, {0xC86432});
    canvas.Draw(Quad(0, 0, 2, 2, 0x808080), texture);
    ExpectColour(canvas.Rgb(0, 0), 0x643219);  // (100, 50, 25): each x 128 / 255 rounded
    canvas.Draw(Quad(0, 0, 2, 2, 0x808080));
    EXPECT_EQ(canvas.Rgb(0, 0), 0x808080u);

    // 16-bit texels expand as the software device reads them.
    IDirectDrawSurface7* packed = canvas.Texture(1, 1, 16, {0xFF8040});
    canvas.Draw(Quad(0, 0, 2, 2, 0xFFFFFF), packed);
    EXPECT_EQ(canvas.Rgb(1, 1), 0xFF8242u);

    // New texels written through a staging surface and Blt, as the show uploads its images.
    IDirectDraw7* directDraw = nullptr;
    ASSERT_EQ(packed->GetDDInterface(reinterpret_cast<void**>(&directDraw)), DD_OK);
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof description;
    packed->GetSurfaceDesc(&description);
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* staging = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&description, &staging, nullptr), DD_OK);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof locked;
    ASSERT_EQ(staging->Lock(nullptr, &locked, DDLOCK_WRITEONLY, nullptr), DD_OK);
    const uint16_t blue = 0x001F;
    std::memcpy(locked.lpSurface, &blue, 2);
    staging->Unlock(nullptr);
    ASSERT_EQ(packed->Blt(nullptr, staging, nullptr, 0, nullptr), DD_OK);
    staging->Release();
    directDraw->Release();
    canvas.Draw(Quad(0, 0, 2, 2, 0xFFFFFF), packed);
    EXPECT_EQ(canvas.Rgb(1, 1), 0x0000FFu);
}

TEST_P(EachDevice, DepthTestWriteAndPrecision) {
    DeviceCanvas canvas(record(), 8, 8);
    ASSERT_TRUE(canvas.Ready());
    canvas.Draw(Quad(0, 0, 8, 8, 0x0000FF, 0.5f));
    EXPECT_EQ(canvas.Depth(3, 3), 32768u);
    canvas.Draw(Quad(0, 0, 4, 8, 0xFF0000, 0.75f));  // behind: hidden
    canvas.Draw(Quad(4, 0, 8, 8, 0x00FF00, 0.25f));  // in front: drawn
    EXPECT_EQ(canvas.Rgb(1, 1), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(6, 1), 0x00FF00u);
    EXPECT_EQ(canvas.Depth(6, 1), 16384u);
    canvas.Draw(Quad(0, 0, 8, 8, 0xFFFFFF, 0.5f));  // equal depth passes on the left
    EXPECT_EQ(canvas.Rgb(1, 1), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(6, 1), 0x00FF00u);

    canvas.Clear(0, 1.0f);
    canvas->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, 0);
    canvas.Draw(Quad(0, 0, 8, 8, 0xFF0000, 0.25f));
    EXPECT_EQ(canvas.Depth(2, 2), 65535u);
    canvas.Draw(Quad(0, 0, 8, 8, 0x00FF00, 0.75f));  // still passes against the cleared 1.0
    EXPECT_EQ(canvas.Rgb(2, 2), 0x00FF00u);

    canvas.Clear(0, 0.0f);
    canvas->SetRenderState(D3DRENDERSTATE_ZENABLE, 0);
    canvas.Draw(Quad(0, 0, 8, 8, 0x123456, 0.9f));
    EXPECT_EQ(canvas.Rgb(5, 5), 0x123456u);
    EXPECT_EQ(canvas.Depth(5, 5), 0u);

    DeviceCanvas deep(record(), 16, 4, 32, 32);
    ScreenVertex a{0, 0, 0.0f, 1, 0xFFFFFF, 0, 0, 0}, b{16, 0, 1.0f, 1, 0xFFFFFF, 0, 0, 0};
    ScreenVertex c{16, 4, 1.0f, 1, 0xFFFFFF, 0, 0, 0}, d{0, 4, 0.0f, 1, 0xFFFFFF, 0, 0, 0};
    deep.Draw(std::vector<ScreenVertex>{a, b, c, a, c, d});
    EXPECT_EQ(deep.Depth(0, 1), 0u);
    ExpectDepth(deep.Depth(8, 1), 2147483648.0, 512.0);
    ExpectDepth(deep.Depth(4, 2), 1073741824.0, 512.0);
}

TEST_P(EachDevice, EachBlendFactorSaturates) {
    struct Case {
        DWORD factor;
        uint32_t expected;
    } cases[] = {
        // dst (200, 100, 50), src (100, 200, 60)
        {D3DBLEND_ZERO, 0x64C83C},
        {D3DBLEND_ONE, 0xFFFF6E},
        {D3DBLEND_SRCCOLOR, 0xB2FF48},
        {D3DBLEND_INVSRCCOLOR, 0xDEDE62},
    };
    DeviceCanvas canvas(record(), 4, 4);
    ASSERT_TRUE(canvas.Ready());
    canvas->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    for (const Case& c : cases) {
        canvas.Clear(0xC86432, 1.0f);
        canvas->SetRenderState(D3DRENDERSTATE_DESTBLEND, c.factor);
        canvas.Draw(Quad(0, 0, 4, 4, 0xFF64C83C));
        ExpectColour(canvas.Rgb(1, 1), c.expected);
    }
    canvas->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0);
    canvas->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    canvas.Draw(Quad(0, 0, 4, 4, 0x64C83C));
    EXPECT_EQ(canvas.Rgb(2, 2), 0x64C83Cu);
}

TEST_P(EachDevice, SixteenBitTargetsPackAndDither) {
    DeviceCanvas canvas(record(), 8, 8, 16);
    ASSERT_TRUE(canvas.Ready());
    canvas.Draw(Quad(0, 0, 8, 8, 0xC86432));  // (200, 100, 50)
    EXPECT_EQ(canvas.Raw(0, 0), 0xCB26u);
    canvas.Clear(0xFF8040, 1.0f);
    EXPECT_EQ(canvas.Raw(0, 0), 0xFC08u);

    canvas.Clear(0x808080, 1.0f);  // 5-6-5 (16, 32, 16) reads back as (132, 130, 132)
    canvas->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    canvas->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    canvas.Draw(Quad(0, 0, 8, 8, 0x101010));
    EXPECT_EQ(canvas.Raw(1, 1), (18u << 11) | (36u << 5) | 18u);
    canvas->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0);

    // Red 204 lies half-way between the 5-bit levels 25 and 26, green 129 a quarter of the way
    // from 32 to 33; the ordered pattern repeats every four pixels.
    canvas->SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
    canvas.Draw(Quad(0, 0, 8, 8, 0xCC81FF));
    int high = 0, greenHigh = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const uint32_t p = canvas.Raw(x, y);
            high += (p >> 11) == 26;
            greenHigh += ((p >> 5) & 63) == 33;
            EXPECT_EQ(p & 31, 31u);
            EXPECT_EQ(canvas.Raw(x + 4, y + 4), p);
        }
    EXPECT_EQ(high, 8);
    EXPECT_EQ(greenHigh, 4);
    EXPECT_EQ(canvas.Raw(0, 0) >> 11, 25u);  // threshold 0
    EXPECT_EQ(canvas.Raw(0, 3) >> 11, 26u);  // threshold 15
}

TEST_P(EachDevice, StackedBlendsOnSixteenBitTargetsStayWithinALevel) {
    // Every blended pass is quantised and dithered as it is stored, so passes drift as the
    // software device's do; another blender's rounding may land one 5-bit level away, which
    // reads back 8 or 9 levels apart.
    for (DWORD factor : {D3DBLEND_ONE, D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR}) {
        for (DWORD source : {0x050505u, 0x101010u, 0x404040u}) {
            std::vector<uint32_t> pictures[2];
            const DeviceDriverRecord* devices[2] = {&record(), &softwareDeviceRecord};
            for (int d = 0; d < 2; ++d) {
                DeviceCanvas canvas(*devices[d], 8, 8, 16);
                ASSERT_TRUE(canvas.Ready());
                canvas->SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
                canvas.Draw(Quad(0, 0, 8, 8, 0x6080A0));
                canvas->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
                canvas->SetRenderState(D3DRENDERSTATE_DESTBLEND, factor);
                for (int pass = 0; pass < 4; ++pass) canvas.Draw(Quad(0, 0, 8, 8, source));
                pictures[d] = canvas.Picture();
            }
            for (int i = 0; i < 64; ++i)
                ASSERT_TRUE(Near(pictures[0][i], pictures[1][i], 9))
                    << std::hex << pictures[0][i] << " against " << pictures[1][i] << " for " << source << " factor " << factor;
        }
    }
}

TEST_P(EachDevice, ClearFillsTheViewportOrTheGivenRectangles) {
    DeviceCanvas canvas(record(), 8, 8);
    ASSERT_TRUE(canvas.Ready());
    D3DRECT rects[2] = {{1, 1, 3, 3}, {6, 6, 20, 20}};  // the second is cut by the target
    EXPECT_EQ(canvas->Clear(2, rects, D3DCLEAR_TARGET, 0xFFABCDEF, 0.0f, 0), D3D_OK);
    EXPECT_EQ(canvas.Count(0xABCDEF), 4 + 4);
    EXPECT_EQ(canvas.Rgb(2, 2), 0xABCDEFu);
    EXPECT_EQ(canvas.Rgb(7, 7), 0xABCDEFu);
    EXPECT_EQ(canvas.Depth(2, 2), 65535u);  // only the target was cleared
    EXPECT_EQ(canvas->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.25f, 0), D3D_OK);
    EXPECT_EQ(canvas.Depth(0, 0), 16384u);
    EXPECT_EQ(canvas.Rgb(2, 2), 0xABCDEFu);
}

TEST_P(EachDevice, IndexedDrawsFromVertexBuffers) {
    DeviceCanvas canvas(record(), 8, 8);
    ASSERT_TRUE(canvas.Ready());
    IDirectDraw7* directDraw = nullptr;
    IDirectDrawSurface7* target = nullptr;
    canvas->GetRenderTarget(&target);
    target->GetDDInterface(reinterpret_cast<void**>(&directDraw));
    target->Release();
    IDirect3D7* direct3D = nullptr;
    directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D));
    D3DVERTEXBUFFERDESC description{sizeof(D3DVERTEXBUFFERDESC), D3DVBCAPS_SYSTEMMEMORY, kScreenFormat, 6};
    IDirect3DVertexBuffer7* buffer = nullptr;
    ASSERT_EQ(direct3D->CreateVertexBuffer(&description, &buffer, 0), D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(DDLOCK_WAIT, &data, nullptr), D3D_OK);
    // Two vertices ahead of the quad's four: the draw starts at vertex 2.
    const std::vector<ScreenVertex> quad = Quad(0, 0, 8, 8, 0x445566);
    const ScreenVertex vertices[6] = {At(0, 0), At(0, 0), quad[0], quad[1], quad[2], quad[5]};
    std::memcpy(data, vertices, sizeof vertices);
    buffer->Unlock();
    WORD indices[6] = {0, 1, 2, 0, 2, 3};
    WORD beyond[6] = {0, 1, 2, 0, 2, 4};
    canvas->BeginScene();
    EXPECT_EQ(canvas->DrawIndexedPrimitiveVB(D3DPT_TRIANGLELIST, buffer, 2, 4, beyond, 6, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(canvas->DrawIndexedPrimitiveVB(D3DPT_TRIANGLELIST, buffer, 3, 4, indices, 6, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(canvas->DrawIndexedPrimitiveVB(D3DPT_TRIANGLELIST, buffer, 2, 4, indices, 6, 0), D3D_OK);
    canvas->EndScene();
    EXPECT_EQ(canvas.Count(0x445566), 64);
    buffer->Release();
    direct3D->Release();
    directDraw->Release();
}

TEST_P(EachDevice, RefusesWhatTheSoftwareDeviceRefuses) {
    DeviceCanvas canvas(record(), 8, 8);
    DeviceCanvas reference(softwareDeviceRecord, 8, 8);
    ASSERT_TRUE(canvas.Ready());
    ASSERT_TRUE(reference.Ready());
    const DWORD values[] = {0, 1, 2, 3, 4, 5, 6, 8, 0xFFFFFFFF};
    for (DWORD state = 0; state < 160; ++state)
        for (DWORD value : values)
            ASSERT_EQ(canvas->SetRenderState((D3DRENDERSTATETYPE)state, value),
                      reference->SetRenderState((D3DRENDERSTATETYPE)state, value))
                << "render state " << state << " = " << value;
    for (DWORD stage : {0u, 1u, 8u})
        for (DWORD state = 0; state < 30; ++state)
            for (DWORD value : values)
                ASSERT_EQ(canvas->SetTextureStageState(stage, (D3DTEXTURESTAGESTATETYPE)state, value),
                          reference->SetTextureStageState(stage, (D3DTEXTURESTAGESTATETYPE)state, value))
                    << "stage " << stage << " state " << state << " = " << value;
    D3DLIGHT7 light = PointLight(1, 1, 1, 0, 0, 10);
    EXPECT_EQ(canvas->SetLight(0, &light), D3DERR_INVALIDCALL);  // no attenuation at all
    light.dltType = D3DLIGHT_SPOT;
    EXPECT_EQ(canvas->SetLight(0, &light), DDERR_UNSUPPORTED);

    canvas->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
    std::vector<ScreenVertex> quad = Quad(0, 0, 8, 8, 0xFFFFFF);
    EXPECT_EQ(canvas->DrawPrimitive(D3DPT_TRIANGLELIST, kScreenFormat, quad.data(), 6, 0), D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(canvas.Draw(D3DFVF_XYZRHW | D3DFVF_NORMAL, quad.data(), 6), D3DERR_INVALIDCALL);
    EXPECT_EQ(canvas.Draw(D3DFVF_XYZ | 0x200, quad.data(), 6), D3DERR_INVALIDCALL);  // two co-ordinate sets
    canvas->BeginScene();
    EXPECT_EQ(canvas->DrawPrimitive(D3DPT_TRIANGLESTRIP, kScreenFormat, quad.data(), 6, 0), DDERR_UNSUPPORTED);
    EXPECT_EQ(canvas->DrawPrimitive(D3DPT_TRIANGLELIST, kScreenFormat, nullptr, 6, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(canvas->DrawPrimitive(D3DPT_TRIANGLELIST, kScreenFormat, quad.data(), 5, 0), D3D_OK);  // remainder ignored
    canvas->EndScene();
    EXPECT_EQ(canvas.Count(0xFFFFFF), 8 * 8 / 2 + 4);  // the first triangle, diagonal included
}

INSTANTIATE_FOR_EVERY_DEVICE(EachDevice);
