// The DirectDraw core on a virtual display: drivers and modes, the flip chain and what Flip
// presents, locking, stretching and overlapping blits, z-buffers, reference counts and refused
// requests.
#include "fixture.h"

#include "displaymodes.h"
#include "pixelformats.h"

#include <algorithm>
#include <cstring>

namespace {

// Pixel (x, y) of a locked 16- or 32-bit surface.
uint32_t PixelAt(const DDSURFACEDESC2& locked, DWORD x, DWORD y) {
    const uint8_t* row = static_cast<const uint8_t*>(locked.lpSurface) + y * locked.lPitch;
    if (locked.ddpfPixelFormat.dwRGBBitCount == 16) return reinterpret_cast<const uint16_t*>(row)[x];
    return reinterpret_cast<const uint32_t*>(row)[x];
}
void SetPixel(const DDSURFACEDESC2& locked, DWORD x, DWORD y, uint32_t value) {
    uint8_t* row = static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch;
    if (locked.ddpfPixelFormat.dwRGBBitCount == 16)
        reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(value);
    else
        reinterpret_cast<uint32_t*>(row)[x] = value;
}
DDSURFACEDESC2 LockWhole(IDirectDrawSurface7* surface) {
    DDSURFACEDESC2 locked = {};
    locked.dwSize = 124;
    EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    return locked;
}

BOOL WINAPI CountDriver(GUID* guid, LPSTR description, LPSTR, LPVOID context, HMONITOR) {
    EXPECT_EQ(guid, nullptr);
    EXPECT_STRNE(description, "");
    ++*static_cast<int*>(context);
    return TRUE;
}

TEST(Drivers, OnePrimaryDriverWithoutGuid) {
    int drivers = 0;
    EXPECT_EQ(DirectDrawEnumerateExA(CountDriver, &drivers, 7), DD_OK);
    EXPECT_EQ(drivers, 1);
    platform::UseVirtualDisplay(320, 240, nullptr);
    void* directDraw = &drivers;
    GUID secondary = {1, 2, 3, {}};
    EXPECT_TRUE(FAILED(DirectDrawCreateEx(&secondary, &directDraw, IID_IDirectDraw7, nullptr)));
    EXPECT_EQ(directDraw, nullptr);
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &directDraw, IID_IDirect3D7, nullptr), E_NOINTERFACE);
}

std::vector<std::string> Sizes(const std::vector<ddraw::Mode>& modes) {
    std::vector<std::string> sizes;
    for (const ddraw::Mode& m : modes)
        sizes.push_back(std::to_string(m.width) + "x" + std::to_string(m.height) + "x" + std::to_string(m.bitCount));
    return sizes;
}

TEST(DisplayModes, ClassicSizesThatFitTheDesktopJoinTheReportedOnes) {
    const std::vector<ddraw::Mode> modes = ddraw::OfferedModes({{1024, 768, 60}, {1152, 864, 75}}, {1280, 1024, 60});
    EXPECT_EQ(Sizes(modes), (std::vector<std::string>{"640x480x16", "640x480x32", "800x600x16", "800x600x32",
                                                      "1024x768x16", "1024x768x32", "1152x864x16", "1152x864x32",
                                                      "1280x720x16", "1280x720x32", "1280x1024x16", "1280x1024x32"}));
    for (const ddraw::Mode& mode : modes) EXPECT_EQ(mode.refreshRate, 60u) << "the desktop's real rate is kept";
}

TEST(DisplayModes, ASmallVirtualDisplayOffersItsOwnSize) {
    EXPECT_EQ(Sizes(ddraw::OfferedModes({{320, 240, 60}}, {320, 240, 60})),
              (std::vector<std::string>{"320x240x16", "320x240x32"}));
}

HRESULT WINAPI CollectMode(LPDDSURFACEDESC2 mode, LPVOID context) {
    static_cast<std::vector<DDSURFACEDESC2>*>(context)->push_back(*mode);
    return DDENUMRET_OK;
}

TEST_F(DirectDrawTest, TheVirtualDisplaysSizeIsAModeAndModesNeedExclusiveCooperation) {
    std::vector<DDSURFACEDESC2> modes;
    ASSERT_EQ(directDraw->EnumDisplayModes(0, nullptr, &modes, CollectMode), DD_OK);
    bool ownSize = false;
    for (const DDSURFACEDESC2& mode : modes) {
        EXPECT_LE(mode.dwWidth, 1024u);
        ownSize |= mode.dwWidth == 1024 && mode.dwHeight == 768 && mode.ddpfPixelFormat.dwRGBBitCount == 32;
    }
    EXPECT_TRUE(ownSize);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    ASSERT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 8, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(directDraw->SetDisplayMode(1280, 1024, 32, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 32, 0, 0), DD_OK);
}

