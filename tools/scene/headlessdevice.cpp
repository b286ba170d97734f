#include "headlessdevice.h"

#include <cstdio>
#include <cstring>

#include "platform/virtualdisplay.h"

namespace {

constexpr DWORD TargetWidth = 64;
constexpr DWORD TargetHeight = 64;

HRESULT CALLBACK TakeFirstDevice(LPSTR, LPSTR, LPD3DDEVICEDESC7 description, LPVOID context) {
    *static_cast<GUID*>(context) = description->deviceGUID;
    return D3DENUMRET_CANCEL;
}

int Fail(RenderDevice& renderDevice, const char* what, HRESULT result) {
    fprintf(stderr, "heliotropic-scene: %s (hr=%08lx)\n", what, static_cast<unsigned long>(result));
    CloseHeadlessDevice(renderDevice);
    return 0;
}

}  // namespace

int OpenHeadlessDevice(RenderDevice& renderDevice) {
    memset(&renderDevice, 0, sizeof renderDevice);
    platform::UseVirtualDisplay(TargetWidth, TargetHeight, [](const platform::FrameImage&) {});

    HRESULT result = DirectDrawCreateEx(nullptr, reinterpret_cast<LPVOID*>(&renderDevice.directDraw), IID_IDirectDraw7,
                                        nullptr);
    if (FAILED(result)) return Fail(renderDevice, "cannot open DirectDraw", result);
    result = renderDevice.directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<LPVOID*>(&renderDevice.direct3D));
    if (FAILED(result)) return Fail(renderDevice, "cannot open Direct3D", result);

    DDSURFACEDESC2 description;
    memset(&description, 0, sizeof description);
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    description.dwWidth = TargetWidth;
    description.dwHeight = TargetHeight;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    result = renderDevice.directDraw->CreateSurface(&description, &renderDevice.backBuffer, nullptr);
    if (FAILED(result)) return Fail(renderDevice, "cannot create a render target", result);

    GUID deviceGuid;
    memset(&deviceGuid, 0, sizeof deviceGuid);
    renderDevice.direct3D->EnumDevices(TakeFirstDevice, &deviceGuid);
    result = renderDevice.direct3D->CreateDevice(deviceGuid, renderDevice.backBuffer, &renderDevice.device);
    if (FAILED(result)) return Fail(renderDevice, "cannot create a Direct3D device", result);
    return 1;
}

void CloseHeadlessDevice(RenderDevice& renderDevice) {
    if (renderDevice.device) renderDevice.device->Release();
    if (renderDevice.backBuffer) renderDevice.backBuffer->Release();
    if (renderDevice.direct3D) renderDevice.direct3D->Release();
    if (renderDevice.directDraw) renderDevice.directDraw->Release();
    memset(&renderDevice, 0, sizeof renderDevice);
}
