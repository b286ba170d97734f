// A Direct3D device and a primary surface that only write down what they are asked to do.
#pragma once

#include <d3d.h>

#include <string>
#include <vector>

struct RecordedCall {
    std::string name;
    DWORD a = 0;       // first integer argument (flags, slot, state)
    DWORD b = 0;       // second integer argument
    float values[4] = {};
};

class RecordingDevice final : public IDirect3DDevice7 {
public:
    std::vector<RecordedCall> calls;
    int framesBeforeQuit = 0;  // when set, the frame with this number posts a quit with code 99
    int frames = 0;

    HRESULT QueryInterface(REFIID, LPVOID*) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 0; }
    HRESULT GetCaps(LPD3DDEVICEDESC7) override { return Note("GetCaps"); }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK, LPVOID) override { return Note("EnumTextureFormats"); }
    HRESULT BeginScene() override {
        if (++frames == framesBeforeQuit) PostQuitMessage(99);
        return Note("BeginScene");
    }
    HRESULT EndScene() override { return Note("EndScene"); }
    HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7, DWORD) override { return Note("SetRenderTarget"); }
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7*) override { return Note("GetRenderTarget"); }
    HRESULT Clear(DWORD rectCount, LPD3DRECT, DWORD flags, D3DCOLOR colour, D3DVALUE z, DWORD stencil) override {
        RecordedCall call{"Clear", flags, colour, {z, static_cast<float>(stencil), static_cast<float>(rectCount), 0}};
        calls.push_back(call);
        return D3D_OK;
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX) override { return Note("SetTransform", type); }
    HRESULT SetViewport(LPD3DVIEWPORT7) override { return Note("SetViewport"); }
    HRESULT SetMaterial(LPD3DMATERIAL7) override { return Note("SetMaterial"); }
    HRESULT SetLight(DWORD index, LPD3DLIGHT7 light) override {
        RecordedCall call{"SetLight", index, 0,
                          {light->dcvDiffuse.r, light->dcvDiffuse.g, light->dcvDiffuse.b, light->dcvDiffuse.a}};
        calls.push_back(call);
        return D3D_OK;
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override { return Note("SetRenderState", state, value); }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, DWORD, LPVOID, DWORD, DWORD) override { return Note("DrawPrimitive"); }
    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE, LPDIRECT3DVERTEXBUFFER7, DWORD, DWORD, LPWORD, DWORD,
                                   DWORD) override {
        return Note("DrawIndexedPrimitiveVB");
    }
    HRESULT SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7) override { return Note("SetTexture", stage); }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD) override {
        return Note("SetTextureStageState", stage, state);
    }
    HRESULT LightEnable(DWORD index, BOOL enable) override { return Note("LightEnable", index, static_cast<DWORD>(enable)); }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const RecordedCall& call : calls) names.push_back(call.name);
        return names;
    }

private:
    HRESULT Note(const char* name, DWORD a = 0, DWORD b = 0) {
        RecordedCall call{name, a, b, {}};
        calls.push_back(call);
        return D3D_OK;
    }
};

// The primary surface: counts flips into the device's list, so one list holds the whole frame.
class RecordingPrimary final : public IDirectDrawSurface7 {
public:
    explicit RecordingPrimary(RecordingDevice& device) : device_(device) {}

    HRESULT QueryInterface(REFIID, LPVOID*) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 0; }
    HRESULT GetAttachedSurface(LPDDSCAPS2, LPDIRECTDRAWSURFACE7*) override { return E_FAIL; }
    HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7) override { return E_FAIL; }
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC2) override { return E_FAIL; }
    HRESULT GetPixelFormat(LPDDPIXELFORMAT) override { return E_FAIL; }
    HRESULT GetDDInterface(LPVOID*) override { return E_FAIL; }
    HRESULT Lock(LPRECT, LPDDSURFACEDESC2, DWORD, HANDLE) override { return E_FAIL; }
    HRESULT Unlock(LPRECT) override { return E_FAIL; }
    HRESULT Blt(LPRECT, LPDIRECTDRAWSURFACE7, LPRECT, DWORD, LPDDBLTFX) override { return E_FAIL; }
    HRESULT Flip(LPDIRECTDRAWSURFACE7 overrideSurface, DWORD flags) override {
        RecordedCall call{"Flip", flags, overrideSurface == nullptr ? 0u : 1u, {}};
        device_.calls.push_back(call);
        return DD_OK;
    }

private:
    RecordingDevice& device_;
};
