// A render target, z-buffer and textures made through DirectDraw, drawn into by one device of
// the device table through its COM interface: the same calls for the software and the OpenGL
// device, so their pictures can be compared.
#pragma once

#include <gtest/gtest.h>

#include <d3d.h>

#include <string>
#include <vector>

#include "devicefixture.h"

namespace devicetest {

class DeviceCanvas {
public:
    // bits 16 (5-6-5) or 32; depth bits 16 or 32, 0 for none.
    DeviceCanvas(const DeviceDriverRecord& record, int width, int height, int bits = 32, int depthBits = 16);
    ~DeviceCanvas();
    DeviceCanvas(const DeviceCanvas&) = delete;
    DeviceCanvas& operator=(const DeviceCanvas&) = delete;

    bool Ready() const { return device != nullptr; }
    IDirect3DDevice7* operator->() const { return device; }

    HRESULT Clear(D3DCOLOR colour, float z);
    // One draw inside its own scene.
    HRESULT Draw(const std::vector<ScreenVertex>& vertices, IDirectDrawSurface7* texture = nullptr);
    HRESULT Draw(const std::vector<MeshVertex>& vertices, IDirectDrawSurface7* texture = nullptr);
    HRESULT Draw(DWORD format, const void* vertices, DWORD count, IDirectDrawSurface7* texture = nullptr);

    // A texture of the given layout (16 for 5-6-5, 32) holding 0x00RRGGBB texels, row by row.
    IDirectDrawSurface7* Texture(int width, int height, int bits, const std::vector<uint32_t>& texels);

    int Width() const { return width; }
    int Height() const { return height; }
    // The picture and depth as they are in the surfaces' memory now.
    uint32_t Raw(int x, int y);
    uint32_t Rgb(int x, int y);  // 0x00RRGGBB of a 32-bit target
    uint32_t Depth(int x, int y);
    std::vector<uint32_t> Picture();  // every Raw pixel, row by row
    int Count(uint32_t rgb);

private:
    std::vector<uint8_t> Read(IDirectDrawSurface7* surface, LONG* pitch);

    int width, height, bits, depthBits;
    IDirectDraw7* directDraw = nullptr;
    IDirect3D7* direct3D = nullptr;
    IDirectDrawSurface7* target = nullptr;
    IDirectDrawSurface7* zBuffer = nullptr;
    IDirect3DDevice7* device = nullptr;
    std::vector<IDirectDrawSurface7*> textures;
};

// Two clockwise triangles covering x0..x1, y0..y1 in screen space.
std::vector<ScreenVertex> Quad(float x0, float y0, float x1, float y1, DWORD colour, float z = 0.5f, float u0 = 0.0f,
                           float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f);

D3DMATRIX Identity();

// Whether each channel of two 0x00RRGGBB colours is within tolerance levels.
bool Near(uint32_t a, uint32_t b, int tolerance);

}  // namespace devicetest
