// What every device of the table answers alike, whichever way it draws: queries, the scene
// bracket (scenes do not nest; drawing needs one) and the surfaces it holds a reference to.
#pragma once

#include <d3d.h>

#include "com.h"

namespace ddraw {

class DeviceBase : public ReferenceCounted<IDirect3DDevice7> {
public:
    HRESULT QueryInterface(REFIID riid, LPVOID* object) override {
        return AnswerQuery<IDirect3DDevice7>(this, riid, IID_IDirect3DDevice7, object);
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
    DeviceBase() = default;
    ~DeviceBase() override {
        Replace<IDirectDrawSurface7>(texture, nullptr);
        Replace<IDirectDrawSurface7>(depthSurface, nullptr);
        Replace<IDirectDrawSurface7>(target, nullptr);
    }
    // What a device does once a scene's calls are all in.
    virtual void SceneEnded() {}

    bool inScene = false;
    IDirectDrawSurface7* target = nullptr;
    IDirectDrawSurface7* depthSurface = nullptr;  // attached to the target when it was bound
    IDirectDrawSurface7* texture = nullptr;       // stage 0's
};

}  // namespace ddraw
