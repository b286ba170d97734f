// A scriptable stand-in for DirectDraw and a Direct3D device, for tests of loading code: caps
// and texture formats are set by the test, surfaces and vertex buffers live in memory, and
// the calls a test needs to check are recorded.
#pragma once

#include <d3d.h>

#include <memory>
#include <vector>

#include "renderdevice.h"

namespace fake {

struct DirectDraw;

struct Surface final : IDirectDrawSurface7 {
    DirectDraw* owner;
    DDSURFACEDESC2 description;  // as created (width, height, caps, pixel format)
    std::vector<unsigned char> memory;
    LONG pitch;
    ULONG references = 1;
    int failLock = 0;
    int failBlt = 0;
    int blits = 0;

    Surface(DirectDraw* owner, const DDSURFACEDESC2& description);
    // The pixel at (x, y) as stored: 16 or 32 bits.
    DWORD Pixel(DWORD x, DWORD y) const;

    HRESULT QueryInterface(REFIID, LPVOID*) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetAttachedSurface(LPDDSCAPS2, LPDIRECTDRAWSURFACE7*) override;
    HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7) override;
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC2) override;
    HRESULT GetPixelFormat(LPDDPIXELFORMAT) override;
    HRESULT GetDDInterface(LPVOID*) override;
    HRESULT Lock(LPRECT, LPDDSURFACEDESC2, DWORD, HANDLE) override;
    HRESULT Unlock(LPRECT) override;
    // Stretches the whole source over the whole surface (nearest pixel); formats must match.
    HRESULT Blt(LPRECT, LPDIRECTDRAWSURFACE7, LPRECT, DWORD, LPDDBLTFX) override;
    HRESULT Flip(LPDIRECTDRAWSURFACE7, DWORD) override;
};

struct DirectDraw final : IDirectDraw7 {
    std::vector<std::unique_ptr<Surface>> surfaces;
    ULONG references = 1;
    int failCreateSurface = 0;

    HRESULT QueryInterface(REFIID, LPVOID*) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetCaps(LPDDCAPS, LPDDCAPS) override;
    HRESULT EnumDisplayModes(DWORD, LPDDSURFACEDESC2, LPVOID, LPDDENUMMODESCALLBACK2) override;
    HRESULT SetCooperativeLevel(HWND, DWORD) override;
    HRESULT SetDisplayMode(DWORD, DWORD, DWORD, DWORD, DWORD) override;
    HRESULT CreateSurface(LPDDSURFACEDESC2, LPDIRECTDRAWSURFACE7*, IUnknown*) override;
};

struct VertexBuffer final : IDirect3DVertexBuffer7 {
    D3DVERTEXBUFFERDESC description;
    std::vector<unsigned char> memory;
    ULONG references = 1;
    int failLock = 0;

    HRESULT QueryInterface(REFIID, LPVOID*) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Lock(DWORD, LPVOID*, LPDWORD) override;
    HRESULT Unlock() override;
};

struct Direct3D final : IDirect3D7 {
    std::vector<std::unique_ptr<VertexBuffer>> vertexBuffers;
    ULONG references = 1;
    int failCreateVertexBuffer = 0;
    int failVertexBufferLock = 0;  // given to every buffer created

    HRESULT QueryInterface(REFIID, LPVOID*) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7, LPVOID) override;
    HRESULT CreateDevice(REFCLSID, LPDIRECTDRAWSURFACE7, LPDIRECT3DDEVICE7*) override;
    HRESULT CreateVertexBuffer(LPD3DVERTEXBUFFERDESC, LPDIRECT3DVERTEXBUFFER7*, DWORD) override;
    HRESULT EnumZBufferFormats(REFCLSID, LPD3DENUMPIXELFORMATSCALLBACK, LPVOID) override;
};

struct LightCall {
    DWORD slot;
    D3DLIGHT7 light;
};

struct StageStateCall {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE state;
    DWORD value;
};

struct Device final : IDirect3DDevice7 {
    D3DDEVICEDESC7 caps;                     // what GetCaps reports
    std::vector<DDPIXELFORMAT> textureFormats;  // in EnumTextureFormats order
    Surface* renderTarget = nullptr;
    ULONG references = 1;
    int failGetCaps = 0;
    std::vector<LightCall> lights;
    std::vector<DWORD> enabledLights;
    std::vector<StageStateCall> stageStates;

    Device();
    HRESULT QueryInterface(REFIID, LPVOID*) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetCaps(LPD3DDEVICEDESC7) override;
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK, LPVOID) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7, DWORD) override;
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7*) override;
    HRESULT Clear(DWORD, LPD3DRECT, DWORD, D3DCOLOR, D3DVALUE, DWORD) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, LPD3DMATRIX) override;
    HRESULT SetViewport(LPD3DVIEWPORT7) override;
    HRESULT SetMaterial(LPD3DMATERIAL7) override;
    HRESULT SetLight(DWORD, LPD3DLIGHT7) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, DWORD, LPVOID, DWORD, DWORD) override;
    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE, LPDIRECT3DVERTEXBUFFER7, DWORD, DWORD, LPWORD, DWORD,
                                   DWORD) override;
    HRESULT SetTexture(DWORD, LPDIRECTDRAWSURFACE7) override;
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override;
    HRESULT LightEnable(DWORD, BOOL) override;
};


// A DirectDraw object, a Direct3D object and a device drawing into a 32-bit render target,
// wired into a RenderDevice the way the show's code reads it. The device offers 5-6-5 textures
// and reports the software device's GUID unless a test changes it.
struct Setup {
    DirectDraw directDraw;
    Direct3D direct3D;
    Device device;
    RenderDevice renderDevice;

    Setup();
    // Surfaces made by CreateSurface after the render target, in creation order.
    std::vector<Surface*> CreatedSurfaces();
};

}  // namespace fake
