// The hardware device: Direct3D 7 drawn by OpenGL, as Direct3D 7 programs see it, and the
// device table's record for it.
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "ddraw/com.h"
#include "ddraw/devicebase.h"
#include "ddraw/devicestate.h"
#include "ddraw/opengl/framebuffer.h"
#include "ddraw/opengl/glcontext.h"
#include "ddraw/opengl/glprobe.h"
#include "ddraw/opengl/programs.h"
#include "ddraw/opengl/streambuffer.h"
#include "ddraw/opengl/textures.h"
#include "ddraw/software/formats.h"
#include "ddraw/software/lighting.h"
#include "ddraw/software/vertexprocessing.h"

namespace opengl {

namespace {

using software::ColourFormat;
using software::VertexLayout;

// The software device's own limit on one draw.
constexpr DWORD MaxVertices = 1u << 20;
// Floats per light in the lights buffer: position or direction (w 1 for directional),
// diffuse, ambient, attenuation 0..2 and range.
constexpr size_t FloatsPerLight = 16;

struct Rect {
    int left, top, right, bottom;
};

bool Intersect(const Rect& a, const Rect& b, Rect* out) {
    out->left = std::max(a.left, b.left);
    out->top = std::max(a.top, b.top);
    out->right = std::min(a.right, b.right);
    out->bottom = std::min(a.bottom, b.bottom);
    return out->left < out->right && out->top < out->bottom;
}

// The source colour as a factor is the shaders' second output, which stays the unquantised
// colour on 16-bit targets.
GLenum BlendFactor(DWORD destBlend) {
    switch (destBlend) {
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC1_COLOR;
    default: return GL_ONE_MINUS_SRC1_COLOR;
    }
}

// The program key's name for a target layout.
int TargetCode(ColourFormat layout) {
    return layout == ColourFormat::R5G6B5 ? 1 : layout == ColourFormat::X1R5G5B5 ? 2 : 0;
}

class OpenGlDevice final : public ddraw::DeviceBase {
public:
    static OpenGlDevice* Create(IDirectDrawSurface7* renderTarget) {
        OpenGlDevice* device = new OpenGlDevice();
        if (FAILED(device->Bind(renderTarget))) {
            device->Release();
            return nullptr;
        }
        ddraw::SetRenderState(device->states, D3DRENDERSTATE_ZENABLE, device->depthSurface ? D3DZB_TRUE : D3DZB_FALSE);
        return device;
    }

    HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7 surface, DWORD) override { return Bind(surface); }

