// The software device reached the way the show reaches it: DirectDraw, a flip chain, the device
// table, IDirect3D7::CreateDevice, a z-buffer, textures and vertex buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "devicefixture.h"

namespace {

HRESULT CALLBACK CollectFormat(LPDDPIXELFORMAT format, LPVOID context) {
    static_cast<std::vector<DDPIXELFORMAT>*>(context)->push_back(*format);
    return D3DENUMRET_OK;
}

struct Reported {
    std::string name, description;
    D3DDEVICEDESC7 caps;
};

HRESULT CALLBACK CollectDevice(LPSTR description, LPSTR name, LPD3DDEVICEDESC7 caps, LPVOID context) {
    static_cast<std::vector<Reported>*>(context)->push_back({name, description, *caps});
    return D3DENUMRET_OK;
}

// The software device alone, in the modes its tests choose.
class SoftwareDeviceTest : public DeviceTest {
protected:
    void SetUp() override {}
};

}  // namespace

TEST_P(SoftwareDeviceTest, ListedAsTheRgbEmulationDeviceWithItsCapabilities) {
    ASSERT_NO_FATAL_FAILURE(Open(64, 48, 16));
    std::vector<Reported> devices;
    ASSERT_EQ(direct3D->EnumDevices(CollectDevice, &devices), D3D_OK);
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices[0].name, "RGB Emulation");
    EXPECT_EQ(devices[0].caps.deviceGUID, IID_IDirect3DRGBDevice);

    D3DDEVICEDESC7 caps{};
    ASSERT_EQ(device->GetCaps(&caps), D3D_OK);
    EXPECT_EQ(caps.deviceGUID, IID_IDirect3DRGBDevice);
    EXPECT_EQ(caps.dwDeviceRenderBitDepth, (DWORD)(DDBD_16 | DDBD_32));
    EXPECT_FALSE(caps.dwDevCaps & D3DDEVCAPS_HWRASTERIZATION);
    EXPECT_FALSE(caps.dpcTriCaps.dwRasterCaps & D3DPRASTERCAPS_ZBUFFERLESSHSR);
    EXPECT_FALSE(caps.dpcTriCaps.dwTextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY));
    EXPECT_EQ(caps.dwMaxTextureWidth, 2048u);
    EXPECT_EQ(caps.dwMaxTextureHeight, 2048u);
    EXPECT_GE(caps.dwMaxActiveLights, 44u);

    std::vector<DDPIXELFORMAT> formats;
    ASSERT_EQ(device->EnumTextureFormats(CollectFormat, &formats), D3D_OK);
    ASSERT_GE(formats.size(), 3u);
    EXPECT_EQ(formats[0].dwRGBBitCount, 16u);
    EXPECT_EQ(formats[0].dwRBitMask, 0xF800u);
    EXPECT_EQ(formats[1].dwRBitMask, 0x7C00u);
    EXPECT_FALSE(formats[1].dwFlags & DDPF_ALPHAPIXELS);
    EXPECT_EQ(formats[2].dwRGBAlphaBitMask, 0x8000u);
}

TEST_P(SoftwareDeviceTest, DrawsAFrameThatReachesTheScreen) {
    ASSERT_NO_FATAL_FAILURE(Open(64, 48, 16));
    ASSERT_EQ(device->SetRenderState(D3DRENDERSTATE_ZENABLE, 1), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(Draw(Quad(8, 8, 24, 16, 0x00FF00, 0.5f)), D3D_OK);
    // Behind the first quad: hidden by the z-buffer the device found attached to its target.
    ASSERT_EQ(Draw(Quad(0, 0, 64, 48, 0x0000FF, 0.9f)), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(Presented(10, 10), 0x00FF00u);
    EXPECT_EQ(Presented(2, 2), 0x0000FFu);

    // The next frame goes into the other buffer of the chain.
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFF, 1.0f, 0), D3D_OK);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(Presented(10, 10), 0xFFFFFFu);
}

