// Vertex processing and lighting: transform, point lights, materials, ambient, normals.
#include <gtest/gtest.h>

#include "canvas.h"

using namespace softdevtest;

namespace {

// A square filling a 16 x 16 viewport with identity transforms, at depth z, facing -z.
std::vector<MeshVertex> FacingSquare(float z, float normalLength = 1.0f) {
    MeshVertex a{-1, 1, z, 0, 0, -normalLength, 0, 0}, b{1, 1, z, 0, 0, -normalLength, 1, 0};
    MeshVertex c{1, -1, z, 0, 0, -normalLength, 1, 1}, d{-1, -1, z, 0, 0, -normalLength, 0, 1};
    return {a, b, c, a, c, d};
}

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

D3DMATERIAL7 WhiteMaterial() {
    D3DMATERIAL7 m{};
    m.dcvDiffuse = D3DCOLORVALUE{1, 1, 1, 1};
    return m;
}

// Every pixel of the canvas has colour c.
void ExpectUniform(const Canvas& canvas, uint32_t c) {
    EXPECT_EQ(canvas.Count(c), canvas.Width() * canvas.Height()) << std::hex << canvas.Rgb(8, 8);
}

}  // namespace

TEST(Lighting, PointLightsMaterialAndGlobalAmbient) {
    Canvas canvas(16, 16);
    D3DMATERIAL7 material{};
    material.dcvDiffuse = D3DCOLORVALUE{1.0f, 0.5f, 0.25f, 1};
    material.dcvAmbient = D3DCOLORVALUE{0.2f, 0.2f, 0.2f, 1};
    material.dcvEmissive = D3DCOLORVALUE{0.1f, 0, 0, 0};
    canvas.renderer.SetMaterial(material);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_AMBIENT, 0x404040);

    D3DLIGHT7 key = PointLight(1.0f, 1.0f, 0.8f, 0.5f, 0.25f, 100.0f);
    key.dcvAmbient = D3DCOLORVALUE{0.1f, 0.1f, 0.1f, 0};
    D3DLIGHT7 negative = PointLight(-0.2f, 0, 0, 1.0f, 0, 100.0f);  // takes red away
    D3DLIGHT7 outOfRange = PointLight(1, 1, 1, 1.0f, 0, 1.0f);      // sqrt(6) is beyond 1
    D3DLIGHT7 disabled = PointLight(1, 1, 1, 1.0f, 0, 100.0f);
    const D3DLIGHT7* lights[] = {&key, &negative, &outOfRange, &disabled};
    for (DWORD i = 0; i < 4; ++i) ASSERT_EQ(canvas.renderer.SetLight(i, *lights[i]), D3D_OK);
    for (DWORD i = 0; i < 3; ++i) canvas.renderer.LightEnable(i, true);

    canvas.Draw(FacingSquare(0.5f));
    // Per channel: emissive + 0.2 x 64/255 + attenuated light ambient + diffuse x N.L / d x
    // attenuation, with d = sqrt(6), N.L = 2, attenuation 1 / (0.5 + 0.25 d):
    // red 0.73889 -> 188.42, green 0.43518 -> 110.97, blue 0.21498 -> 54.82.
    ExpectUniform(canvas, 0xBC6F37);
}

TEST(Lighting, NormalsAreTransformedButNotRenormalised) {
    Canvas canvas(16, 16);
    canvas.renderer.SetMaterial(WhiteMaterial());
    canvas.renderer.SetLight(0, PointLight(1, 1, 1, 0.5f, 0.25f, 100.0f));
    canvas.renderer.LightEnable(0, true);

    canvas.Draw(FacingSquare(0.5f));
    ExpectUniform(canvas, 0xBBBBBB);  // 0.73401 -> 187.17

    canvas.Draw(FacingSquare(0.5f, 0.5f));  // half-length normals give half the light
    ExpectUniform(canvas, 0x5E5E5E);        // 93.59

    // Stretching z by 2 moves the square to z = 0.5 and, through the inverse transpose,
    // halves its normals.
    D3DMATRIX stretch = Identity();
    stretch._33 = 2.0f;
    canvas.renderer.SetTransform(D3DTRANSFORMSTATE_WORLD, stretch);
    canvas.Draw(FacingSquare(0.25f));
    ExpectUniform(canvas, 0x5E5E5E);

    canvas.renderer.SetRenderState(D3DRENDERSTATE_NORMALIZENORMALS, 1);
    canvas.Draw(FacingSquare(0.25f));
    ExpectUniform(canvas, 0xBBBBBB);
}

TEST(Lighting, ColoursClampAndLightsMoveWithTheView) {
    Canvas canvas(16, 16);
    canvas.renderer.SetMaterial(WhiteMaterial());
    D3DLIGHT7 light = PointLight(5, 5, 5, 1.0f, 0, 100.0f);
    canvas.renderer.SetLight(0, light);
    canvas.renderer.LightEnable(0, true);
    canvas.Draw(FacingSquare(0.5f));
    ExpectUniform(canvas, 0xFFFFFF);

    // Light positions are in world space: with a view that moves everything 10 units away, a
    // light at world z = -5 sits at z = 5 behind the square, facing away from its normals.
    D3DMATRIX view = Identity();
    view._43 = 10.0f;
    D3DMATRIX world = Identity();
    world._43 = -10.0f;  // keeps the square where it was on screen
    light.dvPosition = D3DVECTOR{0, 0, -5.0f};
    canvas.renderer.SetLight(0, light);
    canvas.renderer.SetTransform(D3DTRANSFORMSTATE_VIEW, view);
    canvas.renderer.SetTransform(D3DTRANSFORMSTATE_WORLD, world);
    canvas.Draw(FacingSquare(0.5f));
    ExpectUniform(canvas, 0x000000);
}