    HRESULT Clear(DWORD rectCount, LPD3DRECT rects, DWORD flags, D3DCOLOR colour, D3DVALUE z, DWORD) override;

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX matrix) override {
        if (!matrix) return DDERR_INVALIDPARAMS;
        switch (type) {
        case D3DTRANSFORMSTATE_WORLD: world = *matrix; break;
        case D3DTRANSFORMSTATE_VIEW: view = *matrix; lightsChanged = true; break;
        case D3DTRANSFORMSTATE_PROJECTION: projection = *matrix; break;
        default: return D3DERR_INVALIDCALL;
        }
        transformChanged = true;
        return D3D_OK;
    }
    HRESULT SetViewport(LPD3DVIEWPORT7 port) override {
        if (!port) return DDERR_INVALIDPARAMS;
        const SurfaceMemory* memory = SurfaceMemoryOf(target);
        if (!memory) return DDERR_SURFACELOST;
        HRESULT result = ddraw::ValidateViewport(*port, memory->width, memory->height);
        if (SUCCEEDED(result)) viewport = *port;
        return result;
    }
    HRESULT SetMaterial(LPD3DMATERIAL7 newMaterial) override {
        if (!newMaterial) return DDERR_INVALIDPARAMS;
        material = *newMaterial;
        return D3D_OK;
    }
    HRESULT SetLight(DWORD index, LPD3DLIGHT7 light) override {
        if (!light) return DDERR_INVALIDPARAMS;
        HRESULT result = lights.Set(index, *light);
        lightsChanged |= SUCCEEDED(result);
        return result;
    }
    HRESULT LightEnable(DWORD index, BOOL enable) override {
        HRESULT result = lights.Enable(index, enable != FALSE);
        lightsChanged |= SUCCEEDED(result);
        return result;
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        return ddraw::SetRenderState(states, state, value);
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) override {
        return ddraw::SetTextureStageState(states, stage, state, value);
    }

    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices, DWORD vertexCount,
                          DWORD) override {
        if (!inScene) return D3DERR_SCENE_NOT_IN_SCENE;
        return Draw(type, vertexFormat, static_cast<const uint8_t*>(vertices), vertexCount, nullptr, 0);
    }

    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE type, LPDIRECT3DVERTEXBUFFER7 vertexBuffer, DWORD startVertex,
                                   DWORD vertexCount, LPWORD indices, DWORD indexCount, DWORD) override {
        if (!inScene) return D3DERR_SCENE_NOT_IN_SCENE;
        if (!vertexBuffer) return DDERR_INVALIDPARAMS;
        DWORD vertexFormat = 0, bufferCount = 0;
        const uint8_t* memory = (const uint8_t*)VertexBufferMemoryOf(vertexBuffer, &vertexFormat, &bufferCount);
        VertexLayout layout;
        if (!memory || !software::DescribeVertexFormat(vertexFormat, &layout)) return DDERR_INVALIDPARAMS;
        if ((uint64_t)startVertex + vertexCount > bufferCount) return DDERR_INVALIDPARAMS;
        if (!indices) return indexCount ? D3DERR_INVALIDCALL : D3D_OK;
        for (DWORD i = 0; i < indexCount; ++i)
            if (indices[i] >= vertexCount) return D3DERR_INVALIDCALL;
        return Draw(type, vertexFormat, memory + (size_t)startVertex * layout.stride, vertexCount, indices, indexCount);
    }

    HRESULT SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 surface) override {
        if (stage >= 8) return DDERR_INVALIDPARAMS;
        if (stage != 0) return surface ? DDERR_UNSUPPORTED : D3D_OK;  // one texture stage
        if (surface && !SurfaceMemoryOf(surface)) return DDERR_INVALIDPARAMS;
        if (surface && !IsTextureSurface(surface)) surface = nullptr;  // taken, and drawn untextured
        if (surface) {
            const SurfaceMemory* memory = SurfaceMemoryOf(surface);
            if (software::ColourFormatOf(memory->format) == ColourFormat::Unsupported) return DDERR_INVALIDPIXELFORMAT;
            if (!software::IsUsableColourSurface(*memory, MaxTextureSide)) return DDERR_INVALIDPARAMS;
        }
        ddraw::Replace(texture, surface);
        return D3D_OK;
    }

private:
    OpenGlDevice()
        : DeviceBase(openglDeviceRecord),
          viewport{}, material{}, vertices(GL_ARRAY_BUFFER), indices(GL_ELEMENT_ARRAY_BUFFER) {
        D3DMATRIX identity{};
        identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
        world = view = projection = identity;
        glGenVertexArrays(1, &vertexArray);
        glGenBuffers(1, &lightBuffer);
        glGenTextures(1, &lightTexture);
    }
    ~OpenGlDevice() override {
        if (MakeDeviceContextCurrent()) {
            glDeleteVertexArrays(1, &vertexArray);
            glDeleteBuffers(1, &lightBuffer);
            glDeleteTextures(1, &lightTexture);
        }
    }

    // Makes surface the render target, with the z-buffer attached to it at this moment; the
    // viewport then covers the whole target.
    HRESULT Bind(IDirectDrawSurface7* surface) {
        IDirectDrawSurface7* depth = nullptr;
        const HRESULT usable = software::CheckRenderTarget(surface, &depth);
        if (FAILED(usable)) return usable;
        SurfaceMemory* memory = SurfaceMemoryOf(surface);
        SurfaceMemory* depthMemory = depth ? SurfaceMemoryOf(depth) : nullptr;
        // GL keeps depth exactly the size of the picture.
        if (depthMemory && (depthMemory->width != memory->width || depthMemory->height != memory->height))
            return DDERR_UNSUPPORTED;
        if (!MakeDeviceContextCurrent()) return DDERR_GENERIC;
        if (!framebuffer.Attach(memory, depthMemory)) return DDERR_SURFACEBUSY;
        viewport = D3DVIEWPORT7{0, 0, memory->width, memory->height, 0.0f, 1.0f};
        ddraw::Replace(target, surface);
        ddraw::Replace(depthSurface, depth);
        return D3D_OK;
    }

    HRESULT Draw(D3DPRIMITIVETYPE type, DWORD vertexFormat, const uint8_t* data, DWORD vertexCount,
                 const WORD* indexData, DWORD indexCount);
    HRESULT CheckSurfaces(bool useDepth) const;
    void UploadLights();
    void ApplyFixedState(const SurfaceMemory& colour, bool depthTest, bool transformed);

    ddraw::RenderStates states;
    ddraw::LightSlots lights;
    D3DMATRIX world, view, projection;
    D3DVIEWPORT7 viewport;
    D3DMATERIAL7 material;

    Framebuffer framebuffer;
    StreamBuffer vertices, indices;
    GLuint vertexArray = 0;
    GLuint lightBuffer = 0, lightTexture = 0;
    size_t lightCapacity = 0;  // bytes of lightBuffer
    GLint lightCount = 0;
    bool lightsChanged = true;
    bool transformChanged = true;
    software::VertexTransform transform;
    // Per draw, kept between draws so the frame loop allocates nothing.
    std::vector<float> lightData;
};

