// Every device of the device table, reached as a Direct3D 7 program reaches it: a 32-bit flip
// chain on a virtual display, a z-buffer attached to the back buffer, the device created by its
// GUID. Pictures are read where the program's user sees them, as Flip presents them.
#pragma once

#include <gtest/gtest.h>

#include <d3d.h>

#include <string>
#include <vector>

#include "ddraw/devicedriver.h"

// How far a device may round away from the exact result. Software devices are exact; a
// hardware rasteriser rounds colours its own way. A new record joins with its kind's tolerance.
struct Tolerance {
    int colour;  // per 8-bit channel
};
Tolerance ToleranceOf(const DeviceDriverRecord& record);

// Vertex of format 0x1C4: screen position, diffuse and specular colours, one texture co-ordinate.
struct ScreenVertex {
    float x, y, z, rhw;
    DWORD diffuse, specular;
    float u, v;
};
constexpr DWORD kScreenFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

// Vertex of format 0x112: position, normal, one texture co-ordinate.
struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
constexpr DWORD kMeshFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

class DeviceTest : public ::testing::TestWithParam<const DeviceDriverRecord*> {
protected:
    static constexpr DWORD kSize = 32;

    void SetUp() override;
    void TearDown() override;

    // Two screen triangles covering x0..x1, y0..y1 at depth z.
    static std::vector<ScreenVertex> ScreenQuad(float x0, float y0, float x1, float y1, DWORD colour, float z = 0.5f);
    // Two triangles covering -1..1 in x and y at z, facing -z, for the identity transforms.
    static std::vector<MeshVertex> MeshQuad(float z);
    HRESULT Draw(const std::vector<ScreenVertex>& vertices);
    HRESULT Draw(const std::vector<MeshVertex>& vertices);

    // Flips and keeps the presented picture; the next frame draws into the other buffer.
    void Present();
    // A flip chain surface's memory as a program locking it reads it, 0x00RRGGBB row by row.
    std::vector<DWORD> MemoryOf(IDirectDrawSurface7* surface);
    // 0x00RRGGBB of the last presented picture.
    DWORD Presented(int x, int y) const;
    // Checks a presented pixel against a colour within the device's tolerance.
    void ExpectPresented(int x, int y, DWORD colour) const;

    // A surface with the caps given, in the format given (the mode's when null).
    IDirectDrawSurface7* CreateSurface(DWORD width, DWORD height, DWORD caps, const DDPIXELFORMAT* format);
    // The device's first texture format, as the show picks it.
    DDPIXELFORMAT TextureFormat();

    const DeviceDriverRecord& record() const { return *GetParam(); }

    IDirectDraw7* directDraw = nullptr;
    IDirect3D7* direct3D = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* backBuffer = nullptr;
    IDirectDrawSurface7* zBuffer = nullptr;
    IDirect3DDevice7* device = nullptr;
    std::vector<DWORD> presented;  // kSize x kSize, 0x00RRGGBB
};

std::vector<const DeviceDriverRecord*> TableDevices();
std::string DeviceTestName(const ::testing::TestParamInfo<const DeviceDriverRecord*>& info);

#define INSTANTIATE_FOR_EVERY_DEVICE(suite) \
    INSTANTIATE_TEST_SUITE_P(EveryDevice, suite, ::testing::ValuesIn(TableDevices()), DeviceTestName)
