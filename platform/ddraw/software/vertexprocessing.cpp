#include "ddraw/software/vertexprocessing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ddraw/software/clipping.h"

namespace software {

bool DescribeVertexFormat(DWORD vertexFormat, VertexLayout* layout) {
    constexpr DWORD PositionMask = 0x00E;
    constexpr DWORD TextureCountMask = 0xF00;
    constexpr DWORD Known = PositionMask | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | TextureCountMask;
    if (vertexFormat & ~Known) return false;
    DWORD position = vertexFormat & PositionMask;
    if (position != D3DFVF_XYZ && position != D3DFVF_XYZRHW) return false;
    DWORD textures = (vertexFormat & TextureCountMask) >> 8;
    if (textures > 1) return false;
    layout->transformed = position == D3DFVF_XYZRHW;
    DWORD offset = layout->transformed ? 16 : 12;
    layout->normal = -1;
    if (vertexFormat & D3DFVF_NORMAL) {
        if (layout->transformed) return false;
        layout->normal = static_cast<int>(offset);
        offset += 12;
    }
    layout->diffuse = -1;
    if (vertexFormat & D3DFVF_DIFFUSE) {
        layout->diffuse = static_cast<int>(offset);
        offset += 4;
    }
    if (vertexFormat & D3DFVF_SPECULAR) offset += 4;  // specular lighting is never enabled
    layout->texture = -1;
    if (textures) {
        layout->texture = static_cast<int>(offset);
        offset += 8;
    }
    layout->stride = offset;
    return true;
}

D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b) {
    const float(*x)[4] = reinterpret_cast<const float(*)[4]>(&a);
    const float(*y)[4] = reinterpret_cast<const float(*)[4]>(&b);
    D3DMATRIX result;
    float(*r)[4] = reinterpret_cast<float(*)[4]>(&result);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r[i][j] = x[i][0] * y[0][j] + x[i][1] * y[1][j] + x[i][2] * y[2][j] + x[i][3] * y[3][j];
    return result;
}

namespace {

// Normals go through the upper 3x3 of the inverse transpose of the whole 4x4 matrix; for an
// affine matrix that is the inverse transpose of its upper 3x3. The 4x4 cofactors are expanded
// along the last column, so an affine matrix takes exactly the arithmetic of the 3x3 inverse.
void NormalMatrixOf(const D3DMATRIX& matrix, float out[3][3]) {
    const float(*m)[4] = reinterpret_cast<const float(*)[4]>(&matrix);
    double a[4][4];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) a[i][j] = m[i][j];
    // Products of two floats are exact in double.
    auto minor2 = [&a](int r0, int r1, int c0, int c1) { return a[r0][c0] * a[r1][c1] - a[r0][c1] * a[r1][c0]; };
    // Determinant of rows r0, r1, r2 and columns 0..2, expanded along the first of the rows.
    auto minor3 = [&a, &minor2](int r0, int r1, int r2) {
        return a[r0][0] * minor2(r1, r2, 1, 2) + a[r0][1] * minor2(r1, r2, 2, 0) + a[r0][2] * minor2(r1, r2, 0, 1);
    };
    double determinant =
        a[3][3] * minor3(0, 1, 2) - a[2][3] * minor3(0, 1, 3) + a[1][3] * minor3(0, 2, 3) - a[0][3] * minor3(1, 2, 3);
    // A singular transform flattens the object; its normals carry no light.
    bool usable = determinant != 0.0 && std::isfinite(determinant);
    for (int i = 0; i < 3; ++i) {
        const int r0 = i == 0 ? 1 : 0, r1 = i == 2 ? 1 : 2;  // the other two of rows 0..2, in order
        for (int j = 0; j < 3; ++j) {
            const int c0 = j == 0 ? 1 : 0, c1 = j == 2 ? 1 : 2;
            double cofactor = a[3][3] * minor2(r0, r1, c0, c1) - a[r1][3] * minor2(r0, 3, c0, c1) +
                              a[r0][3] * minor2(r1, 3, c0, c1);
            if ((i + j) & 1) cofactor = -cofactor;
            out[i][j] = usable ? static_cast<float>(cofactor / determinant) : 0.0f;
        }
    }
}

}  // namespace

void PrepareTransform(const D3DMATRIX& world, const D3DMATRIX& view, const D3DMATRIX& projection,
                      VertexTransform* transform) {
    transform->worldView = MultiplyMatrices(world, view);
    transform->worldViewProjection = MultiplyMatrices(transform->worldView, projection);
    NormalMatrixOf(transform->worldView, transform->normalMatrix);
}

uint8_t ClipOutcode(const ClipVertex& v) {
    uint8_t code = 0;
    for (int plane = 0; plane < ClipPlaneCount; ++plane)
        if (!(ClipDistance(v, plane) >= 0.0f)) code |= static_cast<uint8_t>(1 << plane);  // NaN is outside
    return code;
}

uint8_t ScreenOutcode(const ScreenVertex& v) {
    uint8_t code = 0;
    for (int plane = 0; plane < ScreenPlaneCount; ++plane)
        if (!(ScreenDistance(v, plane) >= 0.0f)) code |= static_cast<uint8_t>(1 << plane);
    return code;
}

ScreenVertex MapToScreen(const ClipVertex& v, const ViewportMapping& viewport) {
    ScreenVertex s;
    s.q = 1.0f / v.w;
    s.x = viewport.x + (1.0f + v.x * s.q) * viewport.halfWidth;
    s.y = viewport.y + (1.0f - v.y * s.q) * viewport.halfHeight;
    s.z = viewport.minZ + v.z * s.q * viewport.depthRange;
    s.r = v.r;
    s.g = v.g;
    s.b = v.b;
    s.u = v.u;
    s.v = v.v;
    s.s = v.u * s.q;
    s.t = v.v * s.q;
    return s;
}