HRESULT OpenGlDevice::CheckSurfaces(bool useDepth) const {
    const SurfaceMemory* colour = SurfaceMemoryOf(target);
    if (!colour || (depthSurface && !SurfaceMemoryOf(depthSurface)) || (texture && !SurfaceMemoryOf(texture)))
        return DDERR_SURFACELOST;
    if (!software::IsUsableColourSurface(*colour, MaxRenderTargetSide)) return D3DERR_INVALIDCALL;
    if (useDepth && depthSurface && !software::IsUsableDepthSurface(*SurfaceMemoryOf(depthSurface)))
        return D3DERR_INVALIDCALL;
    if (texture && !software::IsUsableColourSurface(*SurfaceMemoryOf(texture), MaxTextureSide))
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT OpenGlDevice::Clear(DWORD rectCount, LPD3DRECT rects, DWORD flags, D3DCOLOR colour, D3DVALUE z, DWORD) {
    HRESULT result = CheckSurfaces(false);
    if (FAILED(result)) return result;
    if (flags & ~(DWORD)(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) return D3DERR_INVALIDCALL;
    if (!rectCount && rects) return D3D_OK;  // a list of no rectangles clears nothing
    const bool clearDepth = flags & D3DCLEAR_ZBUFFER;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthSurface) return D3DERR_ZBUFFER_NOTPRESENT;
    if (flags & D3DCLEAR_STENCIL) return D3DERR_STENCILBUFFER_NOTPRESENT;  // no depth format has stencil bits
    if (!rects) rectCount = 0;  // a count without rectangles clears the whole viewport
    if (!MakeDeviceContextCurrent()) return DDERR_GENERIC;
    if (!(z >= 0.0f)) z = 0.0f;  // NaN too
    if (z > 1.0f) z = 1.0f;

    const SurfaceMemory& memory = *SurfaceMemoryOf(target);
    // A clear of the whole target needs none of the memory's picture (the show starts each frame
    // so, after a flip changed the memory).
    const bool everything = rectCount == 0 && viewport.dwX == 0 && viewport.dwY == 0 && viewport.dwWidth >= memory.width &&
                       viewport.dwHeight >= memory.height;
    framebuffer.Use(everything && (flags & D3DCLEAR_TARGET), everything && clearDepth);
    // A 16-bit target keeps the cleared colour's high bits, as the software device does.
    const float r = (colour >> 16) & 255, g = (colour >> 8) & 255, b = colour & 255;
    switch (software::ColourFormatOf(memory.format)) {
    case ColourFormat::R5G6B5:
        glClearColor(std::floor(r / 8) / 31, std::floor(g / 4) / 63, std::floor(b / 8) / 31, 0.0f);
        break;
    case ColourFormat::X1R5G5B5:
        glClearColor(std::floor(r / 8) / 31, std::floor(g / 8) / 31, std::floor(b / 8) / 31, 0.0f);
        break;
    default: glClearColor(r / 255, g / 255, b / 255, 0.0f); break;
    }
    glClearDepth(z);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glEnable(GL_SCISSOR_TEST);
    const GLbitfield buffers = ((flags & D3DCLEAR_TARGET) ? GL_COLOR_BUFFER_BIT : 0) | (clearDepth ? GL_DEPTH_BUFFER_BIT : 0);
    const int height = (int)memory.height;
    const Rect whole{0, 0, (int)memory.width, height};
    const Rect wanted{(int)std::min<DWORD>(viewport.dwX, memory.width), (int)std::min<DWORD>(viewport.dwY, memory.height),
                      (int)std::min<uint64_t>((uint64_t)viewport.dwX + viewport.dwWidth, memory.width),
                      (int)std::min<uint64_t>((uint64_t)viewport.dwY + viewport.dwHeight, memory.height)};
    Rect port;
    if (!Intersect(whole, wanted, &port)) return D3D_OK;
    for (DWORD i = 0; i < (rectCount ? rectCount : 1); ++i) {
        Rect area = port;
        if (rectCount && !Intersect(port, Rect{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2}, &area)) continue;
        glScissor(area.left, area.top, area.right - area.left, area.bottom - area.top);
        if (buffers) glClear(buffers);
    }
    if (buffers) framebuffer.Changed(clearDepth);
    return D3D_OK;
}

void OpenGlDevice::UploadLights() {
    lightData.clear();
    lightCount = 0;
    for (const ddraw::LightSlot& slot : lights.All()) {
        if (!slot.enabled) continue;
        software::PreparedLight light;
        software::PrepareLight(slot.light, view, &light);
        const float values[FloatsPerLight] = {light.x,          light.y,          light.z,          light.directional ? 1.0f : 0.0f,
                                              light.diffuse[0], light.diffuse[1], light.diffuse[2], 0.0f,
                                              light.ambient[0], light.ambient[1], light.ambient[2], 0.0f,
                                              light.attenuation0, light.attenuation1, light.attenuation2, light.range};
        lightData.insert(lightData.end(), values, values + FloatsPerLight);
        ++lightCount;
    }
    const size_t bytes = std::max<size_t>(lightData.size() * sizeof(float), 16 * sizeof(float));
    glBindBuffer(GL_TEXTURE_BUFFER, lightBuffer);
    if (bytes > lightCapacity) lightCapacity = std::max(bytes, lightCapacity * 2);
    // A fresh store each time, so no earlier draw still reading the lights is waited for.
    glBufferData(GL_TEXTURE_BUFFER, (GLsizeiptr)lightCapacity, nullptr, GL_STREAM_DRAW);
    if (!lightData.empty()) glBufferSubData(GL_TEXTURE_BUFFER, 0, (GLsizeiptr)(lightData.size() * sizeof(float)), lightData.data());
    glBindTexture(GL_TEXTURE_BUFFER, lightTexture);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, lightBuffer);
    lightsChanged = false;
}

