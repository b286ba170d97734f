// The software device as Direct3D 7 programs see it: an IDirect3DDevice7 over the software
// pipeline, and the device table's record for it.
#include "ddraw/com.h"
#include "ddraw/devicebase.h"
#include "ddraw/devicedriver.h"
#include "ddraw/software/renderer.h"

namespace software {

namespace {

// Direct3D 7 capability bits this device reports beyond those the platform headers name.
constexpr DWORD DevCapsFloatTlVertex = 0x00000001;
constexpr DWORD DevCapsExecuteSystemMemory = 0x00000010;
constexpr DWORD DevCapsTlVertexSystemMemory = 0x00000040;
constexpr DWORD DevCapsTextureSystemMemory = 0x00000100;
constexpr DWORD DevCapsDrawPrimTlVertex = 0x00000400;
constexpr DWORD MiscCapsCullNone = 0x00000010;
constexpr DWORD MiscCapsCullCw = 0x00000020;
constexpr DWORD MiscCapsCullCcw = 0x00000040;
constexpr DWORD FilterCapsMinPoint = 0x00000100;
constexpr DWORD FilterCapsMinLinear = 0x00000200;
constexpr DWORD FilterCapsMagPoint = 0x01000000;
constexpr DWORD FilterCapsMagLinear = 0x02000000;
constexpr DWORD TextureOpCapsModulate = 0x00000008;
constexpr DWORD VertexCapsDirectionalLights = 0x00000008;
constexpr DWORD VertexCapsPositionalLights = 0x00000010;

class SoftwareDevice final : public ddraw::DeviceBase {
public:
    // Binds the render target; null when the surface cannot be drawn into.
    static SoftwareDevice* Create(IDirectDrawSurface7* renderTarget) {
        SoftwareDevice* device = new SoftwareDevice();
        if (FAILED(device->Bind(renderTarget))) {
            device->Release();
            return nullptr;
        }
        device->renderer.SetRenderState(D3DRENDERSTATE_ZENABLE, device->depthSurface ? D3DZB_TRUE : D3DZB_FALSE);
        return device;
    }

    HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7 surface, DWORD flags) override { return Bind(surface); }

