#include "scripteddevice.h"

#include "ddraw/pixelformats.h"

#include <cstring>

namespace fake {

namespace {

DWORD BytesPerPixel(const DDPIXELFORMAT& format) { return format.dwRGBBitCount == 32 ? 4 : 2; }

}  // namespace

Surface::Surface(DirectDraw* owner_, const DDSURFACEDESC2& description_) : owner(owner_), description(description_) {
    pitch = static_cast<LONG>(description.dwWidth * BytesPerPixel(description.ddpfPixelFormat));
    memory.assign(static_cast<size_t>(pitch) * description.dwHeight, 0);
}

DWORD Surface::Pixel(DWORD x, DWORD y) const {
    const unsigned char* p = memory.data() + static_cast<size_t>(y) * pitch;
    if (BytesPerPixel(description.ddpfPixelFormat) == 4) {
        DWORD value;
        memcpy(&value, p + 4 * x, 4);
        return value;
    }
    WORD value;
    memcpy(&value, p + 2 * x, 2);
    return value;
}

HRESULT Surface::QueryInterface(REFIID, LPVOID*) { return E_NOINTERFACE; }
ULONG Surface::AddRef() { return ++references; }
ULONG Surface::Release() { return --references; }
HRESULT Surface::GetAttachedSurface(LPDDSCAPS2, LPDIRECTDRAWSURFACE7*) { return DDERR_NOTFOUND; }
HRESULT Surface::AddAttachedSurface(LPDIRECTDRAWSURFACE7) { return DDERR_UNSUPPORTED; }

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC2 out) {
    *out = description;
    return DD_OK;
}

HRESULT Surface::GetPixelFormat(LPDDPIXELFORMAT format) {
    *format = description.ddpfPixelFormat;
    return DD_OK;
}

HRESULT Surface::GetDDInterface(LPVOID* directDraw) {
    owner->AddRef();
    *directDraw = static_cast<IDirectDraw7*>(owner);
    return DD_OK;
}

HRESULT Surface::Lock(LPRECT, LPDDSURFACEDESC2 out, DWORD, HANDLE) {
    if (failLock) return DDERR_SURFACEBUSY;
    *out = description;
    out->lpSurface = memory.data();
    out->lPitch = pitch;
    return DD_OK;
}

HRESULT Surface::Unlock(LPRECT) { return DD_OK; }

HRESULT Surface::Blt(LPRECT, LPDIRECTDRAWSURFACE7 source, LPRECT, DWORD, LPDDBLTFX) {
    ++blits;
    if (failBlt) return DDERR_GENERIC;
    const Surface* from = static_cast<const Surface*>(source);
    if (BytesPerPixel(from->description.ddpfPixelFormat) != BytesPerPixel(description.ddpfPixelFormat))
        return DDERR_INVALIDPIXELFORMAT;
    const DWORD bytes = BytesPerPixel(description.ddpfPixelFormat);
    for (DWORD y = 0; y < description.dwHeight; ++y)
        for (DWORD x = 0; x < description.dwWidth; ++x) {
            const DWORD sx = x * from->description.dwWidth / description.dwWidth;
            const DWORD sy = y * from->description.dwHeight / description.dwHeight;
            memcpy(memory.data() + static_cast<size_t>(y) * pitch + x * bytes,
                   from->memory.data() + static_cast<size_t>(sy) * from->pitch + sx * bytes, bytes);
        }
    return DD_OK;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE7, DWORD) { return DDERR_UNSUPPORTED; }

HRESULT DirectDraw::QueryInterface(REFIID, LPVOID*) { return E_NOINTERFACE; }
ULONG DirectDraw::AddRef() { return ++references; }
ULONG DirectDraw::Release() { return --references; }
HRESULT DirectDraw::GetCaps(LPDDCAPS, LPDDCAPS) { return DDERR_UNSUPPORTED; }
HRESULT DirectDraw::EnumDisplayModes(DWORD, LPDDSURFACEDESC2, LPVOID, LPDDENUMMODESCALLBACK2) { return DD_OK; }
HRESULT DirectDraw::SetCooperativeLevel(HWND, DWORD) { return DD_OK; }
HRESULT DirectDraw::SetDisplayMode(DWORD, DWORD, DWORD, DWORD, DWORD) { return DD_OK; }

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC2 description, LPDIRECTDRAWSURFACE7* surface, IUnknown*) {
    if (failCreateSurface) return DDERR_OUTOFMEMORY;
    surfaces.push_back(std::make_unique<Surface>(this, *description));
    *surface = surfaces.back().get();
    return DD_OK;
}

HRESULT VertexBuffer::QueryInterface(REFIID, LPVOID*) { return E_NOINTERFACE; }
ULONG VertexBuffer::AddRef() { return ++references; }
ULONG VertexBuffer::Release() { return --references; }

HRESULT VertexBuffer::Lock(DWORD, LPVOID* data, LPDWORD size) {
    if (failLock) return D3DERR_VERTEXBUFFERLOCKED;
    *data = memory.data();
    if (size) *size = static_cast<DWORD>(memory.size());
    return D3D_OK;
}