namespace {

void ReadFloats(const uint8_t* p, float* out, int n) { std::memcpy(out, p, 4 * n); }

void ReadColour(const uint8_t* p, float out[3], float scale) {
    uint32_t c;
    std::memcpy(&c, p, 4);
    out[0] = static_cast<float>((c >> 16) & 255) * scale;
    out[1] = static_cast<float>((c >> 8) & 255) * scale;
    out[2] = static_cast<float>(c & 255) * scale;
}

// A vertex's first texture co-ordinates; 0, 0 for a layout without any.
void ReadTextureCoordinates(const VertexLayout& layout, const uint8_t* vertex, float* u, float* v) {
    float uv[2] = {0.0f, 0.0f};
    if (layout.texture >= 0) ReadFloats(vertex + layout.texture, uv, 2);
    *u = uv[0];
    *v = uv[1];
}

}  // namespace

void ProcessVertices(const VertexTransform& transform, const VertexLayout& layout, const uint8_t* data,
                     DWORD count, ClipVertex* clip, ScreenVertex* screen, uint8_t* outcodes) {
    const D3DMATRIX& m = transform.worldViewProjection;
    const D3DMATRIX& e = transform.worldView;
    const float(*n)[3] = transform.normalMatrix;
    const bool vertexColour = layout.diffuse >= 0;
    const bool useVertexColour = vertexColour && transform.colourVertex;
    // Lit vertices go through the lighting a block at a time. Lanes past the last vertex light
    // what the block before left there, or zeros, and are not used.
    LitVertices lit = {};
    for (DWORD first = 0; first < count; first += LitBlock) {
        const int lanes = static_cast<int>(std::min<DWORD>(LitBlock, count - first));
        const uint8_t* block = data + static_cast<size_t>(first) * layout.stride;
        for (int k = 0; k < lanes; ++k) {
            const uint8_t* at = block + static_cast<size_t>(k) * layout.stride;
            float p[3];
            ReadFloats(at, p, 3);
            ClipVertex& c = clip[first + k];
            c.x = p[0] * m._11 + p[1] * m._21 + p[2] * m._31 + m._41;
            c.y = p[0] * m._12 + p[1] * m._22 + p[2] * m._32 + m._42;
            c.z = p[0] * m._13 + p[1] * m._23 + p[2] * m._33 + m._43;
            c.w = p[0] * m._14 + p[1] * m._24 + p[2] * m._34 + m._44;
            if (!transform.lighting) continue;
            lit.eye[0][k] = p[0] * e._11 + p[1] * e._21 + p[2] * e._31 + e._41;
            lit.eye[1][k] = p[0] * e._12 + p[1] * e._22 + p[2] * e._32 + e._42;
            lit.eye[2][k] = p[0] * e._13 + p[1] * e._23 + p[2] * e._33 + e._43;
            float normal[3] = {0.0f, 0.0f, 0.0f};
            if (layout.normal >= 0) {
                float q[3];
                ReadFloats(at + layout.normal, q, 3);
                for (int j = 0; j < 3; ++j) normal[j] = q[0] * n[0][j] + q[1] * n[1][j] + q[2] * n[2][j];
                if (transform.normalize) {
                    float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
                    float scale = length > 0.0f ? 1.0f / length : 0.0f;
                    for (float& j : normal) j *= scale;
                }
            }
            for (int j = 0; j < 3; ++j) lit.normal[j][k] = normal[j];
            if (useVertexColour) {
                float diffuse[3];
                ReadColour(at + layout.diffuse, diffuse, 1.0f / 255.0f);
                for (int j = 0; j < 3; ++j) lit.diffuse[j][k] = diffuse[j];
            }
        }
        if (transform.lighting) LightVertices(transform.lightingSetup, useVertexColour, lit);
        for (int k = 0; k < lanes; ++k) {
            const uint8_t* at = block + static_cast<size_t>(k) * layout.stride;
            ClipVertex& c = clip[first + k];
            if (transform.lighting) {
                c.r = lit.colour[0][k] * 255.0f;
                c.g = lit.colour[1][k] * 255.0f;
                c.b = lit.colour[2][k] * 255.0f;
            } else if (vertexColour) {
                float colour[3];
                ReadColour(at + layout.diffuse, colour, 1.0f);
                c.r = colour[0];
                c.g = colour[1];
                c.b = colour[2];
            } else {
                c.r = c.g = c.b = 255.0f;
            }
            ReadTextureCoordinates(layout, at, &c.u, &c.v);
            outcodes[first + k] = ClipOutcode(c);
            if (!outcodes[first + k]) screen[first + k] = MapToScreen(c, transform.viewport);
        }
    }
}

void ProcessTransformedVertices(const VertexLayout& layout, const uint8_t* data, DWORD count,
                                ScreenVertex* screen, uint8_t* outcodes) {
    for (DWORD i = 0; i < count; ++i, data += layout.stride) {
        float p[4];
        ReadFloats(data, p, 4);
        ScreenVertex& s = screen[i];
        s.x = p[0];
        s.y = p[1];
        s.z = p[2];
        s.q = p[3];
        float colour[3] = {255.0f, 255.0f, 255.0f};
        if (layout.diffuse >= 0) ReadColour(data + layout.diffuse, colour, 1.0f);
        s.r = colour[0];
        s.g = colour[1];
        s.b = colour[2];
        ReadTextureCoordinates(layout, data, &s.u, &s.v);
        s.s = s.u * s.q;
        s.t = s.v * s.q;
        outcodes[i] = ScreenOutcode(s);
    }
}

}  // namespace software
