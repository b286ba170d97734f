// IDirect3DDevice7::Clear on every device: the viewport, or the given rectangles within it.
#include "devicefixture.h"

using ClearTest = DeviceTest;

TEST_P(ClearTest, ClearsTheViewportOrTheGivenRectanglesWithinIt) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x000000, 1.0f, 0), D3D_OK);
    D3DVIEWPORT7 port{8, 8, 16, 16, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&port), D3D_OK);
    // A count without rectangles clears the whole viewport; rectangles with a count of zero, nothing.
    ASSERT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0xFF0000, 1.0f, 0), D3D_OK);
    D3DRECT everything{0, 0, kSize, kSize};
    ASSERT_EQ(device->Clear(0, &everything, D3DCLEAR_TARGET, 0x00FF00, 1.0f, 0), D3D_OK);
    D3DRECT corner{20, 20, 32, 32};
    ASSERT_EQ(device->Clear(1, &corner, D3DCLEAR_TARGET, 0x0000FF, 1.0f, 0), D3D_OK);
    Present();
    ExpectPresented(7, 7, 0x000000);
    ExpectPresented(8, 8, 0xFF0000);
    ExpectPresented(19, 19, 0xFF0000);
    ExpectPresented(20, 20, 0x0000FF);
    ExpectPresented(23, 23, 0x0000FF);
    ExpectPresented(24, 24, 0x000000);
}

TEST_P(ClearTest, SetsDepthToTheValueGiven) {
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x000000, 0.5f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(Draw(Quad(0, 0, 16, 32, 0xFF0000, 0.49f)), D3D_OK);
    EXPECT_EQ(Draw(Quad(16, 0, 32, 32, 0xFF0000, 0.51f)), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    Present();
    ExpectPresented(8, 16, 0xFF0000);
    ExpectPresented(24, 16, 0x000000);
}

TEST_P(ClearTest, RefusesBuffersTheTargetLacks) {
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_STENCILBUFFER_NOTPRESENT);
    IDirectDrawSurface7* bare = CreateSurface(kSize, kSize, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, nullptr);
    ASSERT_EQ(device->SetRenderTarget(bare, 0), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_ZBUFFER_NOTPRESENT);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(backBuffer, 0), D3D_OK);
    bare->Release();
}

INSTANTIATE_FOR_EVERY_DEVICE(ClearTest);
