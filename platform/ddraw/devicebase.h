// What every device of the table answers alike, whichever way it draws: queries, its record's
// capabilities and texture formats, the scene bracket (scenes do not nest; drawing needs one)
// and the surfaces it holds a reference to.
#pragma once

#include <d3d.h>

#include "com.h"
#include "devicedriver.h"
#include "pixelformats.h"

namespace ddraw {

class DeviceBase : public ReferenceCounted<IDirect3DDevice7> {
public:
    HRESULT QueryInterface(REFIID riid, LPVOID* object) override {
        return AnswerQuery<IDirect3DDevice7>(this, riid, IID_IDirect3DDevice7, object);
    }
    HRESULT GetCaps(LPD3DDEVICEDESC7 description) override {
        if (!description) return DDERR_INVALIDPARAMS;
        record.describe(description);
        return D3D_OK;
    }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) override {
        if (!callback) return DDERR_INVALIDPARAMS;
        return EnumerateFormats(record.textureFormats, callback, context);
    }
    HRESULT BeginScene() override {
        if (inScene) return D3DERR_SCENE_IN_SCENE;
        inScene = true;
        return D3D_OK;
    }
    HRESULT EndScene() override {
        if (!inScene) return D3DERR_SCENE_NOT_IN_SCENE;
        inScene = false;
        SceneEnded();
        return D3D_OK;
    }
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7* surface) override {
        if (!surface) return DDERR_INVALIDPARAMS;
        *surface = target;
        target->AddRef();
        return D3D_OK;
    }

protected:
    explicit DeviceBase(const DeviceDriverRecord& record) : record(record) {}
    ~DeviceBase() override {
        Replace<IDirectDrawSurface7>(texture, nullptr);
        Replace<IDirectDrawSurface7>(depthSurface, nullptr);
        Replace<IDirectDrawSurface7>(target, nullptr);
    }
    // What a device does once a scene's calls are all in.
    virtual void SceneEnded() {}

    const DeviceDriverRecord& record;
    bool inScene = false;
    IDirectDrawSurface7* target = nullptr;
    IDirectDrawSurface7* depthSurface = nullptr;  // attached to the target when it was bound
    IDirectDrawSurface7* texture = nullptr;       // stage 0's
};

}  // namespace ddraw
