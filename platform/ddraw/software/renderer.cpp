#include "ddraw/software/renderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace software {

namespace {

constexpr DWORD MaxVertices = 1u << 20;

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

Address ToAddress(DWORD value) {
    switch (value) {
    case D3DTADDRESS_MIRROR: return Address::Mirror;
    case D3DTADDRESS_CLAMP: return Address::Clamp;
    default: return Address::Wrap;
    }
}

Filter ToFilter(DWORD value) { return value == D3DTFG_LINEAR ? Filter::Linear : Filter::Point; }

Blend ToBlend(bool enabled, DWORD destBlend) {
    if (!enabled) return Blend::Replace;
    switch (destBlend) {
    case D3DBLEND_ONE: return Blend::Add;
    case D3DBLEND_SRCCOLOR: return Blend::AddTimesSource;
    case D3DBLEND_INVSRCCOLOR: return Blend::AddTimesInverseSource;
    default: return Blend::Replace;
    }
}

Cull ToCull(DWORD mode) {
    switch (mode) {
    case D3DCULL_CW: return Cull::Clockwise;
    case D3DCULL_CCW: return Cull::CounterClockwise;
    default: return Cull::None;
    }
}

uint32_t PackClearColour(ColourFormat format, D3DCOLOR colour) {
    uint32_t r = (colour >> 16) & 255, g = (colour >> 8) & 255, b = colour & 255;
    switch (format) {
    case ColourFormat::R5G6B5: return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    case ColourFormat::X1R5G5B5: return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    default: return colour & 0xFFFFFF;
    }
}

void FillRect(const SurfaceMemory& memory, int bytesPerPixel, uint32_t value, const Scissor& rect) {
    for (int y = rect.top; y < rect.bottom; ++y) {
        uint8_t* row = static_cast<uint8_t*>(memory.pixels) + static_cast<ptrdiff_t>(y) * memory.pitch;
        if (bytesPerPixel == 2) {
            uint16_t v = static_cast<uint16_t>(value);
            for (int x = rect.left; x < rect.right; ++x) std::memcpy(row + 2 * x, &v, 2);
        } else {
            for (int x = rect.left; x < rect.right; ++x) std::memcpy(row + 4 * x, &value, 4);
        }
    }
}

bool Intersect(const Scissor& a, const Scissor& b, Scissor* out) {
    out->left = std::max(a.left, b.left);
    out->top = std::max(a.top, b.top);
    out->right = std::min(a.right, b.right);
    out->bottom = std::min(a.bottom, b.bottom);
    return out->left < out->right && out->top < out->bottom;
}

Scissor ViewportRect(const D3DVIEWPORT7& viewport, const SurfaceMemory& target) {
    Scissor whole{0, 0, static_cast<int>(target.width), static_cast<int>(target.height)};
    auto limited = [](int64_t side) { return static_cast<int>(std::min<int64_t>(side, MaxRenderTargetSide)); };
    const int64_t right = static_cast<int64_t>(viewport.dwX) + viewport.dwWidth;
    const int64_t bottom = static_cast<int64_t>(viewport.dwY) + viewport.dwHeight;
    Scissor port{limited(viewport.dwX), limited(viewport.dwY), limited(right), limited(bottom)};
    Scissor result;
    if (!Intersect(whole, port, &result)) result = Scissor{0, 0, 0, 0};
    return result;
}

}  // namespace

Renderer::Renderer() : world(Identity()), view(Identity()), projection(Identity()), viewport{}, material{} {
    std::memset(&transform, 0, sizeof transform);
    std::memset(&setup, 0, sizeof setup);
    std::memset(&context, 0, sizeof context);
}

HRESULT Renderer::SetRenderState(DWORD state, DWORD value) { return ddraw::SetRenderState(states, state, value); }

HRESULT Renderer::SetTextureStageState(DWORD stage, DWORD state, DWORD value) {
    return ddraw::SetTextureStageState(states, stage, state, value);
}

HRESULT Renderer::SetTransform(DWORD which, const D3DMATRIX& matrix) {
    switch (which) {
    case D3DTRANSFORMSTATE_WORLD: world = matrix; return D3D_OK;
    case D3DTRANSFORMSTATE_VIEW: view = matrix; return D3D_OK;
    case D3DTRANSFORMSTATE_PROJECTION: projection = matrix; return D3D_OK;
    default: return D3DERR_INVALIDCALL;
    }
}

HRESULT Renderer::SetViewport(const D3DVIEWPORT7& port, DWORD targetWidth, DWORD targetHeight) {
    HRESULT result = ddraw::ValidateViewport(port, targetWidth, targetHeight);
    if (SUCCEEDED(result)) viewport = port;
    return result;
}

void Renderer::SetMaterial(const D3DMATERIAL7& m) { material = m; }

HRESULT Renderer::SetLight(DWORD index, const D3DLIGHT7& light) { return lights.Set(index, light); }

HRESULT Renderer::LightEnable(DWORD index, bool enable) { return lights.Enable(index, enable); }

