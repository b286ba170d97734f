#include "fixture.h"

#include "devicefixture.h"
#include "platform/devicetrace.h"

#include <cstring>

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
    ASSERT_NO_FATAL_FAILURE(::CreateFlipChain(directDraw, window, width, height, bits, &primary, &backBuffer));
    ASSERT_EQ(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)), DD_OK);
}

IDirect3DDevice7* DirectDrawTest::CreateDevice() {
    EXPECT_EQ(direct3D->CreateDevice(ScriptedSoftwareGuid, backBuffer, &device), D3D_OK);
    return device;
}