    HRESULT Clear(DWORD rectCount, LPD3DRECT rects, DWORD flags, D3DCOLOR colour, D3DVALUE z, DWORD) override {
        Surfaces surfaces;
        HRESULT result = Resolve(&surfaces);
        if (FAILED(result)) return result;
        result = renderer.Clear(surfaces, rectCount, rects, flags, colour, z);
        // Outside a scene nothing else is drawn before the surfaces may be read.
        if (!inScene) FinishDrawing();
        return result;
    }

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX matrix) override {
        if (!matrix) return DDERR_INVALIDPARAMS;
        return renderer.SetTransform(type, *matrix);
    }
    HRESULT SetViewport(LPD3DVIEWPORT7 viewport) override {
        if (!viewport) return DDERR_INVALIDPARAMS;
        const SurfaceMemory* memory = SurfaceMemoryOf(target);
        if (!memory) return DDERR_SURFACELOST;
        return renderer.SetViewport(*viewport, memory->width, memory->height);
    }
    HRESULT SetMaterial(LPD3DMATERIAL7 material) override {
        if (!material) return DDERR_INVALIDPARAMS;
        renderer.SetMaterial(*material);
        return D3D_OK;
    }
    HRESULT SetLight(DWORD index, LPD3DLIGHT7 light) override {
        if (!light) return DDERR_INVALIDPARAMS;
        return renderer.SetLight(index, *light);
    }
    HRESULT LightEnable(DWORD index, BOOL enable) override { return renderer.LightEnable(index, enable != FALSE); }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        return renderer.SetRenderState(state, value);
    }

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices, DWORD vertexCount,
                          DWORD flags) override {
        if (!inScene) return D3DERR_SCENE_NOT_IN_SCENE;
        Surfaces surfaces;
        HRESULT result = Resolve(&surfaces);
        if (FAILED(result)) return result;
        return renderer.DrawPrimitive(surfaces, type, vertexFormat, vertices, vertexCount);
    }

    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE type, LPDIRECT3DVERTEXBUFFER7 vertexBuffer, DWORD startVertex,
                                   DWORD vertexCount, LPWORD indices, DWORD indexCount, DWORD flags) override {
        if (!inScene) return D3DERR_SCENE_NOT_IN_SCENE;
        if (!vertexBuffer) return DDERR_INVALIDPARAMS;
        DWORD vertexFormat = 0, bufferCount = 0;
        const uint8_t* memory =
            static_cast<const uint8_t*>(VertexBufferMemoryOf(vertexBuffer, &vertexFormat, &bufferCount));
        VertexLayout layout;
        if (!memory || !DescribeVertexFormat(vertexFormat, &layout)) return DDERR_INVALIDPARAMS;
        if (static_cast<uint64_t>(startVertex) + vertexCount > bufferCount) return DDERR_INVALIDPARAMS;
        Surfaces surfaces;
        HRESULT result = Resolve(&surfaces);
        if (FAILED(result)) return result;
        return renderer.DrawIndexedPrimitive(surfaces, type, vertexFormat,
                                             memory + static_cast<size_t>(startVertex) * layout.stride, vertexCount,
                                             indices, indexCount);
    }

    HRESULT SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 surface) override {
        if (stage >= 8) return DDERR_INVALIDPARAMS;
        if (stage != 0) return surface ? DDERR_UNSUPPORTED : D3D_OK;  // one texture stage
        if (surface && !SurfaceMemoryOf(surface)) return DDERR_INVALIDPARAMS;
        if (surface && !IsTextureSurface(surface)) surface = nullptr;  // taken, and drawn untextured
        if (surface) {
            const SurfaceMemory* memory = SurfaceMemoryOf(surface);
            if (ColourFormatOf(memory->format) == ColourFormat::Unsupported) return DDERR_INVALIDPIXELFORMAT;
            if (!IsUsableColourSurface(*memory, MaxTextureSide)) return DDERR_INVALIDPARAMS;
        }
        if (texture && texture != surface && renderer.Pending()) Hold(texture);
        ddraw::Replace(texture, surface);
        return D3D_OK;
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) override {
        return renderer.SetTextureStageState(stage, state, value);
    }

private:
    SoftwareDevice() : DeviceBase(softwareDeviceRecord) {}
    ~SoftwareDevice() override { FinishDrawing(); }
    void SceneEnded() override { FinishDrawing(); }

    // Makes surface the render target, with the z-buffer attached to it at this moment; the
    // viewport then covers the whole target.
    HRESULT Bind(IDirectDrawSurface7* surface) {
        IDirectDrawSurface7* depth = nullptr;
        const HRESULT usable = CheckRenderTarget(surface, &depth);
        if (FAILED(usable)) return usable;
        FinishDrawing();
        const SurfaceMemory* memory = SurfaceMemoryOf(surface);
        D3DVIEWPORT7 whole{0, 0, memory->width, memory->height, 0.0f, 1.0f};
        renderer.SetViewport(whole, memory->width, memory->height);
        ddraw::Replace(target, surface);
        ddraw::Replace(depthSurface, depth);
        return D3D_OK;
    }

    // Keeps a texture that drawing still under way may read until that drawing is done.
    void Hold(IDirectDrawSurface7* surface) {
        for (int i = 0; i < heldCount; ++i)
            if (held[i] == surface) return;
        if (heldCount == HeldTextures) FinishDrawing();
        surface->AddRef();
        held[heldCount++] = surface;
    }

    // Returns when every clear and draw so far is in memory.
    void FinishDrawing() {
        renderer.Finish();
        for (int i = 0; i < heldCount; ++i) held[i]->Release();
        heldCount = 0;
    }

    // The memory behind the bound surfaces now (a flip may have swapped it since the last call).
    HRESULT Resolve(Surfaces* surfaces) {
        surfaces->colour = SurfaceMemoryOf(target);
        surfaces->depth = depthSurface ? SurfaceMemoryOf(depthSurface) : nullptr;
        surfaces->texture = texture ? SurfaceMemoryOf(texture) : nullptr;
        if (!surfaces->colour || (depthSurface && !surfaces->depth) || (texture && !surfaces->texture))
            return DDERR_SURFACELOST;
        return D3D_OK;
    }

    static constexpr int HeldTextures = 64;
    IDirectDrawSurface7* held[HeldTextures];
    int heldCount = 0;
    Renderer renderer;
};