HRESULT VertexBuffer::Unlock() { return D3D_OK; }

HRESULT Direct3D::QueryInterface(REFIID, LPVOID*) { return E_NOINTERFACE; }
ULONG Direct3D::AddRef() { return ++references; }
ULONG Direct3D::Release() { return --references; }
HRESULT Direct3D::EnumDevices(LPD3DENUMDEVICESCALLBACK7, LPVOID) { return D3D_OK; }
HRESULT Direct3D::CreateDevice(REFCLSID, LPDIRECTDRAWSURFACE7, LPDIRECT3DDEVICE7*) { return DDERR_UNSUPPORTED; }
HRESULT Direct3D::EnumZBufferFormats(REFCLSID, LPD3DENUMPIXELFORMATSCALLBACK, LPVOID) { return D3D_OK; }

HRESULT Direct3D::CreateVertexBuffer(LPD3DVERTEXBUFFERDESC description, LPDIRECT3DVERTEXBUFFER7* vertexBuffer,
                                     DWORD) {
    if (failCreateVertexBuffer) return D3DERR_VBUF_CREATE_FAILED;
    auto buffer = std::make_unique<VertexBuffer>();
    buffer->description = *description;
    buffer->failLock = failVertexBufferLock;
    buffer->memory.assign(static_cast<size_t>(description->dwNumVertices) * 32, 0);
    *vertexBuffer = buffer.get();
    vertexBuffers.push_back(std::move(buffer));
    return D3D_OK;
}

Device::Device() {
    memset(&caps, 0, sizeof caps);
    caps.deviceGUID = IID_IDirect3DRGBDevice;
}

HRESULT Device::QueryInterface(REFIID, LPVOID*) { return E_NOINTERFACE; }
ULONG Device::AddRef() { return ++references; }
ULONG Device::Release() { return --references; }

HRESULT Device::GetCaps(LPD3DDEVICEDESC7 out) {
    if (failGetCaps) return DDERR_GENERIC;
    *out = caps;
    return D3D_OK;
}

HRESULT Device::EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) {
    for (DDPIXELFORMAT format : textureFormats)
        if (callback(&format, context) == D3DENUMRET_CANCEL) break;
    return D3D_OK;
}

HRESULT Device::BeginScene() { return D3D_OK; }
HRESULT Device::EndScene() { return D3D_OK; }
HRESULT Device::SetRenderTarget(LPDIRECTDRAWSURFACE7, DWORD) { return D3D_OK; }

HRESULT Device::GetRenderTarget(LPDIRECTDRAWSURFACE7* surface) {
    if (!renderTarget) return DDERR_GENERIC;
    renderTarget->AddRef();
    *surface = renderTarget;
    return D3D_OK;
}

HRESULT Device::Clear(DWORD, LPD3DRECT, DWORD, D3DCOLOR, D3DVALUE, DWORD) { return D3D_OK; }
HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE, LPD3DMATRIX) { return D3D_OK; }
HRESULT Device::SetViewport(LPD3DVIEWPORT7) { return D3D_OK; }
HRESULT Device::SetMaterial(LPD3DMATERIAL7) { return D3D_OK; }

HRESULT Device::SetLight(DWORD slot, LPD3DLIGHT7 light) {
    lights.push_back(LightCall{slot, *light});
    return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE, DWORD) { return D3D_OK; }
HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE, DWORD, LPVOID, DWORD, DWORD) { return D3D_OK; }
HRESULT Device::DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE, LPDIRECT3DVERTEXBUFFER7, DWORD, DWORD, LPWORD, DWORD, DWORD) {
    return D3D_OK;
}
HRESULT Device::SetTexture(DWORD, LPDIRECTDRAWSURFACE7) { return D3D_OK; }

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) {
    stageStates.push_back(StageStateCall{stage, state, value});
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD slot, BOOL enable) {
    if (enable) enabledLights.push_back(slot);
    return D3D_OK;
}

Setup::Setup() {
    DDSURFACEDESC2 target;
    memset(&target, 0, sizeof target);
    target.dwWidth = 4;
    target.dwHeight = 4;
    target.ddsCaps.dwCaps = DDSCAPS_3DDEVICE;
    target.ddpfPixelFormat = ddraw::RgbFormat(32);
    directDraw.surfaces.push_back(std::make_unique<Surface>(&directDraw, target));
    device.renderTarget = directDraw.surfaces.back().get();
    device.textureFormats = {ddraw::RgbFormat(16)};
    memset(&renderDevice, 0, sizeof renderDevice);
    renderDevice.device = &device;
    renderDevice.directDraw = &directDraw;
    renderDevice.direct3D = &direct3D;
}

std::vector<Surface*> Setup::CreatedSurfaces() {
    std::vector<Surface*> created;
    for (size_t i = 1; i < directDraw.surfaces.size(); ++i) created.push_back(directDraw.surfaces[i].get());
    return created;
}

}  // namespace fake