TEST_F(DirectDrawTest, TheFlipChainIsInTheModesSizeAndFormat) {
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(800, 600, 16));
    DDSURFACEDESC2 description = {};
    description.dwSize = 124;
    ASSERT_EQ(backBuffer->GetSurfaceDesc(&description), DD_OK);
    EXPECT_EQ(description.dwWidth, 800u);
    EXPECT_EQ(description.dwHeight, 600u);
    EXPECT_TRUE(ddraw::SameFormat(description.ddpfPixelFormat, ddraw::RgbFormat(16)));
    EXPECT_TRUE(description.ddsCaps.dwCaps & DDSCAPS_3DDEVICE);
    EXPECT_GE(description.lPitch, 1600);

    backBuffer->Release();
    primary->Release();
    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 32, 0, 0), DD_OK);
    DDSURFACEDESC2 chain = {};
    chain.dwSize = sizeof chain;
    chain.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    chain.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    chain.dwBackBufferCount = 1;
    ASSERT_EQ(directDraw->CreateSurface(&chain, &primary, nullptr), DD_OK);
    DDPIXELFORMAT format = {};
    DDSCAPS2 caps = {DDSCAPS_BACKBUFFER, 0, 0, 0};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &backBuffer), DD_OK);
    ASSERT_EQ(backBuffer->GetPixelFormat(&format), DD_OK);
    EXPECT_TRUE(ddraw::SameFormat(format, ddraw::RgbFormat(32)));
}

TEST_F(DirectDrawTest, FlipPresentsTheBackBufferAndSwaps) {
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(640, 480, 16));
    DDSURFACEDESC2 locked = LockWhole(backBuffer);
    SetPixel(locked, 0, 0, 0xF800);
    backBuffer->Unlock(nullptr);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(presented[0].width, 640u);
    EXPECT_EQ(presented[0].height, 480u);
    EXPECT_EQ(presentedFirstPixels[0], 0xF800u);
    // The device now draws into what was the front: the red pixel is not there.
    locked = LockWhole(backBuffer);
    EXPECT_EQ(PixelAt(locked, 0, 0), 0u);
    SetPixel(locked, 0, 0, 0x001F);
    backBuffer->Unlock(nullptr);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(presentedFirstPixels[1], 0x001Fu);
    EXPECT_EQ(SurfaceMemoryOf(backBuffer)->pixels, LockWhole(backBuffer).lpSurface);
    backBuffer->Unlock(nullptr);

    EXPECT_EQ(backBuffer->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    LockWhole(backBuffer);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
    backBuffer->Unlock(nullptr);
    directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(presented.size(), 2u);
}

