// Vertex processing: reads vertices of a flexible vertex format, transforms them by
// world x view x projection (row vectors), lights them, and maps the ones that need no
// clipping to the viewport.
#pragma once

#include <cstdint>

#include <d3d.h>

#include "ddraw/software/lighting.h"

namespace software {

// A vertex in clip space; colour channels 0..255.
struct ClipVertex {
    float x, y, z, w;
    float r, g, b;
    float u, v;
};

// A vertex in screen space: pixels with centres on integers, depth 0..1, q = 1/w; colour 0..255;
// s, t = u*q, v*q for perspective-correct texturing, u, v for affine texturing.
struct ScreenVertex {
    float x, y, z, q;
    float r, g, b;
    float s, t;
    float u, v;
};

struct VertexLayout {
    DWORD stride;
    bool transformed;  // XYZRHW
    int normal;        // byte offsets, -1 when absent
    int diffuse;
    int texture;
};

// False for formats the device does not draw.
bool DescribeVertexFormat(DWORD vertexFormat, VertexLayout* layout);

struct ViewportMapping {
    float x, y, halfWidth, halfHeight, minZ, depthRange;
};

struct VertexTransform {
    D3DMATRIX worldView;
    D3DMATRIX worldViewProjection;
    float normalMatrix[3][3];  // upper 3x3 of worldView's inverse transpose
    bool normalize;
    bool lighting;
    bool colourVertex;
    LightingSetup lightingSetup;
    ViewportMapping viewport;
};

D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b);
void PrepareTransform(const D3DMATRIX& world, const D3DMATRIX& view, const D3DMATRIX& projection,
                      VertexTransform* transform);

// Clip-space outside bits; a vertex with any set needs clipping before screen mapping.
uint8_t ClipOutcode(const ClipVertex& v);
// Screen-space outside bits for pre-transformed vertices (the fixed-point range of the rasteriser).
uint8_t ScreenOutcode(const ScreenVertex& v);

ScreenVertex MapToScreen(const ClipVertex& v, const ViewportMapping& viewport);

// Untransformed vertices: fills clip[i], outcodes[i] and, for vertices with outcode 0, screen[i].
void ProcessVertices(const VertexTransform& transform, const VertexLayout& layout, const uint8_t* data,
                     DWORD count, ClipVertex* clip, ScreenVertex* screen, uint8_t* outcodes);
// Pre-transformed vertices: fills screen[i] and outcodes[i].
void ProcessTransformedVertices(const VertexLayout& layout, const uint8_t* data, DWORD count,
                                ScreenVertex* screen, uint8_t* outcodes);

}  // namespace software
