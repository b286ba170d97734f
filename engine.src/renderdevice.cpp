#include "renderdevice.h"

#include <bass.h>

#include <cstring>

#include "d3denum.h"
#include "frametimer.h"
#include "setupchoices.h"

RenderDevice renderDevice;

namespace {

int Fail(HWND window, const char* message) {
    MessageBoxA(window, message, "ERROR!!!", MB_OK);
    return 0;
}

bool SameGuid(const GUID& a, const GUID& b) { return memcmp(&a, &b, sizeof(GUID)) == 0; }

// Stops at the first z-buffer format as deep as the wanted one, copying it over the request.
HRESULT CALLBACK FindZBufferFormat(LPDDPIXELFORMAT format, LPVOID context) {
    DDPIXELFORMAT* wanted = static_cast<DDPIXELFORMAT*>(context);
    if (format->dwZBufferBitDepth == wanted->dwZBufferBitDepth) {
        memcpy(wanted, format, sizeof(DDPIXELFORMAT));
        return D3DENUMRET_CANCEL;
    }
    return D3DENUMRET_OK;
}

int CreateFlipChain(RenderDevice& render) {
    DDSURFACEDESC2 description;
    memset(&description, 0, sizeof description);
    description.dwSize = SurfaceDescriptionSize;
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    description.dwBackBufferCount = 1;
    HRESULT result = render.directDraw->CreateSurface(&description, &render.primary, nullptr);
    if (FAILED(result)) {
        Fail(render.window, "Can't create primary surface");
        if (result == DDERR_OUTOFVIDEOMEMORY) Fail(render.window, "Out of video memory");
        return 0;
    }
    DDSCAPS2 backBufferCaps = {DDSCAPS_BACKBUFFER, 0, 0, 0};
    if (FAILED(render.primary->GetAttachedSurface(&backBufferCaps, &render.backBuffer)))
        return Fail(render.window, "Can't get the backbuffer");
    render.backBuffer->AddRef();
    return 1;
}

int AttachZBuffer(RenderDevice& render, const GUID& deviceGuid) {
    D3DDEVICEDESC7 caps;
    memset(&caps, 0, sizeof caps);
    render.device->GetCaps(&caps);
    if (caps.dpcTriCaps.dwRasterCaps & D3DPRASTERCAPS_ZBUFFERLESSHSR) return 1;

    DDSURFACEDESC2 description;
    memset(&description, 0, sizeof description);
    description.dwSize = SurfaceDescriptionSize;
    render.backBuffer->GetSurfaceDesc(&description);
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = render.memoryCaps | DDSCAPS_ZBUFFER;

    // The request carries the back buffer's depth; a size of 0 says nothing was found yet.
    DDPIXELFORMAT& format = description.ddpfPixelFormat;
    format.dwSize = 0;
    render.direct3D->EnumZBufferFormats(deviceGuid, FindZBufferFormat, &format);
    if (format.dwSize == 0) {
        format.dwZBufferBitDepth = 16;
        render.direct3D->EnumZBufferFormats(deviceGuid, FindZBufferFormat, &format);
        if (format.dwSize == 0) return Fail(render.window, "Device doesn't support requested zbuffer format");
    }
    if (FAILED(render.directDraw->CreateSurface(&description, &render.zBuffer, nullptr)))
        return Fail(render.window, "Couldn't create a ZBuffer surface");
    if (FAILED(render.backBuffer->AddAttachedSurface(render.zBuffer)))
        return Fail(render.window, "Couldn't attach zbuffer to render surface");
    if (FAILED(render.device->SetRenderTarget(render.backBuffer, 0)))
        return Fail(render.window, "SetRenderTarget() failed after attaching zbuffer");
    return 1;
}

template <typename Interface>
void ReleaseInterface(Interface*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

}  // namespace

int RenderDevice::Create(HWND mainWindow) {
    window = mainWindow;
    DeviceEntry* list = nullptr;
    DWORD count = 0;
    GetDeviceList(&list, &count);
    // The dialog only offers what the enumeration found; anything else is refused, not read.
    if (setupChoices.deviceIndex < 0 || static_cast<DWORD>(setupChoices.deviceIndex) >= count ||
        setupChoices.modeIndex < 0 || static_cast<DWORD>(setupChoices.modeIndex) >= list[setupChoices.deviceIndex].modeCount)
        return Fail(window, "The chosen device or display mode is not available");
    DeviceEntry& entry = list[setupChoices.deviceIndex];
    const DDSURFACEDESC2& mode = entry.modes[setupChoices.modeIndex];

    memoryCaps = SameGuid(entry.deviceGuid, IID_IDirect3DHALDevice) || SameGuid(entry.deviceGuid, IID_IDirect3DTnLHalDevice)
                     ? DDSCAPS_VIDEOMEMORY
                     : DDSCAPS_SYSTEMMEMORY;

    if (FAILED(DirectDrawCreateEx(entry.driverGuidPointer, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr)))
        return Fail(window, "Cannot create IDirectDraw7");
    if (FAILED(directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)))
        return Fail(window, "Cannot set cooperative level");

    setupChoices.screenWidth = static_cast<int>(mode.dwWidth);
    setupChoices.screenHeight = static_cast<int>(mode.dwHeight);
    setupChoices.screenBits = static_cast<int>(mode.ddpfPixelFormat.dwRGBBitCount);
    if (FAILED(directDraw->SetDisplayMode(mode.dwWidth, mode.dwHeight, mode.ddpfPixelFormat.dwRGBBitCount,
                                          mode.dwRefreshRate, 0)))
        return Fail(window, "Cannot set display mode");

    if (!CreateFlipChain(*this)) return 0;
    if (FAILED(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D))))
        return Fail(window, "Couldn't get the Direct3D interface");
    if (FAILED(direct3D->CreateDevice(entry.deviceGuid, backBuffer, &device)))
        return Fail(window, "Couldn't create the D3DDevice");

    D3DVIEWPORT7 viewport = {0, 0, mode.dwWidth, mode.dwHeight, 0.0f, 1.0f};
    if (FAILED(device->SetViewport(&viewport))) return Fail(window, "Cannot create Viewport");
    return AttachZBuffer(*this, entry.deviceGuid);
}

int RenderDevice::ReadTextureLimits() {
    D3DDEVICEDESC7 caps;
    memset(&caps, 0, sizeof caps);
    if (!device || FAILED(device->GetCaps(&caps))) return 0;
    maxTextureWidth = caps.dwMaxTextureWidth;
    maxTextureHeight = caps.dwMaxTextureHeight;
    smallTextures = (maxTextureWidth > 256 && maxTextureHeight > 256) ? 0 : 1;
    return 1;
}

HRESULT RenderDevice::Clear(DWORD flags, D3DCOLOR colour) {
    if (!device) return DDERR_INVALIDOBJECT;
    return device->Clear(0, nullptr, flags, colour, 1.0f, 0);
}

int RenderDevice::Present() {
    if (!primary) return 0;
    return primary->Flip(nullptr, DDFLIP_WAIT) == DD_OK ? 1 : 0;
}

int RenderDevice::Destroy() {
    if (directDraw) directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
    if (device) {
        if (device->Release() > 0) Fail(window, "D3DDevice object is still referenced");
        device = nullptr;
    }
    ReleaseInterface(backBuffer);
    ReleaseInterface(zBuffer);
    ReleaseInterface(primary);
    ReleaseInterface(direct3D);
    ReleaseInterface(directDraw);
    FrameTimer(TimerPause);
    BASS_Free();
    return 1;
}
