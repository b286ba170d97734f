// The software device reached the way the show reaches it: DirectDraw, a flip chain, the device
// table, IDirect3D7::CreateDevice, a z-buffer, textures and vertex buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "canvas.h"
#include "platform/virtualdisplay.h"

using namespace softdevtest;

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

class SoftwareDeviceTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (device) {
            EXPECT_EQ(device->Release(), 0u);
        }
        for (IUnknown* object : {(IUnknown*)zBuffer, (IUnknown*)backBuffer, (IUnknown*)primary, (IUnknown*)direct3D})
            if (object) object->Release();
        if (directDraw) {
            EXPECT_EQ(directDraw->Release(), 0u) << "something was not released";
        }
    }

    // The show's own sequence on a virtual display of the mode's size: mode, flip chain, device,
    // viewport, z-buffer, SetRenderTarget.
    void CreateAll(DWORD width, DWORD height, DWORD bits) {
        platform::UseVirtualDisplay(width, height, [this](const platform::FrameImage& frame) {
            const uint8_t* pixels = static_cast<const uint8_t*>(frame.pixels);
            lastFrame.assign(pixels, pixels + (size_t)frame.pitch * frame.height);
            lastPitch = frame.pitch;
        });
        ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
        ASSERT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
        ASSERT_EQ(directDraw->SetDisplayMode(width, height, bits, 0, 0), DD_OK);
        DDSURFACEDESC2 description{};
        description.dwSize = 124;
        description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
        description.dwBackBufferCount = 1;
        ASSERT_EQ(directDraw->CreateSurface(&description, &primary, nullptr), DD_OK);
        DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &backBuffer), DD_OK);
        ASSERT_EQ(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)), DD_OK);
        ASSERT_EQ(direct3D->CreateDevice(IID_IDirect3DRGBDevice, backBuffer, &device), D3D_OK);
        D3DVIEWPORT7 viewport{0, 0, width, height, 0.0f, 1.0f};
        ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);

        DDSURFACEDESC2 z{};
        z.dwSize = 124;
        ASSERT_EQ(backBuffer->GetSurfaceDesc(&z), DD_OK);
        z.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
        z.ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_ZBUFFER;
        std::vector<DDPIXELFORMAT> depths;
        ASSERT_EQ(direct3D->EnumZBufferFormats(IID_IDirect3DRGBDevice, CollectFormat, &depths), D3D_OK);
        for (const DDPIXELFORMAT& format : depths)
            if (format.dwZBufferBitDepth == bits) z.ddpfPixelFormat = format;
        ASSERT_EQ(z.ddpfPixelFormat.dwZBufferBitDepth, bits);
        ASSERT_EQ(directDraw->CreateSurface(&z, &zBuffer, nullptr), DD_OK);
        ASSERT_EQ(backBuffer->AddAttachedSurface(zBuffer), DD_OK);
        ASSERT_EQ(device->SetRenderTarget(backBuffer, 0), D3D_OK);
    }

    IDirectDrawSurface7* CreateTexture(DWORD width, DWORD height, const DDPIXELFORMAT& format) {
        DDSURFACEDESC2 description{};
        description.dwSize = 124;
        description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
        description.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
        description.dwWidth = width;
        description.dwHeight = height;
        description.ddpfPixelFormat = format;
        IDirectDrawSurface7* texture = nullptr;
        EXPECT_EQ(directDraw->CreateSurface(&description, &texture, nullptr), DD_OK);
        return texture;
    }

    uint32_t Presented(int x, int y, int bytes) const {
        uint32_t value = 0;
        std::memcpy(&value, lastFrame.data() + (size_t)y * lastPitch + x * bytes, bytes);
        return value;
    }

    IDirectDraw7* directDraw = nullptr;
    IDirect3D7* direct3D = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* backBuffer = nullptr;
    IDirectDrawSurface7* zBuffer = nullptr;
    IDirect3DDevice7* device = nullptr;
    std::vector<uint8_t> lastFrame;
    LONG lastPitch = 0;
};

}  // namespace

TEST_F(SoftwareDeviceTest, ListedAsTheRgbEmulationDeviceWithItsCapabilities) {
    ASSERT_NO_FATAL_FAILURE(CreateAll(64, 48, 16));
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

TEST_F(SoftwareDeviceTest, DrawsAFrameThatReachesTheScreen) {
    ASSERT_NO_FATAL_FAILURE(CreateAll(64, 48, 16));
    ASSERT_EQ(device->SetRenderState(D3DRENDERSTATE_ZENABLE, 1), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    std::vector<TlVertex> quad = Quad(8, 8, 24, 16, 0x00FF00, 0.5f);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, kTlFormat, quad.data(), 6, 0), D3D_OK);
    // Behind the first quad: hidden by the z-buffer the device found attached to its target.
    std::vector<TlVertex> behind = Quad(0, 0, 64, 48, 0x0000FF, 0.9f);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, kTlFormat, behind.data(), 6, 0), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    ASSERT_FALSE(lastFrame.empty());
    EXPECT_EQ(Presented(10, 10, 2), 0x07E0u);
    EXPECT_EQ(Presented(2, 2, 2), 0x001Fu);

    // The next frame goes into the other buffer of the chain.
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFF, 1.0f, 0), D3D_OK);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(Presented(10, 10, 2), 0xFFFFu);
}

TEST_F(SoftwareDeviceTest, TexturesAndIndexedVertexBuffers) {
    ASSERT_NO_FATAL_FAILURE(CreateAll(32, 32, 32));
    std::vector<DDPIXELFORMAT> formats;
    device->EnumTextureFormats(CollectFormat, &formats);
    IDirectDrawSurface7* texture = CreateTexture(2, 2, formats[0]);
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
    EXPECT_EQ(Presented(4, 4, 4) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Presented(28, 4, 4) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(Presented(4, 28, 4) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(Presented(28, 28, 4) & 0xFFFFFF, 0xFFFFFFu);

    // The device keeps the texture alive while it is set.
    EXPECT_EQ(texture->AddRef(), 3u);
    EXPECT_EQ(texture->Release(), 2u);
    ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(buffer->Release(), 0u);
}

TEST_F(SoftwareDeviceTest, HoldsItsRenderTarget) {
    ASSERT_NO_FATAL_FAILURE(CreateAll(32, 32, 16));
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

TEST_F(SoftwareDeviceTest, RefusesBadArguments) {
    ASSERT_NO_FATAL_FAILURE(CreateAll(32, 32, 16));
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
