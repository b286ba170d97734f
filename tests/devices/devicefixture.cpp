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

namespace {

HRESULT CALLBACK KeepFormatOfDepth(LPDDPIXELFORMAT format, LPVOID context) {
    DDPIXELFORMAT* wanted = static_cast<DDPIXELFORMAT*>(context);
    if (wanted->dwSize == 0 || format->dwZBufferBitDepth == 32) *wanted = *format;
    return D3DENUMRET_OK;
}

HRESULT CALLBACK KeepFirstFormat(LPDDPIXELFORMAT format, LPVOID context) {
    *static_cast<DDPIXELFORMAT*>(context) = *format;
    return D3DENUMRET_CANCEL;
}

}  // namespace

void DeviceTest::SetUp() {
    if (AvailabilityOf(record()) == DeviceAvailability::Missing)
        GTEST_SKIP() << record().name << " cannot run on this machine";
    platform::UseVirtualDisplay(kSize, kSize, [this](const platform::FrameImage& frame) {
        presented.assign(size_t(kSize) * kSize, 0);
        for (DWORD y = 0; y < kSize; ++y)
            std::memcpy(&presented[y * kSize], static_cast<const uint8_t*>(frame.pixels) + y * frame.pitch, kSize * 4);
        for (DWORD& pixel : presented) pixel &= 0xFFFFFF;
    });
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(kSize, kSize, 32, 0, 0), DD_OK);
    DDSURFACEDESC2 chain{};
    chain.dwSize = sizeof chain;
    chain.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    chain.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    chain.dwBackBufferCount = 1;
    ASSERT_EQ(directDraw->CreateSurface(&chain, &primary, nullptr), DD_OK);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &backBuffer), DD_OK);
    ASSERT_EQ(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)), DD_OK);

    // The show's order: the device first, then the z-buffer, taken up by SetRenderTarget.
    ASSERT_EQ(direct3D->CreateDevice(*record().guid, backBuffer, &device), D3D_OK) << record().name;
    DDPIXELFORMAT depth{};
    ASSERT_EQ(direct3D->EnumZBufferFormats(*record().guid, KeepFormatOfDepth, &depth), D3D_OK);
    ASSERT_NE(depth.dwSize, 0u) << record().name << " offers no z-buffer";
    zBuffer = CreateSurface(kSize, kSize, DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY, &depth);
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

std::vector<ScreenVertex> DeviceTest::ScreenQuad(float x0, float y0, float x1, float y1, DWORD colour, float z) {
    const ScreenVertex a{x0, y0, z, 1, colour, 0, 0, 0}, b{x1, y0, z, 1, colour, 0, 1, 0};
    const ScreenVertex c{x1, y1, z, 1, colour, 0, 1, 1}, d{x0, y1, z, 1, colour, 0, 0, 1};
    return {a, b, c, a, c, d};
}

std::vector<MeshVertex> DeviceTest::MeshQuad(float z) {
    const MeshVertex a{-1, 1, z, 0, 0, -1, 0, 0}, b{1, 1, z, 0, 0, -1, 1, 0};
    const MeshVertex c{1, -1, z, 0, 0, -1, 1, 1}, d{-1, -1, z, 0, 0, -1, 0, 1};
    return {a, b, c, a, c, d};
}

HRESULT DeviceTest::Draw(const std::vector<ScreenVertex>& vertices) {
    return device->DrawPrimitive(D3DPT_TRIANGLELIST, kScreenFormat, const_cast<ScreenVertex*>(vertices.data()),
                                 static_cast<DWORD>(vertices.size()), 0);
}

HRESULT DeviceTest::Draw(const std::vector<MeshVertex>& vertices) {
    return device->DrawPrimitive(D3DPT_TRIANGLELIST, kMeshFormat, const_cast<MeshVertex*>(vertices.data()),
                                 static_cast<DWORD>(vertices.size()), 0);
}

void DeviceTest::Present() {
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    // A picture a device reads back meanwhile reaches the display at the latest when the front
    // is read.
    MemoryOf(primary);
}

std::vector<DWORD> DeviceTest::MemoryOf(IDirectDrawSurface7* surface) {
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof locked;
    std::vector<DWORD> picture;
    EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr), DD_OK);
    if (locked.lpSurface == nullptr) return picture;
    for (DWORD y = 0; y < kSize; ++y)
        for (DWORD x = 0; x < kSize; ++x)
            picture.push_back(static_cast<const DWORD*>(locked.lpSurface)[y * locked.lPitch / 4 + x] & 0xFFFFFF);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    return picture;
}

DWORD DeviceTest::Presented(int x, int y) const { return presented.at(size_t(y) * kSize + x); }

void DeviceTest::ExpectPresented(int x, int y, DWORD colour) const {
    const DWORD actual = Presented(x, y);
    const int tolerance = ToleranceOf(record()).colour;
    for (int shift = 0; shift < 24; shift += 8) {
        const int difference = int((actual >> shift) & 255) - int((colour >> shift) & 255);
        if (std::abs(difference) > tolerance) {
            ADD_FAILURE() << "pixel " << x << "," << y << " is 0x" << std::hex << actual << ", not 0x" << colour;
            return;
        }
    }
}

IDirectDrawSurface7* DeviceTest::CreateSurface(DWORD width, DWORD height, DWORD caps, const DDPIXELFORMAT* format) {
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
    description.dwWidth = width;
    description.dwHeight = height;
    description.ddsCaps.dwCaps = caps;
    if (format) description.ddpfPixelFormat = *format;
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DD_OK);
    return surface;
}

DDPIXELFORMAT DeviceTest::TextureFormat() {
    DDPIXELFORMAT format{};
    EXPECT_EQ(device->EnumTextureFormats(KeepFirstFormat, &format), D3D_OK);
    return format;
}
