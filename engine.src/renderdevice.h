// The one full-screen DirectDraw 7 / Direct3D 7 device everything is drawn on.
#pragma once

#include <d3d.h>

// The size of DDSURFACEDESC2 in the 32-bit Windows program the show is.
constexpr DWORD SurfaceDescriptionSize = 124;

// A corner of a screen-space quad: position in pixels and depth, colour as 0..255 integers.
struct ScreenCorner {
    float x, y, z;
    DWORD red, green, blue, alpha;
};

struct RenderDevice {
    HWND window;
    DWORD memoryCaps;
    DWORD maxTextureWidth;
    DWORD maxTextureHeight;
    int smallTextures;
    LPDIRECT3DDEVICE7 device;
    LPDIRECTDRAW7 directDraw;
    LPDIRECTDRAWSURFACE7 primary;
    LPDIRECTDRAWSURFACE7 backBuffer;
    LPDIRECTDRAWSURFACE7 zBuffer;
    LPDIRECT3D7 direct3D;

    int Create(HWND mainWindow);
    int ReadTextureLimits();
    HRESULT Clear(DWORD flags, D3DCOLOR colour);
    int Present();
    int Destroy();
    void DrawScreenQuad(const ScreenCorner& corner1, const ScreenCorner& corner2, const ScreenCorner& corner3,
                        const ScreenCorner& corner4, DWORD destBlend, LPDIRECTDRAWSURFACE7 texture);
};

extern RenderDevice renderDevice;