TEST(Lighting, UnlitVerticesAreWhiteOrTheirOwnColour) {
    Canvas canvas(16, 16);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
    canvas.Draw(FacingSquare(0.5f));
    ExpectUniform(canvas, 0xFFFFFF);

    struct ColouredVertex {
        float x, y, z;
        DWORD diffuse;
    };
    ColouredVertex v[3] = {{-1, 1, 0.25f, 0x336699}, {1, 1, 0.25f, 0x336699}, {-1, -1, 0.25f, 0x336699}};
    ASSERT_EQ(canvas.renderer.DrawPrimitive(canvas.Surfaces(), D3DPT_TRIANGLELIST, D3DFVF_XYZ | D3DFVF_DIFFUSE, v, 3),
              D3D_OK);
    EXPECT_EQ(canvas.Rgb(2, 2), 0x336699u);
}

TEST(Lighting, RefusesLightsItCannotEvaluate) {
    software::Renderer renderer;
    D3DLIGHT7 light = PointLight(1, 1, 1, 0, 0, 10);
    EXPECT_EQ(renderer.SetLight(0, light), D3DERR_INVALIDCALL);  // no attenuation at all
    light.dvAttenuation0 = -1;
    EXPECT_EQ(renderer.SetLight(0, light), D3DERR_INVALIDCALL);
    light.dvAttenuation0 = 1;
    light.dltType = D3DLIGHT_SPOT;
    EXPECT_EQ(renderer.SetLight(0, light), DDERR_UNSUPPORTED);
    light.dltType = D3DLIGHT_POINT;
    EXPECT_EQ(renderer.SetLight(43, light), D3D_OK);
    EXPECT_EQ(renderer.SetLight(ddraw::MaxLightSlots, light), D3DERR_INVALIDCALL);
}

TEST(Lighting, EnablingAnUnsetSlotGivesTheDefaultDirectionalLight) {
    Canvas canvas(16, 16);
    canvas.renderer.SetMaterial(WhiteMaterial());
    // White, shining along +z: full light on a square whose normals face -z.
    ASSERT_EQ(canvas.renderer.LightEnable(7, true), D3D_OK);
    canvas.Draw(FacingSquare(0.5f));
    ExpectUniform(canvas, 0xFFFFFF);
}

TEST(Transform, ViewportMappingAndDepthRange) {
    Canvas canvas(20, 10);
    D3DVIEWPORT7 viewport{10, 0, 10, 10, 0.25f, 0.75f};
    ASSERT_EQ(canvas.renderer.SetViewport(viewport, 20, 10), D3D_OK);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
    // Clip-space x from 0 to 1 maps to screen x 15..20; depth 0.5 maps to 0.5 in 0.25..0.75.
    std::vector<MeshVertex> v = {{0, 1, 0.5f, 0, 0, 0, 0, 0}, {1, 1, 0.5f, 0, 0, 0, 0, 0},
                                 {1, -1, 0.5f, 0, 0, 0, 0, 0}, {0, 1, 0.5f, 0, 0, 0, 0, 0},
                                 {1, -1, 0.5f, 0, 0, 0, 0, 0}, {0, -1, 0.5f, 0, 0, 0, 0, 0}};
    canvas.Draw(v);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 5 * 10);
    EXPECT_EQ(canvas.Rgb(15, 0), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(14, 9), 0u);
    EXPECT_EQ(canvas.Depth(17, 5), 32768u);
}

TEST(Transform, RowVectorsThroughWorldViewProjection) {
    Canvas canvas(16, 16);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
    // world moves right by 0.5, view scales by 0.5, projection moves up by 0.5:
    // (x + 0.5) * 0.5 then y + 0.5. A square of half-size 0.5 at the origin ends up at
    // clip x 0..0.5, y 0.25..0.75: screen x 8..12, y 2..6.
    D3DMATRIX world = Identity(), view = Identity(), projection = Identity();
    world._41 = 0.5f;
    view._11 = view._22 = 0.5f;
    projection._42 = 0.5f;
    canvas.renderer.SetTransform(D3DTRANSFORMSTATE_WORLD, world);
    canvas.renderer.SetTransform(D3DTRANSFORMSTATE_VIEW, view);
    canvas.renderer.SetTransform(D3DTRANSFORMSTATE_PROJECTION, projection);
    std::vector<MeshVertex> v = {{-0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 0}, {0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 0},
                                 {0.5f, -0.5f, 0.5f, 0, 0, 0, 0, 0}, {-0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 0},
                                 {0.5f, -0.5f, 0.5f, 0, 0, 0, 0, 0}, {-0.5f, -0.5f, 0.5f, 0, 0, 0, 0, 0}};
    canvas.Draw(v);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 4 * 4);
    EXPECT_EQ(canvas.Rgb(8, 2), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(11, 5), 0xFFFFFFu);
}
