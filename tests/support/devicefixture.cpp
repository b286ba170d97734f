#include "devicefixture.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/display.h"
#include "platform/virtualdisplay.h"

Tolerance ToleranceOf(const DeviceDriverRecord& record) {
    D3DDEVICEDESC7 caps{};
    record.describe(&caps);
    if (caps.dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) return Tolerance{2};
    return Tolerance{0};
}

std::vector<const DeviceDriverRecord*> TableDevices() {
    std::vector<const DeviceDriverRecord*> records;
    for (const DeviceDriverRecord* const* record = deviceDrivers; *record; ++record) records.push_back(*record);
    return records;
}

std::string DeviceTestName(const ::testing::TestParamInfo<const DeviceDriverRecord*>& info) {
    std::string name;
    for (const char* c = info.param->name; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    return name;
}

void CreateFlipChain(IDirectDraw7* directDraw, HWND window, DWORD width, DWORD height, DWORD bits,
                     IDirectDrawSurface7** primary, IDirectDrawSurface7** backBuffer) {
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(width, height, bits, 0, 0), DD_OK);
    DDSURFACEDESC2 chain{};
    chain.dwSize = sizeof chain;
    chain.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    chain.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    chain.dwBackBufferCount = 1;
    ASSERT_EQ(directDraw->CreateSurface(&chain, primary, nullptr), DD_OK);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    ASSERT_EQ((*primary)->GetAttachedSurface(&caps, backBuffer), DD_OK);
}

namespace {

struct DepthWanted {
    DWORD bits;
    DDPIXELFORMAT format;
};

HRESULT CALLBACK KeepFormatOfDepth(LPDDPIXELFORMAT format, LPVOID context) {
    DepthWanted* wanted = static_cast<DepthWanted*>(context);
    if (wanted->format.dwSize == 0 || format->dwZBufferBitDepth == wanted->bits) wanted->format = *format;
    return D3DENUMRET_OK;
}

HRESULT CALLBACK KeepFirstFormat(LPDDPIXELFORMAT format, LPVOID context) {
    *static_cast<DDPIXELFORMAT*>(context) = *format;
    return D3DENUMRET_CANCEL;
}

}  // namespace

void DeviceTest::SetUp() { ASSERT_NO_FATAL_FAILURE(Open(kSize, kSize, 32)); }

void DeviceTest::Open(DWORD width, DWORD height, DWORD bits) {
    if (AvailabilityOf(record()) == DeviceAvailability::Missing)
        GTEST_SKIP() << record().name << " cannot run on this machine";
    platform::UseVirtualDisplay(width, height, [this](const platform::FrameImage& frame) {
        const uint8_t* pixels = static_cast<const uint8_t*>(frame.pixels);
        presented.assign(pixels, pixels + size_t(frame.pitch) * frame.height);
        presentedPitch = frame.pitch;
        presentedBits = int(frame.format.dwRGBBitCount);
    });
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(directDraw, nullptr, width, height, bits, &primary, &backBuffer));
    ASSERT_EQ(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)), DD_OK);

    // The show's order: the device first, then the z-buffer, taken up by SetRenderTarget.
    ASSERT_EQ(direct3D->CreateDevice(*record().guid, backBuffer, &device), D3D_OK) << record().name;
    D3DVIEWPORT7 viewport{0, 0, width, height, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    DepthWanted depth{bits, {}};
    ASSERT_EQ(direct3D->EnumZBufferFormats(*record().guid, KeepFormatOfDepth, &depth), D3D_OK);
    ASSERT_NE(depth.format.dwSize, 0u) << record().name << " offers no z-buffer";
    zBuffer = CreateSurface(width, height, DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY, &depth.format);
    ASSERT_NE(zBuffer, nullptr);
    ASSERT_EQ(backBuffer->AddAttachedSurface(zBuffer), DD_OK);
    ASSERT_EQ(device->SetRenderTarget(backBuffer, 0), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRENDERSTATE_ZENABLE, D3DZB_TRUE), D3D_OK);
}

void DeviceTest::TearDown() {
    if (device) {
        EXPECT_EQ(device->Release(), 0u);
    }
    for (IUnknown* object : {(IUnknown*)zBuffer, (IUnknown*)backBuffer, (IUnknown*)primary, (IUnknown*)direct3D})
        if (object) object->Release();
    if (directDraw) {
        EXPECT_EQ(directDraw->Release(), 0u) << "something was not released";
    }
}

HRESULT DeviceTest::Draw(const std::vector<ScreenVertex>& vertices) {
    return device->DrawPrimitive(D3DPT_TRIANGLELIST, kScreenFormat, const_cast<ScreenVertex*>(vertices.data()),
                                 static_cast<DWORD>(vertices.size()), 0);
}

HRESULT DeviceTest::Draw(const std::vector<MeshVertex>& vertices) {
    return device->DrawPrimitive(D3DPT_TRIANGLELIST, kMeshFormat, const_cast<MeshVertex*>(vertices.data()),
                                 static_cast<DWORD>(vertices.size()), 0);
}

void DeviceTest::Present() { ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK); }

DWORD DeviceTest::Presented(int x, int y) const {
    const size_t bytes = size_t(presentedBits / 8), at = size_t(y) * size_t(presentedPitch) + size_t(x) * bytes;
    if (presented.size() < at + bytes) {
        ADD_FAILURE() << "nothing was presented at " << x << "," << y;
        return 0;
    }
    uint32_t raw = 0;
    std::memcpy(&raw, presented.data() + at, bytes);
    return RgbOf(raw, presentedBits);
}

void DeviceTest::ExpectPresented(int x, int y, DWORD colour) const {
    const DWORD actual = Presented(x, y);
    if (!Near(actual, colour, ToleranceOf(record()).colour))
        ADD_FAILURE() << "pixel " << x << "," << y << " is 0x" << std::hex << actual << ", not 0x" << colour;
}

DDPIXELFORMAT DeviceTest::TextureFormat() {
    DDPIXELFORMAT format{};
    EXPECT_EQ(device->EnumTextureFormats(KeepFirstFormat, &format), D3D_OK);
    return format;
}
