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

Renderer::Renderer(InstructionSet instructionSet, int threads)
    : instructionSet(instructionSet),
      queue(threads > 1 ? std::make_unique<DrawQueue>(threads) : nullptr),
      world(Identity()), view(Identity()), projection(Identity()), viewport{}, material{} {
    std::memset(&transform, 0, sizeof transform);
    std::memset(&setup, 0, sizeof setup);
    std::memset(&context, 0, sizeof context);
}

Renderer::~Renderer() { Finish(); }

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
    if (flags & ~static_cast<DWORD>(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) return D3DERR_INVALIDCALL;
    if (!rectCount && rects) return D3D_OK;  // a list of no rectangles clears nothing
    if (!surfaces.colour || !IsUsableColourSurface(*surfaces.colour, MaxRenderTargetSide)) return D3DERR_INVALIDCALL;
    const SurfaceMemory& target = *surfaces.colour;
    const bool clearDepth = flags & D3DCLEAR_ZBUFFER;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !surfaces.depth) return D3DERR_ZBUFFER_NOTPRESENT;
    if (flags & D3DCLEAR_STENCIL) return D3DERR_STENCILBUFFER_NOTPRESENT;  // no depth format has stencil bits
    if (clearDepth && (!IsUsableDepthSurface(*surfaces.depth) || surfaces.depth->width < target.width ||
                       surfaces.depth->height < target.height))
        return D3DERR_INVALIDCALL;
    if (!(z >= 0.0f)) z = 0.0f;  // NaN too
    if (z > 1.0f) z = 1.0f;

    if (flags & D3DCLEAR_TARGET) litColumns.Drawing(target);
    ColourFormat format = ColourFormatOf(target.format);
    uint32_t packed = PackClearColour(format, colour);
    DepthFormat depthFormat = clearDepth ? DepthFormatOf(surfaces.depth->format) : DepthFormat::Unsupported;
    uint32_t depthValue = depthFormat == DepthFormat::Z16 ? static_cast<uint32_t>(std::floor(z * 65535.0 + 0.5))
                                                          : static_cast<uint32_t>(std::floor(z * 4294967295.0 + 0.5));
    Scissor port = ViewportRect(viewport, target);
    if (!rects) rectCount = 0;  // a count without rectangles clears the whole viewport
    for (DWORD i = 0; i < (rectCount ? rectCount : 1); ++i) {
        Scissor rect = port;
        if (rectCount) {
            Scissor wanted{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2};
            if (!Intersect(port, wanted, &rect)) continue;
        }
        if (rect.left >= rect.right || rect.top >= rect.bottom) continue;
        if (flags & D3DCLEAR_TARGET)
            DrawFill(Fill{static_cast<uint8_t*>(target.pixels), target.pitch, BytesPerPixel(format), packed, rect});
        if (clearDepth)
            DrawFill(Fill{static_cast<uint8_t*>(surfaces.depth->pixels), surfaces.depth->pitch,
                      depthFormat == DepthFormat::Z16 ? 2 : 4, depthValue, rect});
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

    litColumns.Drawing(target);
    context.colour = static_cast<uint8_t*>(target.pixels);
    context.colourPitch = target.pitch;
    DepthFormat depthFormat = depth ? DepthFormatOf(depth->format) : DepthFormat::Unsupported;
    context.depth = depth ? static_cast<uint8_t*>(depth->pixels) : nullptr;
    context.depthPitch = depth ? depth->pitch : 0;
    setup.lanes.depth = SelectDepthStage(instructionSet, depthFormat, depth != nullptr, states.zWrite);
    setup.scalar.depth = SelectDepthStage(InstructionSet::Scalar, depthFormat, depth != nullptr, states.zWrite);
    setup.depthPlaneInLanes = depthFormat == DepthFormat::Z16 && setup.lanes.depth != setup.scalar.depth;
    // Batches are made only of triangles whose planes fit the lanes, the depth plane included.
    context.batchDepth = SelectBatchDepthStage(instructionSet, depthFormat, depth != nullptr, states.zWrite);
    const Blend blend = ToBlend(states.alphaBlend, states.destBlend);
    context.stages.output = SelectOutputStage(instructionSet, ColourFormatOf(target.format), states.dither, blend);
    context.shortStages.output =
        SelectOutputStage(InstructionSet::Scalar, ColourFormatOf(target.format), states.dither, blend);
    context.batchOutput = SelectBatchOutputStage(instructionSet, ColourFormatOf(target.format), states.dither, blend);

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
        context.litColumns = litColumns.Find(*texture);
        if (!context.litColumns) {
            // Drawing under way may still read the columns found before, or write the texture.
            Finish();
            context.litColumns = litColumns.Make(*texture, format);
        }
        const Address addressU = ToAddress(states.addressU), addressV = ToAddress(states.addressV);
        auto select = [&](InstructionSet set, DWORD filter) {
            return SelectShadeStage(set, format, ToFilter(filter), addressU, addressV, states.perspective);
        };
        auto selectBatch = [&](InstructionSet set, DWORD filter) {
            return SelectBatchShadeStage(set, format, ToFilter(filter), addressU, addressV, states.perspective);
        };
        const InstructionSet shading = TextureFitsLanes(context.textureWidth, context.textureHeight, context.texelPitch)
                                           ? instructionSet
                                           : InstructionSet::Scalar;
        setup.lanes.magnify = select(shading, states.magFilter);
        setup.lanes.minify = select(shading, states.minFilter);
        setup.scalar.magnify = select(InstructionSet::Scalar, states.magFilter);
        setup.scalar.minify = select(InstructionSet::Scalar, states.minFilter);
        setup.lanes.batchMagnify = selectBatch(shading, states.magFilter);
        setup.lanes.batchMinify = selectBatch(shading, states.minFilter);
        setup.scalar.batchMagnify = setup.scalar.batchMinify = nullptr;
        setup.filterPerTriangle = states.magFilter != states.minFilter;
        setup.texelsPerUnitArea = static_cast<double>(texture->width) * texture->height;
    } else {
        context.texels = nullptr;
        context.litColumns = nullptr;
        setup.lanes.magnify = setup.lanes.minify = SelectShadeStage(
            instructionSet, ColourFormat::Unsupported, Filter::Point, Address::Wrap, Address::Wrap, false);
        setup.scalar.magnify = setup.scalar.minify = SelectShadeStage(
            InstructionSet::Scalar, ColourFormat::Unsupported, Filter::Point, Address::Wrap, Address::Wrap, false);
        setup.lanes.batchMagnify = setup.lanes.batchMinify = SelectBatchShadeStage(
            instructionSet, ColourFormat::Unsupported, Filter::Point, Address::Wrap, Address::Wrap, false);
        setup.scalar.batchMagnify = setup.scalar.batchMinify = nullptr;
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
                                             ViewportMaxZ(viewport) - viewport.dvMinZ};
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

void Renderer::Finish() {
    if (queue) queue->Finish();
}

void Renderer::DrawFill(const Fill& fill) {
    if (queue)
        queue->AddFill(fill);
    else
        FillRows(fill, AllRows);
}

void Renderer::SetUpAndDraw(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
    TriangleCorners corners;
    if (!SetUpTriangle(setup, context, a, b, c, &corners)) return;
    if (queue)
        queue->AddTriangle(context, corners);
    else
        RasteriseTriangle(context, corners, AllRows);
}

void Renderer::DrawTriangle(uint32_t i0, uint32_t i1, uint32_t i2, bool transformed) {
    uint8_t c0 = outcodes[i0], c1 = outcodes[i1], c2 = outcodes[i2];
    if (!(c0 | c1 | c2)) {
        SetUpAndDraw(screenVertices[i0], screenVertices[i1], screenVertices[i2]);
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
    for (int i = 1; i + 1 < count; ++i) SetUpAndDraw(polygon[0], polygon[i], polygon[i + 1]);
}

}  // namespace software