TEST_F(DirectDrawTest, LockGivesTheMemoryOnceAndOnlyForRectanglesInsideTheSurface) {
    IDirectDrawSurface7* surface = CreatePlain(10, 4, DDSCAPS_OFFSCREENPLAIN, nullptr);
    ASSERT_NE(surface, nullptr);
    const DDSURFACEDESC2 whole = LockWhole(surface);
    EXPECT_EQ(whole.dwWidth, 10u);
    EXPECT_GE(whole.lPitch, 10 * 4);
    DDSURFACEDESC2 again = {};
    again.dwSize = 124;
    again.lpSurface = &again;
    EXPECT_EQ(surface->Lock(nullptr, &again, 0, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(again.lpSurface, nullptr) << "a failed lock hands back no memory";
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);

    // Empty rectangles lock too, at their corner.
    for (RECT part : {RECT{2, 1, 5, 3}, RECT{3, 1, 3, 4}, RECT{2, 2, 5, 2}}) {
        ASSERT_EQ(surface->Lock(&part, &again, 0, nullptr), DD_OK);
        EXPECT_EQ(static_cast<uint8_t*>(again.lpSurface),
                  static_cast<uint8_t*>(whole.lpSurface) + part.top * whole.lPitch + part.left * 4);
        surface->Unlock(nullptr);
    }
    for (RECT bad : {RECT{0, 0, 11, 4}, RECT{-1, 0, 2, 2}, RECT{0, 0, 2, 5}, RECT{5, 1, 2, 3}, RECT{2, 3, 5, 1}}) {
        again.lpSurface = &again;
        EXPECT_EQ(surface->Lock(&bad, &again, 0, nullptr), DDERR_INVALIDPARAMS);
        EXPECT_EQ(again.lpSurface, nullptr);
    }
    again.dwSize = 12;
    again.lpSurface = &again;
    EXPECT_EQ(surface->Lock(nullptr, &again, 0, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(again.lpSurface, &again) << "a record of unknown size is not written to";
    EXPECT_EQ(surface->Lock(nullptr, nullptr, 0, nullptr), DDERR_INVALIDPARAMS);
    surface->Release();
}

TEST_F(DirectDrawTest, EveryChangeOfTheirPixelsGivesSurfacesAStampNoSurfaceHadBefore) {
    // Devices keep what they found from a surface's pixels under its stamp; one made where
    // another was freed must not look like it.
    std::vector<uint32_t> seen;
    auto isNew = [&](IDirectDrawSurface7* surface) {
        const uint32_t stamp = SurfaceMemoryOf(surface)->changes;
        const bool unseen = std::find(seen.begin(), seen.end(), stamp) == seen.end();
        seen.push_back(stamp);
        return unseen;
    };
    IDirectDrawSurface7* source = CreatePlain(4, 4, DDSCAPS_TEXTURE, nullptr);
    IDirectDrawSurface7* texture = CreatePlain(4, 4, DDSCAPS_TEXTURE, nullptr);
    ASSERT_TRUE(source && texture);
    EXPECT_TRUE(isNew(source));
    EXPECT_TRUE(isNew(texture));
    LockWhole(texture);
    texture->Unlock(nullptr);
    EXPECT_TRUE(isNew(texture));
    DDSURFACEDESC2 locked = {};
    locked.dwSize = 124;
    ASSERT_EQ(texture->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr), DD_OK);
    texture->Unlock(nullptr);
    EXPECT_FALSE(isNew(texture)) << "reading changes nothing";
    ASSERT_EQ(texture->Blt(nullptr, source, nullptr, 0, nullptr), DD_OK);
    EXPECT_TRUE(isNew(texture));
    texture->Release();
    IDirectDrawSurface7* again = CreatePlain(4, 4, DDSCAPS_TEXTURE, nullptr);
    EXPECT_TRUE(isNew(again));
    again->Release();
    source->Release();
}

TEST_F(DirectDrawTest, BltStretchesTheWholeSourceOverTheWholeDestination) {
    const DDPIXELFORMAT format = ddraw::RgbFormat(16);
    IDirectDrawSurface7* source = CreatePlain(2, 1, DDSCAPS_OFFSCREENPLAIN, &format);
    IDirectDrawSurface7* texture = CreatePlain(4, 2, DDSCAPS_TEXTURE, &format);
    DDSURFACEDESC2 locked = LockWhole(source);
    SetPixel(locked, 0, 0, 0x1111);
    SetPixel(locked, 1, 0, 0x2222);
    source->Unlock(nullptr);
    ASSERT_EQ(texture->Blt(nullptr, source, nullptr, 0, nullptr), DD_OK);
    locked = LockWhole(texture);
    for (DWORD y = 0; y < 2; ++y)
        for (DWORD x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(locked, x, y), x < 2 ? 0x1111u : 0x2222u) << x << "," << y;
    texture->Unlock(nullptr);

    // A 200 x 100 picture fills a 256 x 128 texture to its last row and column.
    IDirectDrawSurface7* picture = CreatePlain(200, 100, DDSCAPS_OFFSCREENPLAIN, &format);
    IDirectDrawSurface7* large = CreatePlain(256, 128, DDSCAPS_TEXTURE, &format);
    locked = LockWhole(picture);
    for (DWORD y = 0; y < 100; ++y)
        for (DWORD x = 0; x < 200; ++x) SetPixel(locked, x, y, 0x8000 | (x == 199 ? 1 : 0) | (y == 99 ? 2 : 0));
    picture->Unlock(nullptr);
    ASSERT_EQ(large->Blt(nullptr, picture, nullptr, 0, nullptr), DD_OK);
    locked = LockWhole(large);
    EXPECT_EQ(PixelAt(locked, 0, 0), 0x8000u);
    EXPECT_EQ(PixelAt(locked, 255, 0), 0x8001u);
    EXPECT_EQ(PixelAt(locked, 0, 127), 0x8002u);
    EXPECT_EQ(PixelAt(locked, 255, 127), 0x8003u);
    EXPECT_EQ(large->Blt(nullptr, picture, nullptr, 0, nullptr), DDERR_SURFACEBUSY);
    large->Unlock(nullptr);

    const DDPIXELFORMAT wide = ddraw::RgbFormat(32);
    IDirectDrawSurface7* other = CreatePlain(4, 2, DDSCAPS_TEXTURE, &wide);
    EXPECT_EQ(other->Blt(nullptr, source, nullptr, 0, nullptr), DDERR_INVALIDPIXELFORMAT);
    EXPECT_EQ(other->Blt(nullptr, nullptr, nullptr, 0, nullptr), DDERR_INVALIDPARAMS);
    for (IDirectDrawSurface7* surface : {source, texture, picture, large, other}) surface->Release();
}

TEST_F(DirectDrawTest, BltShrinksByDroppingPixelsReadsOverlapsAsTheyWereAndRefusesBadRectangles) {
    const DDPIXELFORMAT format = ddraw::RgbFormat(16);
    IDirectDrawSurface7* surface = CreatePlain(8, 2, DDSCAPS_OFFSCREENPLAIN, &format);
    IDirectDrawSurface7* half = CreatePlain(4, 1, DDSCAPS_OFFSCREENPLAIN, &format);
    DDSURFACEDESC2 locked = LockWhole(surface);
    for (DWORD x = 0; x < 8; ++x) {
        SetPixel(locked, x, 0, x + 1);
        SetPixel(locked, x, 1, 0x100);
    }
    surface->Unlock(nullptr);
    RECT from = {0, 0, 6, 1}, to = {2, 0, 8, 1};
    ASSERT_EQ(surface->Blt(&to, surface, &from, DDBLT_WAIT, nullptr), DD_OK);
    ASSERT_EQ(half->Blt(nullptr, surface, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    locked = LockWhole(surface);
    const uint32_t shifted[8] = {1, 2, 1, 2, 3, 4, 5, 6};
    for (DWORD x = 0; x < 8; ++x) EXPECT_EQ(PixelAt(locked, x, 0), shifted[x]) << x;
    surface->Unlock(nullptr);
    // Destination pixel x takes source pixel 2x, row 0 of the two.
    locked = LockWhole(half);
    for (DWORD x = 0; x < 4; ++x) EXPECT_EQ(PixelAt(locked, x, 0), shifted[2 * x]) << x;
    half->Unlock(nullptr);

    for (RECT bad : {RECT{6, 0, 0, 1}, RECT{0, 2, 6, 0}, RECT{0, 0, 9, 1}, RECT{-1, 0, 2, 1}, RECT{2, 0, 2, 1}}) {
        EXPECT_EQ(half->Blt(nullptr, surface, &bad, 0, nullptr), DDERR_INVALIDRECT);
        EXPECT_EQ(surface->Blt(&bad, half, nullptr, 0, nullptr), DDERR_INVALIDRECT);
    }
    surface->Release();
    half->Release();
}

TEST_F(DirectDrawTest, AZBufferAttachesToTheBackBufferOnce) {
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(640, 480, 16));
    DDPIXELFORMAT depth = {};
    depth.dwSize = sizeof depth;
    depth.dwFlags = DDPF_ZBUFFER;
    depth.dwZBufferBitDepth = 16;
    depth.dwZBitMask = 0xFFFF;
    IDirectDrawSurface7* zBuffer = CreatePlain(640, 480, DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY, &depth);
    IDirectDrawSurface7* small = CreatePlain(32, 24, DDSCAPS_ZBUFFER, &depth);
    ASSERT_NE(zBuffer, nullptr);
    EXPECT_EQ(backBuffer->AddAttachedSurface(small), DDERR_INVALIDPARAMS);
    ASSERT_EQ(backBuffer->AddAttachedSurface(zBuffer), DD_OK);
    EXPECT_EQ(backBuffer->AddAttachedSurface(zBuffer), DDERR_GENERIC);
    EXPECT_EQ(AttachedZBufferOf(backBuffer), zBuffer);
    EXPECT_EQ(SurfaceMemoryOf(zBuffer)->format.dwZBufferBitDepth, 16u);
    EXPECT_EQ(zBuffer->Release(), 1u) << "the back buffer keeps its z-buffer";
    EXPECT_EQ(AttachedZBufferOf(primary), nullptr);
    small->Release();
    // A z-buffer needs a depth format, a colour surface a colour one.
    DDSURFACEDESC2 description = {};
    description.dwSize = 124;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    description.dwWidth = description.dwHeight = 8;
    description.ddsCaps.dwCaps = DDSCAPS_ZBUFFER;
    IDirectDrawSurface7* refused = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&description, &refused, nullptr), DDERR_INVALIDPIXELFORMAT);
    description.dwFlags |= DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    description.ddpfPixelFormat = depth;
    EXPECT_EQ(directDraw->CreateSurface(&description, &refused, nullptr), DDERR_INVALIDPIXELFORMAT);
    EXPECT_EQ(refused, nullptr);
}

TEST_F(DirectDrawTest, BadSurfaceRequestsAreRefused) {
    IDirectDrawSurface7* surface = reinterpret_cast<IDirectDrawSurface7*>(1);
    EXPECT_EQ(directDraw->CreateSurface(nullptr, &surface, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface, nullptr);
    DDSURFACEDESC2 description = {};
    description.dwSize = 124;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    description.dwWidth = 64;
    description.dwHeight = 64;
    description.ddpfPixelFormat = ddraw::RgbFormat(16);
    description.ddpfPixelFormat.dwRGBBitCount = 8;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DDERR_INVALIDPIXELFORMAT);
    description.ddpfPixelFormat = ddraw::RgbFormat(16);
    description.dwWidth = 0;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DDERR_INVALIDPARAMS);
    description.dwWidth = 1u << 30;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DDERR_INVALIDPARAMS);
    description.dwWidth = 64;
    description.dwSize = 100;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DDERR_INVALIDPARAMS);
    // A flip chain needs exclusive cooperation.
    description.dwSize = 124;
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    description.dwBackBufferCount = 1;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(surface, nullptr);
}

