// A render target, z-buffer and textures made through DirectDraw, drawn into by one device of
// the device table through its COM interface: the same calls for the software and the OpenGL
// device, so their pictures can be compared.
#pragma once

#include <d3d.h>

#include <vector>

#include "canvas.h"
#include "ddraw/devicedriver.h"

class DeviceCanvas : public Canvas {
public:
    // bits and depth bits as Canvas takes them.
    DeviceCanvas(const DeviceDriverRecord& record, int width, int height, int bits = 32, int depthBits = 16);
    ~DeviceCanvas() override;
    DeviceCanvas(const DeviceCanvas&) = delete;
    DeviceCanvas& operator=(const DeviceCanvas&) = delete;

    bool Ready() const { return device != nullptr; }
    IDirect3DDevice7* operator->() const { return device; }

    HRESULT Clear(D3DCOLOR colour, float z);
    // One draw inside its own scene.
    HRESULT Draw(const std::vector<ScreenVertex>& vertices, IDirectDrawSurface7* texture = nullptr);
    HRESULT Draw(const std::vector<MeshVertex>& vertices, IDirectDrawSurface7* texture = nullptr);
    HRESULT Draw(DWORD format, const void* vertices, DWORD count, IDirectDrawSurface7* texture = nullptr);

    HRESULT SetState(DWORD state, DWORD value) override {
        return device->SetRenderState(D3DRENDERSTATETYPE(state), value);
    }
    HRESULT SetStageState(DWORD state, DWORD value) override {
        return device->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(state), value);
    }

    // A texture of the given layout holding 0x00RRGGBB texels, row by row; the canvas keeps it.
    IDirectDrawSurface7* Texture(int width, int height, int bits, const std::vector<uint32_t>& texels);

private:
    const uint8_t* Acquire(bool depth, long* pitch) override;
    void Release(bool depth) override;

    IDirectDraw7* directDraw = nullptr;
    IDirect3D7* direct3D = nullptr;
    IDirectDrawSurface7* target = nullptr;
    IDirectDrawSurface7* zBuffer = nullptr;
    IDirect3DDevice7* device = nullptr;
    std::vector<IDirectDrawSurface7*> textures;
};

// A surface of the given size, caps and pixel format (the display mode's when null).
IDirectDrawSurface7* CreateSurface(IDirectDraw7* directDraw, DWORD width, DWORD height, DWORD caps,
                                   const DDPIXELFORMAT* format);
