// The software pipeline without COM: render state, transforms, lights and material, and the
// draw and clear operations on plain surface memory. The IDirect3DDevice7 object wraps it;
// tests drive it directly.
#pragma once

#include <memory>
#include <vector>

#include "ddraw/devicestate.h"
#include "ddraw/software/clipping.h"
#include "ddraw/software/drawqueue.h"
#include "ddraw/software/instructionset.h"
#include "ddraw/software/litcolumns.h"
#include "ddraw/software/setup.h"

namespace software {

// The memory a draw or clear works on, resolved by the caller; depth and texture may be null.
struct Surfaces {
    const SurfaceMemory* colour;
    const SurfaceMemory* depth;
    const SurfaceMemory* texture;
};

class Renderer {
public:
    // threads: how many threads draw (see DrawQueue), the calling thread among them: it sets
    // triangles up and draws while it waits for the others; 1 draws on the calling thread, at once.
    explicit Renderer(InstructionSet instructionSet = ChosenInstructionSet(), int threads = DrawingThreads());
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    HRESULT SetRenderState(DWORD state, DWORD value);
    HRESULT SetTextureStageState(DWORD stage, DWORD state, DWORD value);
    HRESULT SetTransform(DWORD which, const D3DMATRIX& matrix);
    // The viewport must lie inside a target of the given size.
    HRESULT SetViewport(const D3DVIEWPORT7& viewport, DWORD targetWidth, DWORD targetHeight);
    const D3DVIEWPORT7& Viewport() const { return viewport; }
    void SetMaterial(const D3DMATERIAL7& material);
    HRESULT SetLight(DWORD index, const D3DLIGHT7& light);
    // Enabling a slot that was never set gives it Direct3D's default white directional light.
    HRESULT LightEnable(DWORD index, bool enable);

    // Clears and draws may still be under way in other threads when these return; Finish
    // returns when they are all in memory. The surfaces' memory must stay until then.
    HRESULT Clear(const Surfaces& surfaces, DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR colour,
                  float z);
    HRESULT DrawPrimitive(const Surfaces& surfaces, D3DPRIMITIVETYPE type, DWORD vertexFormat, const void* vertices,
                          DWORD vertexCount);
    // Indices count from the first of the vertexCount vertices given.
    HRESULT DrawIndexedPrimitive(const Surfaces& surfaces, D3DPRIMITIVETYPE type, DWORD vertexFormat,
                                 const void* vertices, DWORD vertexCount, const WORD* indices, DWORD indexCount);
    void Finish();
    // Whether drawing is still under way.
    bool Pending() const { return queue && queue->Pending(); }

private:
    // indices null: consecutive vertices.
    HRESULT Draw(const Surfaces& surfaces, D3DPRIMITIVETYPE type, DWORD vertexFormat, const void* vertices,
                 DWORD vertexCount, const WORD* indices, DWORD indexCount);
    HRESULT PrepareDraw(const Surfaces& surfaces);
    void DrawTriangle(uint32_t i0, uint32_t i1, uint32_t i2, bool transformed);
    void SetUpAndDraw(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c);
    void DrawFill(const Fill& fill);

    const InstructionSet instructionSet;
    std::unique_ptr<DrawQueue> queue;  // null when one thread draws
    ddraw::RenderStates states;
    D3DMATRIX world, view, projection;
    D3DVIEWPORT7 viewport;
    D3DMATERIAL7 material;
    ddraw::LightSlots lights;

    // Per draw, kept between draws so the frame loop allocates nothing.
    std::vector<PreparedLight> preparedLights;
    std::vector<ClipVertex> clipVertices;
    std::vector<ScreenVertex> screenVertices;
    std::vector<uint8_t> outcodes;
    VertexTransform transform;
    TriangleSetup setup;
    SpanContext context;
    LitColumnsCache litColumns;
};

}  // namespace software
