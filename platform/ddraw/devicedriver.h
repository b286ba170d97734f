// What a Direct3D device backend offers the DirectDraw core, and what the core offers it.
// Every backend is one record in the device table; the core walks the table and never names a
// backend itself.
#pragma once

#include <d3d.h>

// The memory behind a surface, as a device draws into it or samples from it.
struct SurfaceMemory {
    void* pixels;  // height rows of pitch bytes, the padding after each row included
    LONG pitch;  // bytes per row
    DWORD width;
    DWORD height;
    DDPIXELFORMAT format;  // RGB formats with masks, or DDPF_ZBUFFER with its bit depth
};

// Provided by the DirectDraw core for any surface or vertex buffer it created (null otherwise).
SurfaceMemory* SurfaceMemoryOf(IDirectDrawSurface7* surface);
IDirectDrawSurface7* AttachedZBufferOf(IDirectDrawSurface7* surface);
void* VertexBufferMemoryOf(IDirect3DVertexBuffer7* vertexBuffer, DWORD* vertexFormat, DWORD* vertexCount);

struct DeviceDriverRecord {
    const char* name;          // device name, as EnumDevices reports it
    const char* description;   // device description
    const GUID* guid;
    void (*describe)(D3DDEVICEDESC7* description);
    // Texture formats in the order EnumTextureFormats reports them, ending with dwSize 0.
    const DDPIXELFORMAT* textureFormats;
    // Z-buffer formats in the order EnumZBufferFormats reports them, ending with dwSize 0.
    const DDPIXELFORMAT* zBufferFormats;
    // A new device drawing into the render target, with one reference; null when it cannot.
    IDirect3DDevice7* (*create)(IDirect3D7* direct3D, IDirectDrawSurface7* renderTarget);
};

// The device table, in the order EnumDevices reports the devices; ends with a null name.
extern const DeviceDriverRecord* const deviceDrivers[];