void OpenGlDevice::ApplyFixedState(const SurfaceMemory& colour, bool depthTest, bool transformed) {
    const int height = (int)colour.height;
    glViewport(0, 0, (GLsizei)colour.width, height);
    const Rect whole{0, 0, (int)colour.width, height};
    const Rect wanted{(int)std::min<DWORD>(viewport.dwX, colour.width), (int)std::min<DWORD>(viewport.dwY, colour.height),
                      (int)std::min<uint64_t>((uint64_t)viewport.dwX + viewport.dwWidth, colour.width),
                      (int)std::min<uint64_t>((uint64_t)viewport.dwY + viewport.dwHeight, colour.height)};
    Rect port;
    if (!Intersect(whole, wanted, &port)) port = Rect{0, 0, 0, 0};
    glEnable(GL_SCISSOR_TEST);
    glScissor(port.left, port.top, port.right - port.left, port.bottom - port.top);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (depthTest) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(states.zWrite ? GL_TRUE : GL_FALSE);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    // Pre-transformed depths are used as given, clamped rather than clipped; the others are
    // mapped into the viewport's range by the shaders.
    if (transformed)
        glEnable(GL_DEPTH_CLAMP);
    else
        glDisable(GL_DEPTH_CLAMP);
    glDepthRange(0.0, 1.0);
    if (states.alphaBlend && states.destBlend != D3DBLEND_ZERO) {
        glEnable(GL_BLEND);
        glBlendEquation(GL_FUNC_ADD);
        glBlendFuncSeparate(GL_ONE, BlendFactor(states.destBlend), GL_ZERO, GL_ZERO);
    } else {
        glDisable(GL_BLEND);
    }
    // Rows run down as in Direct3D, so GL, counting them upwards, sees every winding reversed:
    // its counter-clockwise is Direct3D's clockwise.
    glFrontFace(GL_CCW);
    if (states.cull == D3DCULL_NONE) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        glCullFace(states.cull == D3DCULL_CCW ? GL_BACK : GL_FRONT);
    }
}

