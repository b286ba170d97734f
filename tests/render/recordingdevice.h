// A Direct3D device that only writes down what it is asked to do, so a test can compare the
// calls of a pass with what the pass should send.
#pragma once

#include <d3d.h>

#include <string>
#include <vector>

struct RecordedCall {
    std::string text;    // the call and its plain arguments, e.g. "SetRenderState 137 1"
    D3DMATRIX matrix;    // SetTransform
    D3DLIGHT7 light;     // SetLight
    D3DMATERIAL7 material;
    const void* pointer; // SetTexture's surface, the vertices or indices of a draw
    std::vector<unsigned char> vertices;  // DrawPrimitive's vertex data, copied
};

class RecordingDevice : public IDirect3DDevice7 {
public:
    std::vector<RecordedCall> calls;
    bool recording = true;  // off: accept every call and keep nothing (no allocation either)

    // The calls whose text starts with prefix, in order.
    std::vector<const RecordedCall*> Matching(const std::string& prefix) const;
    std::vector<std::string> Texts() const;

    HRESULT QueryInterface(REFIID, LPVOID*) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT GetCaps(LPD3DDEVICEDESC7) override { return DDERR_UNSUPPORTED; }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK, LPVOID) override { return DDERR_UNSUPPORTED; }
    HRESULT BeginScene() override { return Add("BeginScene"); }
    HRESULT EndScene() override { return Add("EndScene"); }
    HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7, DWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7*) override { return DDERR_UNSUPPORTED; }
    HRESULT Clear(DWORD, LPD3DRECT, DWORD flags, D3DCOLOR, D3DVALUE, DWORD) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX matrix) override;
    HRESULT SetViewport(LPD3DVIEWPORT7) override { return Add("SetViewport"); }
    HRESULT SetMaterial(LPD3DMATERIAL7 material) override;
    HRESULT SetLight(DWORD index, LPD3DLIGHT7 light) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD format, LPVOID vertices, DWORD count, DWORD flags) override;
    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE type, LPDIRECT3DVERTEXBUFFER7 buffer, DWORD first,
                                   DWORD count, LPWORD indices, DWORD indexCount, DWORD flags) override;
    HRESULT SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;

private:
    HRESULT Add(const std::string& text, const void* pointer = nullptr);
};