HRESULT Renderer::Clear(const Surfaces& surfaces, DWORD rectCount, const D3DRECT* rects, DWORD flags,
                        D3DCOLOR colour, float z) {
    if (flags & ~static_cast<DWORD>(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) return D3DERR_INVALIDCALL;  // no stencil
    if (rectCount && !rects) return D3DERR_INVALIDCALL;
    if (!surfaces.colour || !IsUsableColourSurface(*surfaces.colour, MaxRenderTargetSide)) return D3DERR_INVALIDCALL;
    const SurfaceMemory& target = *surfaces.colour;
    const bool clearDepth = flags & D3DCLEAR_ZBUFFER;
    if (clearDepth && (!surfaces.depth || !IsUsableDepthSurface(*surfaces.depth) ||
                       surfaces.depth->width < target.width || surfaces.depth->height < target.height))
        return D3DERR_INVALIDCALL;
    if (!(z >= 0.0f)) z = 0.0f;  // NaN too
    if (z > 1.0f) z = 1.0f;

    ColourFormat format = ColourFormatOf(target.format);
    uint32_t packed = PackClearColour(format, colour);
    DepthFormat depthFormat = clearDepth ? DepthFormatOf(surfaces.depth->format) : DepthFormat::Unsupported;
    uint32_t depthValue = depthFormat == DepthFormat::Z16 ? static_cast<uint32_t>(std::floor(z * 65535.0 + 0.5))
                                                          : static_cast<uint32_t>(std::floor(z * 4294967295.0 + 0.5));
    Scissor port = ViewportRect(viewport, target);
    for (DWORD i = 0; i < (rectCount ? rectCount : 1); ++i) {
        Scissor rect = port;
        if (rectCount) {
            Scissor wanted{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2};
            if (!Intersect(port, wanted, &rect)) continue;
        }
        if (rect.left >= rect.right || rect.top >= rect.bottom) continue;
        if (flags & D3DCLEAR_TARGET) FillRect(target, BytesPerPixel(format), packed, rect);
        if (clearDepth) FillRect(*surfaces.depth, depthFormat == DepthFormat::Z16 ? 2 : 4, depthValue, rect);
    }
    return D3D_OK;
}

HRESULT Renderer::DrawPrimitive(const Surfaces& surfaces, D3DPRIMITIVETYPE type, DWORD vertexFormat,
                                const void* vertices, DWORD vertexCount) {
    return Draw(surfaces, type, vertexFormat, vertices, vertexCount, nullptr, 0);
}

HRESULT Renderer::DrawIndexedPrimitive(const Surfaces& surfaces, D3DPRIMITIVETYPE type, DWORD vertexFormat,
                                       const void* vertices, DWORD vertexCount, const WORD* indices,
                                       DWORD indexCount) {
    if (!indices) return indexCount ? D3DERR_INVALIDCALL : D3D_OK;
    for (DWORD i = 0; i < indexCount; ++i)
        if (indices[i] >= vertexCount) return D3DERR_INVALIDCALL;
    return Draw(surfaces, type, vertexFormat, vertices, vertexCount, indices, indexCount);
}

HRESULT Renderer::PrepareDraw(const Surfaces& surfaces) {
    if (!surfaces.colour) return D3DERR_INVALIDCALL;
    const SurfaceMemory& target = *surfaces.colour;
    if (ColourFormatOf(target.format) == ColourFormat::Unsupported) return DDERR_INVALIDPIXELFORMAT;
    if (!IsUsableColourSurface(target, MaxRenderTargetSide)) return D3DERR_INVALIDCALL;

    const SurfaceMemory* depth = states.zEnable ? surfaces.depth : nullptr;
    if (depth && (!IsUsableDepthSurface(*depth) || depth->width < target.width || depth->height < target.height))
        return D3DERR_INVALIDCALL;
    const SurfaceMemory* texture = surfaces.texture;
    if (texture && !IsUsableColourSurface(*texture, MaxTextureSide)) return D3DERR_INVALIDCALL;

    context.colour = static_cast<uint8_t*>(target.pixels);
    context.colourPitch = target.pitch;
    DepthFormat depthFormat = depth ? DepthFormatOf(depth->format) : DepthFormat::Unsupported;
    context.depth = depth ? static_cast<uint8_t*>(depth->pixels) : nullptr;
    context.depthPitch = depth ? depth->pitch : 0;
    context.depthStage = SelectDepthStage(depthFormat, depth != nullptr, states.zWrite);
    context.outputStage = SelectOutputStage(ColourFormatOf(target.format), states.dither,
                                            ToBlend(states.alphaBlend, states.destBlend));

    setup.scissor = ViewportRect(viewport, target);
    setup.cull = ToCull(states.cull);
    setup.perspective = states.perspective;
    setup.depthScale = depthFormat == DepthFormat::Z32 ? 4294967295.0 : 65535.0;
    setup.filterPerTriangle = false;
    if (texture) {
        ColourFormat format = ColourFormatOf(texture->format);
        context.texels = static_cast<const uint8_t*>(texture->pixels);
        context.texelPitch = texture->pitch;
        context.textureWidth = static_cast<int>(texture->width);
        context.textureHeight = static_cast<int>(texture->height);
        const Address addressU = ToAddress(states.addressU), addressV = ToAddress(states.addressV);
        setup.magnify = SelectShadeStage(format, ToFilter(states.magFilter), addressU, addressV, states.perspective);
        setup.minify = SelectShadeStage(format, ToFilter(states.minFilter), addressU, addressV, states.perspective);
        setup.filterPerTriangle = setup.magnify != setup.minify;
        setup.texelsPerUnitArea = static_cast<double>(texture->width) * texture->height;
        context.shadeStage = setup.magnify;
    } else {
        context.texels = nullptr;
        context.shadeStage = SelectShadeStage(ColourFormat::Unsupported, Filter::Point, Address::Wrap, Address::Wrap,
                                              false);
    }
    return D3D_OK;
}

HRESULT Renderer::Draw(const Surfaces& surfaces, D3DPRIMITIVETYPE type, DWORD vertexFormat, const void* vertices,
                       DWORD vertexCount, const WORD* indices, DWORD indexCount) {
    if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN) return D3DERR_INVALIDCALL;
    if (type != D3DPT_TRIANGLELIST) return DDERR_UNSUPPORTED;
    VertexLayout layout;
    if (!DescribeVertexFormat(vertexFormat, &layout)) return D3DERR_INVALIDCALL;
    if (vertexCount > MaxVertices || (vertexCount && !vertices)) return D3DERR_INVALIDCALL;
    HRESULT result = PrepareDraw(surfaces);
    if (FAILED(result)) return result;
    const DWORD triangles = (indices ? indexCount : vertexCount) / 3;
    if (!triangles) return D3D_OK;

    if (clipVertices.size() < vertexCount) {
        clipVertices.resize(vertexCount);
        screenVertices.resize(vertexCount);
        outcodes.resize(vertexCount);
    }
    const uint8_t* data = static_cast<const uint8_t*>(vertices);
    if (layout.transformed) {
        ProcessTransformedVertices(layout, data, vertexCount, screenVertices.data(), outcodes.data());
    } else {
        PrepareTransform(world, view, projection, &transform);
        transform.normalize = states.normalize;
        transform.lighting = states.lighting;
        transform.colourVertex = states.colourVertex;
        transform.viewport = ViewportMapping{static_cast<float>(viewport.dwX),
                                             static_cast<float>(viewport.dwY),
                                             static_cast<float>(viewport.dwWidth) * 0.5f,
                                             static_cast<float>(viewport.dwHeight) * 0.5f,
                                             viewport.dvMinZ,
                                             viewport.dvMaxZ - viewport.dvMinZ};
        if (states.lighting) {
            preparedLights.clear();
            for (const ddraw::LightSlot& slot : lights.All()) {
                if (!slot.enabled) continue;
                preparedLights.emplace_back();
                PrepareLight(slot.light, view, &preparedLights.back());
            }
            PrepareLighting(material, states.ambient, &transform.lightingSetup);
            transform.lightingSetup.lights = preparedLights.data();
            transform.lightingSetup.lightCount = static_cast<int>(preparedLights.size());
        }
        ProcessVertices(transform, layout, data, vertexCount, clipVertices.data(), screenVertices.data(),
                        outcodes.data());
    }
    for (DWORD t = 0; t < triangles; ++t) {
        if (indices)
            DrawTriangle(indices[3 * t], indices[3 * t + 1], indices[3 * t + 2], layout.transformed);
        else
            DrawTriangle(3 * t, 3 * t + 1, 3 * t + 2, layout.transformed);
    }
    return D3D_OK;
}

void Renderer::DrawTriangle(uint32_t i0, uint32_t i1, uint32_t i2, bool transformed) {
    uint8_t c0 = outcodes[i0], c1 = outcodes[i1], c2 = outcodes[i2];
    if (!(c0 | c1 | c2)) {
        SetUpTriangle(setup, context, screenVertices[i0], screenVertices[i1], screenVertices[i2]);
        return;
    }
    if (c0 & c1 & c2) return;  // wholly outside one plane
    ScreenVertex polygon[MaxClippedVertices];
    int count;
    if (transformed) {
        count = ClipScreenTriangle(screenVertices[i0], screenVertices[i1], screenVertices[i2], c0 | c1 | c2, polygon);
    } else {
        ClipVertex clipped[MaxClippedVertices];
        count = ClipTriangle(clipVertices[i0], clipVertices[i1], clipVertices[i2], c0 | c1 | c2, clipped);
        for (int i = 0; i < count; ++i) polygon[i] = MapToScreen(clipped[i], transform.viewport);
    }
    for (int i = 1; i + 1 < count; ++i) SetUpTriangle(setup, context, polygon[0], polygon[i], polygon[i + 1]);
}

}  // namespace software