TEST_F(DirectDrawTest, ReferencesKeepObjectsAliveUntilTheLastRelease) {
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(640, 480, 32));
    // primary, back buffer and Direct3D all hold the DirectDraw object.
    directDraw->AddRef();
    EXPECT_GT(directDraw->Release(), 1u);
    IDirectDraw7* owner = nullptr;
    ASSERT_EQ(backBuffer->GetDDInterface(reinterpret_cast<void**>(&owner)), DD_OK);
    EXPECT_EQ(owner, directDraw);
    owner->Release();

    IDirectDrawSurface7* again = nullptr;
    DDSCAPS2 caps = {DDSCAPS_BACKBUFFER, 0, 0, 0};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &again), DD_OK);
    EXPECT_EQ(again, backBuffer);
    EXPECT_EQ(again->Release(), 2u);  // the chain's and the fixture's
    caps.dwCaps = DDSCAPS_ZBUFFER;
    EXPECT_EQ(primary->GetAttachedSurface(&caps, &again), DDERR_NOTFOUND);

    IUnknown* unknown = nullptr;
    ASSERT_EQ(backBuffer->QueryInterface(IID_IDirectDrawSurface7, reinterpret_cast<void**>(&unknown)), S_OK);
    unknown->Release();
    void* none = &caps;
    EXPECT_EQ(backBuffer->QueryInterface(IID_IDirect3D7, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    IDirectDraw7* fromDirect3D = nullptr;
    ASSERT_EQ(direct3D->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&fromDirect3D)), S_OK);
    EXPECT_EQ(fromDirect3D, directDraw);
    fromDirect3D->Release();
    // The fixture's teardown checks that the last release of the DirectDraw object returns 0.
}

TEST_F(DirectDrawTest, AFlipChainGoesWithItsFrontWhateverTheBackBufferStillCounts) {
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(640, 480, 16));
    // The render device keeps one reference more than it gives back, as it did on Windows.
    backBuffer->AddRef();
    backBuffer->Release();
    IDirectDrawSurface7* chain = primary;
    primary = nullptr;
    backBuffer = nullptr;
    EXPECT_EQ(chain->Release(), 0u);
    direct3D->Release();
    direct3D = nullptr;
    EXPECT_EQ(directDraw->Release(), 0u) << "the back buffer outlived its chain";
    directDraw = nullptr;
}

}  // namespace
