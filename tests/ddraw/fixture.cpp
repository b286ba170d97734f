#include "fixture.h"

#include "platform/devicetrace.h"

#include <cstring>

DDPIXELFORMAT Rgb565() {
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof format;
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = 16;
    format.dwRBitMask = 0xF800;
    format.dwGBitMask = 0x07E0;
    format.dwBBitMask = 0x001F;
    return format;
}

DDPIXELFORMAT Xrgb8888() {
    DDPIXELFORMAT format = Rgb565();
    format.dwRGBBitCount = 32;
    format.dwRBitMask = 0xFF0000;
    format.dwGBitMask = 0xFF00;
    format.dwBBitMask = 0xFF;
    return format;
}

void DirectDrawTest::SetUp() {
    scripted.Reset();
    platform::SetTraceSink(nullptr);
    platform::SetDeviceRasterising(true);
    platform::UseVirtualDisplay(1024, 768, [this](const platform::FrameImage& frame) {
        presented.push_back(frame);
        uint32_t first = 0;
        std::memcpy(&first, frame.pixels, frame.format.dwRGBBitCount / 8);
        presentedFirstPixels.push_back(first);
    });
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
}

void DirectDrawTest::TearDown() {
    platform::SetTraceSink(nullptr);
    platform::SetDeviceRasterising(true);
    if (device) {
        EXPECT_EQ(device->Release(), 0u);
    }
    if (backBuffer) backBuffer->Release();
    if (primary) primary->Release();
    if (direct3D) direct3D->Release();
    if (directDraw) {
        EXPECT_EQ(directDraw->Release(), 0u) << "a surface, device or interface was not released";
    }
}

void DirectDrawTest::CreateFlipChain(DWORD width, DWORD height, DWORD bits, HWND window) {
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(width, height, bits, 0, 0), DD_OK);
    DDSURFACEDESC2 description = {};
    description.dwSize = 124;
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    description.dwBackBufferCount = 1;
    ASSERT_EQ(directDraw->CreateSurface(&description, &primary, nullptr), DD_OK);
    DDSCAPS2 caps = {DDSCAPS_BACKBUFFER, 0, 0, 0};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &backBuffer), DD_OK);
    ASSERT_EQ(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)), DD_OK);
}

IDirect3DDevice7* DirectDrawTest::CreateDevice() {
    EXPECT_EQ(direct3D->CreateDevice(ScriptedSoftwareGuid, backBuffer, &device), D3D_OK);
    return device;
}

IDirectDrawSurface7* DirectDrawTest::CreatePlain(DWORD width, DWORD height, DWORD caps, const DDPIXELFORMAT* format) {
    DDSURFACEDESC2 description = {};
    description.dwSize = 124;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
    description.dwWidth = width;
    description.dwHeight = height;
    description.ddsCaps.dwCaps = caps;
    if (format) description.ddpfPixelFormat = *format;
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DD_OK);
    return surface;
}
