#include "devicestate.h"

namespace ddraw {

namespace {

constexpr DWORD Modulate = 4;          // D3DTOP_MODULATE
constexpr DWORD ArgumentDiffuse = 0;   // D3DTA_DIFFUSE
constexpr DWORD ArgumentCurrent = 1;   // D3DTA_CURRENT
constexpr DWORD ArgumentTexture = 2;   // D3DTA_TEXTURE
constexpr DWORD FillSolid = 3;         // D3DFILL_SOLID
constexpr DWORD ShadeGouraud = 2;      // D3DSHADE_GOURAUD

bool IsAddress(DWORD value) {
    return value == D3DTADDRESS_WRAP || value == D3DTADDRESS_MIRROR || value == D3DTADDRESS_CLAMP;
}

bool IsFilter(DWORD value) { return value == D3DTFG_POINT || value == D3DTFG_LINEAR; }

HRESULT Keep(DWORD value, bool accepted, DWORD* field) {
    if (!accepted) return DDERR_UNSUPPORTED;
    *field = value;
    return D3D_OK;
}

}  // namespace

HRESULT SetRenderState(RenderStates& states, DWORD state, DWORD value) {
    switch (state) {
    case D3DRENDERSTATE_TEXTUREPERSPECTIVE: states.perspective = value != 0; return D3D_OK;
    case D3DRENDERSTATE_ZENABLE:
        if (value > D3DZB_TRUE) return DDERR_UNSUPPORTED;  // w-buffering
        states.zEnable = value == D3DZB_TRUE;
        return D3D_OK;
    case D3DRENDERSTATE_FILLMODE: return value == FillSolid ? D3D_OK : DDERR_UNSUPPORTED;
    case D3DRENDERSTATE_SHADEMODE: return value == ShadeGouraud ? D3D_OK : DDERR_UNSUPPORTED;
    case D3DRENDERSTATE_ZWRITEENABLE: states.zWrite = value != 0; return D3D_OK;
    case D3DRENDERSTATE_ALPHATESTENABLE: return value == 0 ? D3D_OK : DDERR_UNSUPPORTED;
    case D3DRENDERSTATE_SRCBLEND: return value == D3DBLEND_ONE ? D3D_OK : DDERR_UNSUPPORTED;
    case D3DRENDERSTATE_DESTBLEND:
        return Keep(value, value >= D3DBLEND_ZERO && value <= D3DBLEND_INVSRCCOLOR, &states.destBlend);
    case D3DRENDERSTATE_CULLMODE:
        if (value < D3DCULL_NONE || value > D3DCULL_CCW) return D3DERR_INVALIDCALL;
        states.cull = value;
        return D3D_OK;
    case D3DRENDERSTATE_ZFUNC: return value == D3DCMP_LESSEQUAL ? D3D_OK : DDERR_UNSUPPORTED;
    case D3DRENDERSTATE_DITHERENABLE: states.dither = value != 0; return D3D_OK;
    case D3DRENDERSTATE_ALPHABLENDENABLE: states.alphaBlend = value != 0; return D3D_OK;
    case D3DRENDERSTATE_FOGENABLE:
    case D3DRENDERSTATE_SPECULARENABLE: return value == 0 ? D3D_OK : DDERR_UNSUPPORTED;
    case D3DRENDERSTATE_CLIPPING:    // clipping is always done
    case D3DRENDERSTATE_EXTENTS:     // no extents are kept
    case D3DRENDERSTATE_LOCALVIEWER: // only matters for specular lighting
        return D3D_OK;
    case D3DRENDERSTATE_LIGHTING: states.lighting = value != 0; return D3D_OK;
    case D3DRENDERSTATE_AMBIENT: states.ambient = value; return D3D_OK;
    case D3DRENDERSTATE_COLORVERTEX: states.colourVertex = value != 0; return D3D_OK;
    case D3DRENDERSTATE_NORMALIZENORMALS: states.normalize = value != 0; return D3D_OK;
    default: return D3DERR_INVALIDCALL;
    }
}

HRESULT SetTextureStageState(RenderStates& states, DWORD stage, DWORD state, DWORD value) {
    if (stage >= 8) return D3DERR_INVALIDCALL;
    if (stage != 0) return DDERR_UNSUPPORTED;  // one texture stage
    switch (state) {
    case D3DTSS_COLOROP: return value == Modulate ? D3D_OK : DDERR_UNSUPPORTED;
    case D3DTSS_COLORARG1: return value == ArgumentTexture ? D3D_OK : DDERR_UNSUPPORTED;
    case D3DTSS_COLORARG2: return value == ArgumentCurrent || value == ArgumentDiffuse ? D3D_OK : DDERR_UNSUPPORTED;
    case D3DTSS_ALPHAOP:
    case D3DTSS_ALPHAARG1:
    case D3DTSS_ALPHAARG2:   // alpha never reaches the picture: blending uses colours only
    case D3DTSS_BORDERCOLOR: // no border addressing
    case D3DTSS_MIPFILTER:   // textures have no mipmaps
        return D3D_OK;
    case D3DTSS_TEXCOORDINDEX: return value == 0 ? D3D_OK : DDERR_UNSUPPORTED;
    case D3DTSS_ADDRESS:
        if (!IsAddress(value)) return DDERR_UNSUPPORTED;
        states.addressU = states.addressV = value;
        return D3D_OK;
    case D3DTSS_ADDRESSU: return Keep(value, IsAddress(value), &states.addressU);
    case D3DTSS_ADDRESSV: return Keep(value, IsAddress(value), &states.addressV);
    case D3DTSS_MAGFILTER: return Keep(value, IsFilter(value), &states.magFilter);
    case D3DTSS_MINFILTER: return Keep(value, IsFilter(value), &states.minFilter);
    default: return D3DERR_INVALIDCALL;
    }
}

HRESULT ValidateLight(const D3DLIGHT7& light) {
    if (light.dltType == D3DLIGHT_SPOT) return DDERR_UNSUPPORTED;
    if (light.dltType != D3DLIGHT_POINT && light.dltType != D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
    if (light.dltType == D3DLIGHT_POINT) {
        // Negative or all-zero attenuation would divide by zero or light things with infinite power.
        if (!(light.dvAttenuation0 >= 0.0f) || !(light.dvAttenuation1 >= 0.0f) || !(light.dvAttenuation2 >= 0.0f))
            return D3DERR_INVALIDCALL;
        if (light.dvAttenuation0 == 0.0f && light.dvAttenuation1 == 0.0f && light.dvAttenuation2 == 0.0f)
            return D3DERR_INVALIDCALL;
        if (!(light.dvRange >= 0.0f)) return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT ValidateViewport(const D3DVIEWPORT7& port, DWORD targetWidth, DWORD targetHeight) {
    if ((uint64_t)port.dwX + port.dwWidth > targetWidth || (uint64_t)port.dwY + port.dwHeight > targetHeight)
        return D3DERR_INVALIDCALL;
    // Any depth range is taken: the mapping widens narrow ones and the depth test clamps to 0..1.
    return D3D_OK;
}

HRESULT LightSlots::Set(DWORD index, const D3DLIGHT7& light) {
    if (index >= MaxLightSlots) return D3DERR_INVALIDCALL;
    HRESULT result = ValidateLight(light);
    if (FAILED(result)) return result;
    if (index >= slots.size()) slots.resize(index + 1, LightSlot{D3DLIGHT7{}, false, false});
    slots[index].light = light;
    slots[index].set = true;
    return D3D_OK;
}

HRESULT LightSlots::Enable(DWORD index, bool enable) {
    if (index >= MaxLightSlots) return D3DERR_INVALIDCALL;
    if (index >= slots.size()) {
        if (!enable) return D3D_OK;
        slots.resize(index + 1, LightSlot{D3DLIGHT7{}, false, false});
    }
    LightSlot& slot = slots[index];
    if (enable && !slot.set) {
        slot.light = D3DLIGHT7{};
        slot.light.dltType = D3DLIGHT_DIRECTIONAL;
        slot.light.dcvDiffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 0.0f};
        slot.light.dvDirection = D3DVECTOR{0.0f, 0.0f, 1.0f};
        slot.set = true;
    }
    slot.enabled = enable;
    return D3D_OK;
}

}  // namespace ddraw
