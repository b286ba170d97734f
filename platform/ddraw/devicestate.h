// The Direct3D 7 state every device of the table keeps: render states, texture stage 0's states
// and the light slots. Checked in one place, so every device accepts and refuses the same
// states with the same results.
#pragma once

#include <vector>

#include "devicedriver.h"

namespace ddraw {

// Light slots a device accepts; Direct3D 7 programs use small indices.
constexpr DWORD MaxLightSlots = 4096;

struct RenderStates {
    bool perspective = true;
    bool zEnable = false;
    bool zWrite = true;
    bool alphaBlend = false;
    bool dither = false;
    bool lighting = true;
    bool colourVertex = true;
    bool normalize = false;
    DWORD destBlend = D3DBLEND_ZERO;
    DWORD cull = D3DCULL_CCW;
    D3DCOLOR ambient = 0;
    // Texture stage 0, as Direct3D values.
    DWORD addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP;
    DWORD magFilter = D3DTFG_POINT, minFilter = D3DTFG_POINT;
};

HRESULT SetRenderState(RenderStates& states, DWORD state, DWORD value);
HRESULT SetTextureStageState(RenderStates& states, DWORD stage, DWORD state, DWORD value);

// Whether a device can use the light, and the reason when it cannot.
HRESULT ValidateLight(const D3DLIGHT7& light);
// The viewport must lie inside a target of the given size; any depth range is taken.
HRESULT ValidateViewport(const D3DVIEWPORT7& viewport, DWORD targetWidth, DWORD targetHeight);

struct LightSlot {
    D3DLIGHT7 light;
    bool set;
    bool enabled;
};

class LightSlots {
public:
    HRESULT Set(DWORD index, const D3DLIGHT7& light);
    // Enabling a slot that was never set gives it Direct3D's default white directional light.
    HRESULT Enable(DWORD index, bool enable);
    const std::vector<LightSlot>& All() const { return slots; }

private:
    std::vector<LightSlot> slots;
};

}  // namespace ddraw
