// A Direct3D device that keeps what the later segments hand it: world matrices, lights, clears,
// render states, textures and the vertices of screen quads.
#pragma once

#include <d3d.h>

#include <array>
#include <vector>

#include "vecmath.h"

struct WatchedDraw {
    Matrix world;             // the world transform in force
    LPDIRECTDRAWSURFACE7 texture;
    DWORD vertexFormat;       // 0 for an indexed draw
    std::vector<float> quad;  // screen quads: x, y of the six vertices, then their diffuse colours
    std::array<float, 8> lightRed;  // diffuse red of the light last set in each of the first slots
};

struct WatchedLight {
    DWORD slot;
    float red, green, blue;
};

class WatchingDevice final : public IDirect3DDevice7 {
public:
    std::vector<WatchedDraw> draws;
    std::vector<WatchedLight> lights;
    std::vector<DWORD> clears;       // flags of every Clear
    std::vector<Matrix> projections; // every projection transform set
    DWORD destBlend = 0;
    DWORD destBlendAtLastDraw = 0;

    HRESULT QueryInterface(REFIID, LPVOID*) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 0; }
    HRESULT GetCaps(LPD3DDEVICEDESC7) override { return D3D_OK; }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK, LPVOID) override { return D3D_OK; }
    HRESULT BeginScene() override { return D3D_OK; }
    HRESULT EndScene() override { return D3D_OK; }
    HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7, DWORD) override { return D3D_OK; }
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7*) override { return D3D_OK; }
    HRESULT Clear(DWORD, LPD3DRECT, DWORD flags, D3DCOLOR, D3DVALUE, DWORD) override {
        clears.push_back(flags);
        return D3D_OK;
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX matrix) override {
        const Matrix& m = *reinterpret_cast<const Matrix*>(matrix);
        if (type == D3DTRANSFORMSTATE_WORLD) world_ = m;
        if (type == D3DTRANSFORMSTATE_PROJECTION) projections.push_back(m);
        return D3D_OK;
    }
    HRESULT SetViewport(LPD3DVIEWPORT7) override { return D3D_OK; }
    HRESULT SetMaterial(LPD3DMATERIAL7) override { return D3D_OK; }
    HRESULT SetLight(DWORD slot, LPD3DLIGHT7 light) override {
        lights.push_back({slot, light->dcvDiffuse.r, light->dcvDiffuse.g, light->dcvDiffuse.b});
        if (slot < lightRed_.size()) lightRed_[slot] = light->dcvDiffuse.r;
        return D3D_OK;
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        if (state == D3DRENDERSTATE_DESTBLEND) destBlend = value;
        return D3D_OK;
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, DWORD vertexFormat, LPVOID vertices, DWORD count, DWORD) override {
        WatchedDraw draw{world_, texture_, vertexFormat, {}, lightRed_};
        if (vertexFormat == (D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1)) {
            const float* v = static_cast<const float*>(vertices);
            for (DWORD i = 0; i < count; ++i) draw.quad.insert(draw.quad.end(), {v[8 * i], v[8 * i + 1]});
            const DWORD* words = static_cast<const DWORD*>(vertices);
            for (DWORD i = 0; i < count; ++i) draw.quad.push_back(static_cast<float>(words[8 * i + 4]));
        }
        destBlendAtLastDraw = destBlend;
        draws.push_back(draw);
        return D3D_OK;
    }
    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE, LPDIRECT3DVERTEXBUFFER7, DWORD, DWORD, LPWORD, DWORD,
                                   DWORD) override {
        draws.push_back({world_, texture_, 0, {}, lightRed_});
        return D3D_OK;
    }
    HRESULT SetTexture(DWORD, LPDIRECTDRAWSURFACE7 texture) override {
        texture_ = texture;
        return D3D_OK;
    }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT LightEnable(DWORD, BOOL) override { return D3D_OK; }

    void Forget() {
        draws.clear();
        lights.clear();
        clears.clear();
        projections.clear();
    }

private:
    Matrix world_ = IdentityMatrix();
    LPDIRECTDRAWSURFACE7 texture_ = nullptr;
    std::array<float, 8> lightRed_{};
};
