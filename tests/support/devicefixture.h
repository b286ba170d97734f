// Every device of the device table, reached as a Direct3D 7 program reaches it: a flip chain on a
// virtual display, a z-buffer attached to the back buffer, the device created by its GUID.
// Pictures are read where the program's user sees them, as Flip presents them.
#pragma once

#include <gtest/gtest.h>

#include <d3d.h>

#include <string>
#include <vector>

#include "devicecanvas.h"

// How far a device may round away from the exact result. Software devices are exact; a
// hardware rasteriser rounds colours its own way. A new record joins with its kind's tolerance.
struct Tolerance {
    int colour;  // per 8-bit channel
};
Tolerance ToleranceOf(const DeviceDriverRecord& record);

// Exclusive full-screen cooperation for the window (or none), the display mode, and a flip chain
// of one back buffer.
void CreateFlipChain(IDirectDraw7* directDraw, HWND window, DWORD width, DWORD height, DWORD bits,
                     IDirectDrawSurface7** primary, IDirectDrawSurface7** backBuffer);

class DeviceTest : public ::testing::TestWithParam<const DeviceDriverRecord*> {
protected:
    static constexpr DWORD kSize = 32;

    // A kSize x kSize mode of 32 bits, unless a suite opens its own.
    void SetUp() override;
    void TearDown() override;

    // The show's own sequence on a virtual display of the mode's size: mode, flip chain, device,
    // viewport, a z-buffer of the mode's depth where the device offers one, SetRenderTarget.
    void Open(DWORD width, DWORD height, DWORD bits);

    // Draws a list of triangles; the caller begins and ends the scene.
    HRESULT Draw(const std::vector<ScreenVertex>& vertices);
    HRESULT Draw(const std::vector<MeshVertex>& vertices);

    // Flips and keeps the presented picture; the next frame draws into the other buffer.
    void Present();
    // 0x00RRGGBB of the last presented picture.
    DWORD Presented(int x, int y) const;
    // Checks a presented pixel against a colour within the device's tolerance.
    void ExpectPresented(int x, int y, DWORD colour) const;

    IDirectDrawSurface7* CreateSurface(DWORD width, DWORD height, DWORD caps, const DDPIXELFORMAT* format) {
        return ::CreateSurface(directDraw, width, height, caps, format);
    }
    // The device's first texture format, as the show picks it.
    DDPIXELFORMAT TextureFormat();

    const DeviceDriverRecord& record() const { return *GetParam(); }

    IDirectDraw7* directDraw = nullptr;
    IDirect3D7* direct3D = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* backBuffer = nullptr;
    IDirectDrawSurface7* zBuffer = nullptr;
    IDirect3DDevice7* device = nullptr;

private:
    std::vector<uint8_t> presented;  // the last presented frame's rows
    LONG presentedPitch = 0;
    int presentedBits = 0;
};

std::vector<const DeviceDriverRecord*> TableDevices();
std::string DeviceTestName(const ::testing::TestParamInfo<const DeviceDriverRecord*>& info);

#define INSTANTIATE_FOR_EVERY_DEVICE(suite) \
    INSTANTIATE_TEST_SUITE_P(EveryDevice, suite, ::testing::ValuesIn(TableDevices()), DeviceTestName)