HRESULT OpenGlDevice::Draw(D3DPRIMITIVETYPE type, DWORD vertexFormat, const uint8_t* data, DWORD vertexCount,
                           const WORD* indexData, DWORD indexCount) {
    if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN) return D3DERR_INVALIDCALL;
    if (type != D3DPT_TRIANGLELIST) return DDERR_UNSUPPORTED;
    VertexLayout layout;
    if (!software::DescribeVertexFormat(vertexFormat, &layout)) return D3DERR_INVALIDCALL;
    if (vertexCount > MaxVertices || (vertexCount && !data)) return D3DERR_INVALIDCALL;
    HRESULT result = CheckSurfaces(states.zEnable);
    if (FAILED(result)) return result;
    const DWORD triangles = (indexData ? indexCount : vertexCount) / 3;
    if (!triangles) return D3D_OK;
    if (!MakeDeviceContextCurrent()) return DDERR_GENERIC;

    SurfaceMemory* textureMemory = texture ? SurfaceMemoryOf(texture) : nullptr;
    ProgramKey key{};
    key.transformed = layout.transformed;
    key.normals = layout.normal >= 0;
    key.diffuse = layout.diffuse >= 0;
    key.lighting = states.lighting;
    key.colourVertex = states.colourVertex;
    key.normalize = states.normalize;
    key.textured = textureMemory != nullptr;
    key.perspective = states.perspective;
    const SurfaceMemory& colour = *SurfaceMemoryOf(target);
    key.target = TargetCode(software::ColourFormatOf(colour.format));
    key.dither = states.dither;
    key.blended = states.alphaBlend && states.destBlend != D3DBLEND_ZERO;
    const Program* program = ProgramFor(key);
    if (!program) return DDERR_GENERIC;

    const bool depthTest = states.zEnable && depthSurface;
    framebuffer.Use();
    ApplyFixedState(colour, depthTest, layout.transformed);
    glUseProgram(program->name);
    glUniform4f(program->screenToClip, 2.0f / colour.width, 2.0f / colour.height, 1.0f / colour.width - 1.0f,
                1.0f / colour.height - 1.0f);
    if (!layout.transformed) {
        if (transformChanged) {
            software::PrepareTransform(world, view, projection, &transform);
            transformChanged = false;
        }
        glUniformMatrix4fv(program->worldViewProjection, 1, GL_FALSE, &transform.worldViewProjection._11);
        glUniform4f(program->viewportMap, (float)viewport.dwX, (float)viewport.dwY, viewport.dwWidth * 0.5f,
                    viewport.dwHeight * 0.5f);
        glUniform2f(program->depthMap, viewport.dvMinZ, ViewportMaxZ(viewport) - viewport.dvMinZ);
        if (states.lighting) {
            if (lightsChanged) UploadLights();
            software::LightingSetup lighting;
            software::PrepareLighting(material, states.ambient, &lighting);
            glUniformMatrix4fv(program->worldView, 1, GL_FALSE, &transform.worldView._11);
            glUniformMatrix3fv(program->normalMatrix, 1, GL_FALSE, &transform.normalMatrix[0][0]);
            glUniform3fv(program->base, 1, lighting.base);
            glUniform3fv(program->materialDiffuse, 1, lighting.materialDiffuse);
            glUniform3fv(program->materialAmbient, 1, lighting.materialAmbient);
            glUniform1i(program->lightCount, lightCount);
            glActiveTexture(GL_TEXTURE0 + LightsUnit);
            glBindTexture(GL_TEXTURE_BUFFER, lightTexture);
        }
    }
    if (textureMemory) {
        const GLuint name = MirroredTexture(*textureMemory);
        glActiveTexture(GL_TEXTURE0 + PictureUnit);
        glBindTexture(GL_TEXTURE_2D, name);
        glBindSampler(PictureUnit, SamplerFor(states.magFilter, states.minFilter, states.addressU, states.addressV));
    }

    glBindVertexArray(vertexArray);
    const size_t base = vertices.Append(data, (size_t)vertexCount * layout.stride);
    const GLsizei stride = (GLsizei)layout.stride;
    auto at = [base](int offset) { return reinterpret_cast<const void*>(base + (size_t)offset); };
    glEnableVertexAttribArray(PositionAttribute);
    glVertexAttribPointer(PositionAttribute, layout.transformed ? 4 : 3, GL_FLOAT, GL_FALSE, stride, at(0));
    const std::pair<Attribute, int> optional[] = {
        {NormalAttribute, layout.normal}, {DiffuseAttribute, layout.diffuse}, {TexCoordAttribute, layout.texture}};
    for (const auto& [attribute, offset] : optional) {
        if (offset < 0) {
            glDisableVertexAttribArray(attribute);
            continue;
        }
        glEnableVertexAttribArray(attribute);
        if (attribute == DiffuseAttribute)
            glVertexAttribPointer(attribute, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at(offset));
        else
            glVertexAttribPointer(attribute, attribute == NormalAttribute ? 3 : 2, GL_FLOAT, GL_FALSE, stride, at(offset));
    }
    // A missing texture co-ordinate reads as (0, 0).
    if (layout.texture < 0) glVertexAttrib4f(TexCoordAttribute, 0.0f, 0.0f, 0.0f, 1.0f);
    if (indexData) {
        const size_t offset = indices.Append(indexData, (size_t)triangles * 3 * sizeof(WORD));
        glDrawElements(GL_TRIANGLES, (GLsizei)(triangles * 3), GL_UNSIGNED_SHORT, reinterpret_cast<const void*>(offset));
    } else {
        glDrawArrays(GL_TRIANGLES, 0, (GLsizei)(triangles * 3));
    }
    framebuffer.Changed(depthTest && states.zWrite);
    return D3D_OK;
}

