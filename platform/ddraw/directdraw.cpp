#include "directdraw.h"

#include "com.h"
#include "direct3d.h"
#include "displaymodes.h"
#include "pixelformats.h"
#include "platform/display.h"
#include "surface.h"
#include "surfacelimits.h"

#include <cstring>
#include <new>

namespace ddraw {

namespace {
// The size of DDCAPS in a 32-bit Windows program, as the show fills it in.
constexpr DWORD Win32CapsSize = 380;

bool Matches(const DDSURFACEDESC2* filter, const Mode& mode) {
    if (filter == nullptr) return true;
    if ((filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != mode.width) return false;
    if ((filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != mode.height) return false;
    if ((filter->dwFlags & DDSD_PIXELFORMAT) && filter->ddpfPixelFormat.dwRGBBitCount != mode.bitCount) return false;
    if ((filter->dwFlags & DDSD_REFRESHRATE) && filter->dwRefreshRate != mode.refreshRate) return false;
    return true;
}
// Every layer hears of the new texture; the first name given is the surface's.
std::string NameForNewTexture() {
    std::string name;
    for (const DeviceLayerRecord* const* layer = deviceLayers; *layer != nullptr; ++layer) {
        std::string given = (*layer)->textureName();
        if (name.empty()) name.swap(given);
    }
    return name;
}
}  // namespace

DirectDraw::DirectDraw() : modes(OfferedModes(platform::ReportedModes(), platform::DesktopMode())) {}

DirectDraw::~DirectDraw() {
    if (exclusive) platform::LeaveFullScreen(window);
}

HRESULT DirectDraw::QueryInterface(REFIID riid, LPVOID* object) {
    if (object != nullptr && riid == IID_IDirect3D7) {
        *object = static_cast<IDirect3D7*>(new Direct3D(this));
        return S_OK;
    }
    return AnswerQuery<IDirectDraw7>(this, riid, IID_IDirectDraw7, object);
}

HRESULT DirectDraw::GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) {
    if (driverCaps == nullptr && emulationCaps == nullptr) return DDERR_INVALIDPARAMS;
    for (DDCAPS* caps : {driverCaps, emulationCaps}) {
        if (caps == nullptr) continue;
        if (caps->dwSize != Win32CapsSize && caps->dwSize != sizeof(DDCAPS)) return DDERR_INVALIDPARAMS;
    }
    // Nothing is accelerated: the driver has no hardware capabilities to report.
    for (DDCAPS* caps : {driverCaps, emulationCaps}) {
        if (caps == nullptr) continue;
        const DWORD size = caps->dwSize;
        std::memset(caps, 0, sizeof(DDCAPS));
        caps->dwSize = size;
    }
    return DD_OK;
}

HRESULT DirectDraw::EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context,
                                     LPDDENUMMODESCALLBACK2 callback) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    for (const Mode& mode : modes) {
        if (!Matches(filter, mode)) continue;
        DDSURFACEDESC2 description = {};
        description.dwSize = sizeof(DDSURFACEDESC2);
        description.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
        description.dwWidth = mode.width;
        description.dwHeight = mode.height;
        description.lPitch = static_cast<LONG>(mode.width * mode.bitCount / 8);
        description.dwRefreshRate = mode.refreshRate;
        description.ddpfPixelFormat = RgbFormat(mode.bitCount);
        if (callback(&description, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND newWindow, DWORD flags) {
    const bool wantsExclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    const bool wantsFullScreen = (flags & DDSCL_FULLSCREEN) != 0;
    const bool wantsNormal = (flags & DDSCL_NORMAL) != 0;
    if (wantsExclusive != wantsFullScreen || (wantsNormal && wantsExclusive) || (!wantsNormal && !wantsExclusive))
        return DDERR_INVALIDPARAMS;
    if (wantsExclusive) {
        if (exclusive && newWindow != window) platform::LeaveFullScreen(window);
        window = newWindow;
        exclusive = true;
        platform::EnterFullScreen(window);
    } else {
        if (exclusive) platform::LeaveFullScreen(window);
        exclusive = false;
        window = newWindow;
    }
    return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) {
    if (!exclusive) return DDERR_NOEXCLUSIVEMODE;
    for (const Mode& offered : modes) {
        if (offered.width == width && offered.height == height && offered.bitCount == bitsPerPixel &&
            (refreshRate == 0 || refreshRate == offered.refreshRate)) {
            mode = offered;
            platform::ShowDisplayMode(window, width, height);
            return DD_OK;
        }
    }
    return DDERR_INVALIDMODE;
}

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC2 description, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) {
    if (surface == nullptr) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (description == nullptr || !ValidDescriptionSize(description->dwSize) || outer != nullptr)
        return DDERR_INVALIDPARAMS;
    const DWORD caps = (description->dwFlags & DDSD_CAPS) ? description->ddsCaps.dwCaps : 0;
    if (caps & DDSCAPS_PRIMARYSURFACE) return CreateFlipChain(*description, surface);

    if ((description->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    const DWORD width = description->dwWidth, height = description->dwHeight;
    if (width == 0 || height == 0 || width > MaxSurfaceSide || height > MaxSurfaceSide) return DDERR_INVALIDPARAMS;

    DDPIXELFORMAT format;
    if (description->dwFlags & DDSD_PIXELFORMAT) {
        format = description->ddpfPixelFormat;
        format.dwSize = sizeof(DDPIXELFORMAT);
    } else if (caps & DDSCAPS_ZBUFFER) {
        return DDERR_INVALIDPIXELFORMAT;
    } else {
        format = RgbFormat(mode.width != 0 ? mode.bitCount : 32);
    }
    const bool depthFormat = (format.dwFlags & DDPF_ZBUFFER) != 0;
    if (depthFormat != ((caps & DDSCAPS_ZBUFFER) != 0) || BytesPerPixel(format) == 0) return DDERR_INVALIDPIXELFORMAT;

    Surface* created = new (std::nothrow) Surface(this, caps, width, height, format);
    if (created == nullptr || created->memory.pixels == nullptr) {
        if (created) created->Release();
        return DDERR_OUTOFMEMORY;
    }
    if (caps & DDSCAPS_TEXTURE) created->name = NameForNewTexture();
    *surface = created;
    return DD_OK;
}

HRESULT DirectDraw::CreateFlipChain(const DDSURFACEDESC2& description, LPDIRECTDRAWSURFACE7* surface) {
    const DWORD caps = description.ddsCaps.dwCaps;
    const bool flipping = (caps & DDSCAPS_FLIP) != 0;
    const DWORD backBuffers = (description.dwFlags & DDSD_BACKBUFFERCOUNT) ? description.dwBackBufferCount : 0;
    // One back buffer is all a flip chain here holds.
    if (flipping != (backBuffers != 0) || backBuffers > 1 || (flipping && !(caps & DDSCAPS_COMPLEX)))
        return DDERR_INVALIDPARAMS;
    if (flipping && !exclusive) return DDERR_NOEXCLUSIVEMODE;

    Mode shown = mode;
    if (shown.width == 0) {
        const platform::DisplayMode desktop = platform::DesktopMode();
        shown = Mode{desktop.width, desktop.height, 32, desktop.refreshRate};
    }
    if (shown.width == 0 || shown.height == 0) return DDERR_NODIRECTDRAWHW;
    const DDPIXELFORMAT format = RgbFormat(shown.bitCount);
    const DWORD sharedCaps = caps & (DDSCAPS_3DDEVICE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY);

    Surface* front = new (std::nothrow) Surface(this, caps | DDSCAPS_FRONTBUFFER, shown.width, shown.height, format);
    if (front == nullptr || front->memory.pixels == nullptr) {
        if (front) front->Release();
        return DDERR_OUTOFMEMORY;
    }
    if (flipping) {
        Surface* back = new (std::nothrow) Surface(this, sharedCaps | DDSCAPS_BACKBUFFER, shown.width, shown.height, format);
        if (back == nullptr || back->memory.pixels == nullptr) {
            if (back) back->Release();
            front->Release();
            return DDERR_OUTOFMEMORY;
        }
        front->AttachBackBuffer(back);
    }
    *surface = front;
    return DD_OK;
}

}  // namespace ddraw