TEST_P(SoftwareDeviceTest, TexturesAndIndexedVertexBuffers) {
    ASSERT_NO_FATAL_FAILURE(Open(32, 32, 32));
    std::vector<DDPIXELFORMAT> formats;
    device->EnumTextureFormats(CollectFormat, &formats);
    IDirectDrawSurface7* texture = CreateSurface(2, 2, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY, &formats[0]);
    ASSERT_NE(texture, nullptr);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof locked;
    ASSERT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WRITEONLY, nullptr), DD_OK);
    const uint16_t texels[2][2] = {{0xF800, 0x07E0}, {0x001F, 0xFFFF}};
    for (int y = 0; y < 2; ++y) std::memcpy((uint8_t*)locked.lpSurface + y * locked.lPitch, texels[y], 4);
    ASSERT_EQ(texture->Unlock(nullptr), DD_OK);

    D3DVERTEXBUFFERDESC description{sizeof(D3DVERTEXBUFFERDESC), D3DVBCAPS_SYSTEMMEMORY, kMeshFormat, 6};
    IDirect3DVertexBuffer7* buffer = nullptr;
    ASSERT_EQ(direct3D->CreateVertexBuffer(&description, &buffer, 0), D3D_OK);
    void* memory = nullptr;
    ASSERT_EQ(buffer->Lock(DDLOCK_WRITEONLY, &memory, nullptr), D3D_OK);
    // Two unused vertices first: indices count from the first vertex drawn.
    const MeshVertex vertices[6] = {{9, 9, 9, 0, 0, 0, 0, 0}, {9, 9, 9, 0, 0, 0, 0, 0},
                                    {-1, 1, 0.5f, 0, 0, -1, 0, 0}, {1, 1, 0.5f, 0, 0, -1, 1, 0},
                                    {1, -1, 0.5f, 0, 0, -1, 1, 1}, {-1, -1, 0.5f, 0, 0, -1, 0, 1}};
    std::memcpy(memory, vertices, sizeof vertices);
    ASSERT_EQ(buffer->Unlock(), D3D_OK);

    device->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    WORD indices[6] = {0, 1, 2, 0, 2, 3};
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->BeginScene();
    EXPECT_EQ(device->DrawIndexedPrimitiveVB(D3DPT_TRIANGLELIST, buffer, 2, 4, indices, 6, 0), D3D_OK);
    // Vertex ranges beyond the buffer are refused.
    EXPECT_EQ(device->DrawIndexedPrimitiveVB(D3DPT_TRIANGLELIST, buffer, 3, 4, indices, 6, 0), DDERR_INVALIDPARAMS);
    device->EndScene();
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(Presented(4, 4), 0xFF0000u);
    EXPECT_EQ(Presented(28, 4), 0x00FF00u);
    EXPECT_EQ(Presented(4, 28), 0x0000FFu);
    EXPECT_EQ(Presented(28, 28), 0xFFFFFFu);

    // The device keeps the texture alive while it is set.
    EXPECT_EQ(texture->AddRef(), 3u);
    EXPECT_EQ(texture->Release(), 2u);
    ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(buffer->Release(), 0u);
}

TEST_P(SoftwareDeviceTest, HoldsItsRenderTarget) {
    ASSERT_NO_FATAL_FAILURE(Open(32, 32, 16));
    auto references = [this]() {
        ULONG count = backBuffer->AddRef();
        backBuffer->Release();
        return count - 1;
    };
    const ULONG withDevice = references();
    IDirectDrawSurface7* target = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&target), D3D_OK);
    EXPECT_EQ(target, backBuffer);
    EXPECT_EQ(references(), withDevice + 1);
    target->Release();
    EXPECT_EQ(device->Release(), 0u);
    device = nullptr;
    EXPECT_EQ(references(), withDevice - 1);
}

TEST_P(SoftwareDeviceTest, RefusesBadArguments) {
    ASSERT_NO_FATAL_FAILURE(Open(32, 32, 16));
    EXPECT_EQ(device->SetTransform(D3DTRANSFORMSTATE_WORLD, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(device->SetLight(0, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(device->SetMaterial(nullptr), DDERR_INVALIDPARAMS);
    D3DVIEWPORT7 tooBig{0, 0, 33, 32, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&tooBig), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderTarget(nullptr, 0), DDERR_INVALIDPARAMS);
    device->BeginScene();
    EXPECT_EQ(device->DrawIndexedPrimitiveVB(D3DPT_TRIANGLELIST, nullptr, 0, 3, nullptr, 0, 0), DDERR_INVALIDPARAMS);
    device->EndScene();
}

INSTANTIATE_TEST_SUITE_P(Software, SoftwareDeviceTest, ::testing::Values(&softwareDeviceRecord), DeviceTestName);