// The software device's description, as a hardware rasteriser.
void DescribeOpenGlDevice(D3DDEVICEDESC7* description) {
    softwareDeviceRecord.describe(description);
    description->dwDevCaps |= D3DDEVCAPS_HWRASTERIZATION;
    description->deviceGUID = IID_IDirect3DHALDevice;
}

IDirect3DDevice7* CreateOpenGlDevice(IDirect3D7*, IDirectDrawSurface7* renderTarget) {
    ChooseDeviceContext(CooperativeWindowOf(renderTarget));
    if (!MakeDeviceContextCurrent()) return nullptr;
    return OpenGlDevice::Create(renderTarget);
}

// Offered first only where OpenGL runs on a GPU: on a CPU renderer the software device is the
// faster of the two. Asked once, by the probe program where it stands beside this one (see
// glprobe.h), else here.
DeviceAvailability ProbeOpenGl() {
    static const DeviceAvailability availability = [] {
        DeviceAvailability answer;
        return AskProbeProgram(&answer) ? answer : ProbeHere();
    }();
    return availability;
}

}  // namespace

}  // namespace opengl

extern const DeviceDriverRecord openglDeviceRecord = {
    "Direct3D HAL (OpenGL)",
    "Direct3D HAL drawn by OpenGL",
    &IID_IDirect3DHALDevice,
    opengl::DescribeOpenGlDevice,
    software::softwareTextureFormats,
    software::softwareZBufferFormats,
    opengl::CreateOpenGlDevice,
    opengl::ProbeOpenGl,
};
