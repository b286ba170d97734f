// IDirect3DDevice7::SetTexture on every device: only surfaces created as textures are sampled;
// any other is taken and ignored, so the diffuse colour shows.
#include "devicefixture.h"

#include <cstring>

using TextureTest = DeviceTest;

TEST_P(TextureTest, OnlySurfacesCreatedAsTexturesAreSampled) {
    const DDPIXELFORMAT format = TextureFormat();
    IDirectDrawSurface7* texture = CreateSurface(2, 2, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY, &format);
    IDirectDrawSurface7* plain = CreateSurface(2, 2, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, &format);
    ASSERT_TRUE(texture && plain);
    for (IDirectDrawSurface7* surface : {texture, plain}) {
        DDSURFACEDESC2 locked{};
        locked.dwSize = sizeof locked;
        ASSERT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
        const DWORD red = format.dwRBitMask, bytes = format.dwRGBBitCount / 8;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                std::memcpy(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * bytes, &red, bytes);
        ASSERT_EQ(surface->Unlock(nullptr), DD_OK);
    }
    // Red texels modulate the green diffuse colour to black.
    const struct {
        IDirectDrawSurface7* surface;
        DWORD shows;
    } cases[] = {{texture, 0x000000}, {plain, 0x00FF00}, {zBuffer, 0x00FF00}, {backBuffer, 0x00FF00}};
    for (const auto& c : cases) {
        ASSERT_EQ(device->SetTexture(0, c.surface), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x808080, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(Draw(Quad(0, 0, kSize, kSize, 0x00FF00)), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        Present();
        ExpectPresented(16, 16, c.shows);
    }
    ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    texture->Release();
    plain->Release();
}

INSTANTIATE_FOR_EVERY_DEVICE(TextureTest);
