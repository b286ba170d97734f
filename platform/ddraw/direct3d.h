// The Direct3D 7 object of the display driver: the devices of the device table, their z-buffer
// formats, device creation and vertex buffers.
#pragma once

#include "com.h"
#include "devicedriver.h"

namespace ddraw {

class DirectDraw;

// The table's record for a device GUID, or null.
const DeviceDriverRecord* FindDeviceRecord(const GUID& deviceGuid);

class Direct3D final : public ReferenceCounted<IDirect3D7> {
public:
    explicit Direct3D(DirectDraw* owner);

    HRESULT QueryInterface(REFIID riid, LPVOID* object) override;

    HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, LPVOID context) override;
    HRESULT CreateDevice(REFCLSID deviceGuid, LPDIRECTDRAWSURFACE7 renderTarget, LPDIRECT3DDEVICE7* device) override;
    HRESULT CreateVertexBuffer(LPD3DVERTEXBUFFERDESC description, LPDIRECT3DVERTEXBUFFER7* vertexBuffer,
                               DWORD flags) override;
    HRESULT EnumZBufferFormats(REFCLSID deviceGuid, LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) override;

private:
    ~Direct3D() override;

    DirectDraw* owner;
};

}  // namespace ddraw
