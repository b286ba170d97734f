// Calls the pipeline refuses: they fail clearly and leave the target as it was.
#include <gtest/gtest.h>

#include "pipelinecanvas.h"

using namespace softdevtest;

TEST(Refusals, VertexFormatsAndPrimitiveTypes) {
    PipelineCanvas canvas(8, 8);
    std::vector<ScreenVertex> quad = Quad(0, 0, 8, 8, 0xFFFFFF);
    const software::Surfaces s = canvas.Surfaces();
    EXPECT_EQ(canvas.renderer.DrawPrimitive(s, D3DPT_TRIANGLELIST, D3DFVF_XYZRHW | D3DFVF_NORMAL, quad.data(), 6),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(canvas.renderer.DrawPrimitive(s, D3DPT_TRIANGLELIST, 0x1000 | kScreenFormat, quad.data(), 6),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(canvas.renderer.DrawPrimitive(s, D3DPT_TRIANGLELIST, D3DFVF_XYZ | 0x200, quad.data(), 6),
              D3DERR_INVALIDCALL);  // two texture co-ordinate sets
    EXPECT_EQ(canvas.renderer.DrawPrimitive(s, D3DPT_TRIANGLESTRIP, kScreenFormat, quad.data(), 6), DDERR_UNSUPPORTED);
    EXPECT_EQ(canvas.renderer.DrawPrimitive(s, (D3DPRIMITIVETYPE)9, kScreenFormat, quad.data(), 6), D3DERR_INVALIDCALL);
    EXPECT_EQ(canvas.renderer.DrawPrimitive(s, D3DPT_TRIANGLELIST, kScreenFormat, nullptr, 6), D3DERR_INVALIDCALL);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 0);
    // Fewer than three vertices, or a remainder, are not an error.
    EXPECT_EQ(canvas.renderer.DrawPrimitive(s, D3DPT_TRIANGLELIST, kScreenFormat, quad.data(), 2), D3D_OK);
    EXPECT_EQ(canvas.renderer.DrawPrimitive(s, D3DPT_TRIANGLELIST, kScreenFormat, quad.data(), 5), D3D_OK);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 8 * 8 / 2 + 4);  // the first triangle, diagonal included
}

TEST(Refusals, IndicesBeyondTheVertices) {
    PipelineCanvas canvas(8, 8);
    std::vector<ScreenVertex> quad = Quad(0, 0, 8, 8, 0xFFFFFF);
    const WORD good[6] = {0, 1, 2, 3, 4, 5};
    const WORD bad[6] = {0, 1, 2, 3, 4, 6};
    const software::Surfaces s = canvas.Surfaces();
    EXPECT_EQ(canvas.renderer.DrawIndexedPrimitive(s, D3DPT_TRIANGLELIST, kScreenFormat, quad.data(), 6, bad, 6),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 0);
    EXPECT_EQ(canvas.renderer.DrawIndexedPrimitive(s, D3DPT_TRIANGLELIST, kScreenFormat, quad.data(), 6, nullptr, 6),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(canvas.renderer.DrawIndexedPrimitive(s, D3DPT_TRIANGLELIST, kScreenFormat, quad.data(), 6, good, 6), D3D_OK);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 64);
}

TEST(Refusals, IndexedDrawingTransformsEachVertexOnce) {
    // Indices reuse vertices: a quad from four vertices.
    PipelineCanvas canvas(8, 8);
    std::vector<ScreenVertex> quad = Quad(0, 0, 8, 8, 0x445566);
    ScreenVertex four[4] = {quad[0], quad[1], quad[2], quad[5]};
    const WORD indices[6] = {0, 1, 2, 0, 2, 3};
    EXPECT_EQ(canvas.renderer.DrawIndexedPrimitive(canvas.Surfaces(), D3DPT_TRIANGLELIST, kScreenFormat, four, 4, indices, 6),
              D3D_OK);
    EXPECT_EQ(canvas.Count(0x445566), 64);
}

TEST(Refusals, StatesTheDeviceCannotHonour) {
    software::Renderer renderer;
    EXPECT_EQ(renderer.SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA), DDERR_UNSUPPORTED);
    EXPECT_EQ(renderer.SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE), D3D_OK);
    EXPECT_EQ(renderer.SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA), DDERR_UNSUPPORTED);
    EXPECT_EQ(renderer.SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_GREATER), DDERR_UNSUPPORTED);
    EXPECT_EQ(renderer.SetRenderState(D3DRENDERSTATE_FOGENABLE, 1), DDERR_UNSUPPORTED);
    EXPECT_EQ(renderer.SetRenderState(D3DRENDERSTATE_CULLMODE, 7), D3DERR_INVALIDCALL);
    EXPECT_EQ(renderer.SetRenderState((D3DRENDERSTATETYPE)9999, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(renderer.SetTextureStageState(0, D3DTSS_ADDRESS, D3DTADDRESS_BORDER), DDERR_UNSUPPORTED);
    EXPECT_EQ(renderer.SetTextureStageState(0, D3DTSS_MAGFILTER, 5), DDERR_UNSUPPORTED);
    EXPECT_EQ(renderer.SetTextureStageState(1, D3DTSS_ADDRESS, D3DTADDRESS_WRAP), DDERR_UNSUPPORTED);
    EXPECT_EQ(renderer.SetTextureStageState(8, D3DTSS_ADDRESS, D3DTADDRESS_WRAP), D3DERR_INVALIDCALL);
    EXPECT_EQ(renderer.SetTransform(7, Identity()), D3DERR_INVALIDCALL);
}

TEST(Refusals, LightsItCannotEvaluate) {
    software::Renderer renderer;
    D3DLIGHT7 light{};
    light.dltType = D3DLIGHT_POINT;
    light.dcvDiffuse = D3DCOLORVALUE{1, 1, 1, 0};
    light.dvRange = 10;
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

TEST(Refusals, SurfacesItCannotUse) {
    PipelineCanvas canvas(8, 8);
    std::vector<ScreenVertex> quad = Quad(0, 0, 8, 8, 0xFFFFFF);
    Image eightBit(8, 8, RgbLayout(32));
    eightBit.memory.format.dwRGBBitCount = 8;
    software::Surfaces s{&eightBit.memory, nullptr, nullptr};
    EXPECT_EQ(canvas.renderer.DrawPrimitive(s, D3DPT_TRIANGLELIST, kScreenFormat, quad.data(), 6), DDERR_INVALIDPIXELFORMAT);
    // A depth buffer smaller than the target.
    Image smallDepth(4, 4, ddraw::ZBufferFormat(16));
    s = software::Surfaces{&canvas.colour.memory, &smallDepth.memory, nullptr};
    EXPECT_EQ(canvas.renderer.DrawPrimitive(s, D3DPT_TRIANGLELIST, kScreenFormat, quad.data(), 6), D3DERR_INVALIDCALL);
    // A texture with a pitch shorter than its rows.
    Image texture(4, 4, RgbLayout(16));
    texture.memory.pitch = 4;
    EXPECT_EQ(canvas.Draw(quad, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(canvas.Count(0xFFFFFF), 0);
}
