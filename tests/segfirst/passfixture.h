// Runs director frames at scripted music positions against small hand-filled scenes and writes
// down, per drawn object, which scene it came from, its override texture, world matrix and
// states, and every light and transform sent on the way.
#pragma once

#include <gtest/gtest.h>

#include <d3d.h>

#include <string>
#include <vector>

#include "scene.h"

struct DeviceCall {
    std::string name;
    DWORD index = 0;       // light slot, transform type, render state
    DWORD value = 0;       // render state value, enable flag, clear flags
    float colour[3] = {};  // SetLight diffuse
    Matrix matrix;         // SetTransform
    const void* pointer = nullptr;  // SetTexture surface, SetMaterial material
};

// One object draw as the device saw it: the states and texture in force at SetMaterial.
struct Draw {
    const Scene* scene;  // null for the flare billboard
    LPDIRECTDRAWSURFACE7 texture;
    Matrix world;
    DWORD zEnable, zWriteEnable, alphaBlend, destBlend;
    float keyLight;  // diffuse red last sent to slot 0
};

class PassDevice final : public IDirect3DDevice7 {
public:
    std::vector<DeviceCall> calls;

    HRESULT QueryInterface(REFIID, LPVOID*) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 0; }
    HRESULT GetCaps(LPD3DDEVICEDESC7) override { return Note("GetCaps"); }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK, LPVOID) override { return Note("EnumTextureFormats"); }
    HRESULT BeginScene() override { return Note("BeginScene"); }
    HRESULT EndScene() override { return Note("EndScene"); }
    HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7, DWORD) override { return Note("SetRenderTarget"); }
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7*) override { return Note("GetRenderTarget"); }
    HRESULT Clear(DWORD, LPD3DRECT, DWORD flags, D3DCOLOR, D3DVALUE, DWORD) override {
        return Note("Clear", 0, flags);
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX matrix) override;
    HRESULT SetViewport(LPD3DVIEWPORT7) override { return Note("SetViewport"); }
    HRESULT SetMaterial(LPD3DMATERIAL7 material) override;
    HRESULT SetLight(DWORD index, LPD3DLIGHT7 light) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        return Note("SetRenderState", state, value);
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, DWORD, LPVOID, DWORD, DWORD) override { return Note("DrawPrimitive"); }
    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE, LPDIRECT3DVERTEXBUFFER7, DWORD, DWORD, LPWORD, DWORD,
                                   DWORD) override {
        return Note("DrawIndexedPrimitiveVB");
    }
    HRESULT SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 texture) override;
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override {
        return Note("SetTextureStageState");
    }
    HRESULT LightEnable(DWORD index, BOOL enable) override {
        return Note("LightEnable", index, static_cast<DWORD>(enable));
    }

    // The object draws of the recorded calls, in order.
    std::vector<Draw> Draws() const;

private:
    HRESULT Note(const char* name, DWORD index = 0, DWORD value = 0);
};

class PassPrimary final : public IDirectDrawSurface7 {
public:
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
    HRESULT Flip(LPDIRECTDRAWSURFACE7, DWORD) override { return DD_OK; }
};

// A distinct fake surface per image name; never dereferenced by the show's code under test.
LPDIRECTDRAWSURFACE7 FakeTexture(int n);

class SegmentFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // One director frame at the position; the calls of earlier frames are dropped.
    void FrameAt(DWORD position);
    // The clocks as if the previous frame had read position and left frameClock at clock with no
    // delta: the next frame at p then has that clock and frameDelta = (p - position) / 173800.
    void Prime(DWORD position, float clock);

    // Scenes drawn, in order, as short names ("etest4", "bboxy", ...; "flare" for billboards).
    std::vector<std::string> DrawnScenes() const;

    PassDevice device;
    PassPrimary primary;
};

// The name a test gives a scene slot.
std::string SceneName(const Scene* scene);
