// A DirectDraw object on a virtual display, with a flip chain and a scripted device ready.
#pragma once

#include "devicecanvas.h"
#include "scripteddevices.h"

#include "platform/virtualdisplay.h"

#include <gtest/gtest.h>

#include <vector>

class DirectDrawTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Exclusive cooperation (for a window, or none), the mode, the flip chain with its back
    // buffer, IDirect3D7.
    void CreateFlipChain(DWORD width, DWORD height, DWORD bits, HWND window = nullptr);
    // The scripted software device rendering into the back buffer.
    IDirect3DDevice7* CreateDevice();
    IDirectDrawSurface7* CreatePlain(DWORD width, DWORD height, DWORD caps, const DDPIXELFORMAT* format) {
        return CreateSurface(directDraw, width, height, caps, format);
    }

    IDirectDraw7* directDraw = nullptr;
    IDirect3D7* direct3D = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* backBuffer = nullptr;
    IDirect3DDevice7* device = nullptr;
    std::vector<platform::FrameImage> presented;
    std::vector<uint32_t> presentedFirstPixels;
};