void DescribeSoftwareDevice(D3DDEVICEDESC7* d) {
    *d = D3DDEVICEDESC7{};
    d->dwDevCaps = DevCapsFloatTlVertex | DevCapsExecuteSystemMemory | DevCapsTlVertexSystemMemory |
                   DevCapsTextureSystemMemory | DevCapsDrawPrimTlVertex;
    d->dpcLineCaps.dwSize = sizeof(D3DPRIMCAPS);  // lines are not drawn
    D3DPRIMCAPS& t = d->dpcTriCaps;
    t.dwSize = sizeof(D3DPRIMCAPS);
    t.dwMiscCaps = MiscCapsCullNone | MiscCapsCullCw | MiscCapsCullCcw;
    t.dwRasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_SUBPIXEL;
    t.dwZCmpCaps = D3DPCMPCAPS_LESSEQUAL;
    t.dwSrcBlendCaps = D3DPBLENDCAPS_ONE;
    t.dwDestBlendCaps = D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCCOLOR | D3DPBLENDCAPS_INVSRCCOLOR;
    t.dwShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB;
    t.dwTextureCaps = D3DPTEXTURECAPS_PERSPECTIVE;
    t.dwTextureFilterCaps = D3DPTFILTERCAPS_NEAREST | D3DPTFILTERCAPS_LINEAR | FilterCapsMinPoint |
                            FilterCapsMinLinear | FilterCapsMagPoint | FilterCapsMagLinear;
    t.dwTextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP;
    d->dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
    d->dwDeviceZBufferBitDepth = DDBD_16 | DDBD_32;
    d->dwMinTextureWidth = d->dwMinTextureHeight = 1;
    d->dwMaxTextureWidth = d->dwMaxTextureHeight = MaxTextureSide;
    d->dwMaxTextureRepeat = 32768;
    d->dwMaxTextureAspectRatio = MaxTextureSide;
    d->dwMaxAnisotropy = 1;
    d->dwFVFCaps = 1;  // one set of texture co-ordinates
    d->dwTextureOpCaps = TextureOpCapsModulate;
    d->wMaxTextureBlendStages = 1;
    d->wMaxSimultaneousTextures = 1;
    d->dwMaxActiveLights = ddraw::MaxLightSlots;
    d->dvMaxVertexW = 1e10f;
    d->deviceGUID = IID_IDirect3DRGBDevice;
    d->dwVertexProcessingCaps = VertexCapsDirectionalLights | VertexCapsPositionalLights;
}

IDirect3DDevice7* CreateSoftwareDevice(IDirect3D7*, IDirectDrawSurface7* renderTarget) {
    return SoftwareDevice::Create(renderTarget);
}

}  // namespace

}  // namespace software

extern const DeviceDriverRecord softwareDeviceRecord = {
    "RGB Emulation",
    "RGB Emulation",
    &IID_IDirect3DRGBDevice,
    software::DescribeSoftwareDevice,
    software::softwareTextureFormats,
    software::softwareZBufferFormats,
    software::CreateSoftwareDevice,
    nullptr,
};
