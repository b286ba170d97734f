#include "ddraw/software/vertexprocessing.h"

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

void InverseTranspose3(const D3DMATRIX& m, float out[3][3]) {
    const double a[3][3] = {{m._11, m._12, m._13}, {m._21, m._22, m._23}, {m._31, m._32, m._33}};
    double cofactor[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            int i1 = (i + 1) % 3, i2 = (i + 2) % 3, j1 = (j + 1) % 3, j2 = (j + 2) % 3;
            cofactor[i][j] = a[i1][j1] * a[i2][j2] - a[i1][j2] * a[i2][j1];
        }
    double determinant = a[0][0] * cofactor[0][0] + a[0][1] * cofactor[0][1] + a[0][2] * cofactor[0][2];
    // A singular transform flattens the object; its normals carry no light.
    bool usable = determinant != 0.0 && std::isfinite(determinant);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out[i][j] = usable ? static_cast<float>(cofactor[i][j] / determinant) : 0.0f;
}

}  // namespace

void PrepareTransform(const D3DMATRIX& world, const D3DMATRIX& view, const D3DMATRIX& projection,
                      VertexTransform* transform) {
    transform->worldView = MultiplyMatrices(world, view);
    transform->worldViewProjection = MultiplyMatrices(transform->worldView, projection);
    InverseTranspose3(transform->worldView, transform->normalMatrix);
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

}  // namespace

void ProcessVertices(const VertexTransform& transform, const VertexLayout& layout, const uint8_t* data,
                     DWORD count, ClipVertex* clip, ScreenVertex* screen, uint8_t* outcodes) {
    const D3DMATRIX& m = transform.worldViewProjection;
    const D3DMATRIX& e = transform.worldView;
    const float(*n)[3] = transform.normalMatrix;
    const bool vertexColour = layout.diffuse >= 0;
    for (DWORD i = 0; i < count; ++i, data += layout.stride) {
        float p[3];
        ReadFloats(data, p, 3);
        ClipVertex& c = clip[i];
        c.x = p[0] * m._11 + p[1] * m._21 + p[2] * m._31 + m._41;
        c.y = p[0] * m._12 + p[1] * m._22 + p[2] * m._32 + m._42;
        c.z = p[0] * m._13 + p[1] * m._23 + p[2] * m._33 + m._43;
        c.w = p[0] * m._14 + p[1] * m._24 + p[2] * m._34 + m._44;
        float colour[3] = {1.0f, 1.0f, 1.0f};
        if (transform.lighting) {
            float eye[3] = {p[0] * e._11 + p[1] * e._21 + p[2] * e._31 + e._41,
                            p[0] * e._12 + p[1] * e._22 + p[2] * e._32 + e._42,
                            p[0] * e._13 + p[1] * e._23 + p[2] * e._33 + e._43};
            float normal[3] = {0.0f, 0.0f, 0.0f};
            if (layout.normal >= 0) {
                float q[3];
                ReadFloats(data + layout.normal, q, 3);
                for (int k = 0; k < 3; ++k) normal[k] = q[0] * n[0][k] + q[1] * n[1][k] + q[2] * n[2][k];
                if (transform.normalize) {
                    float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
                    float scale = length > 0.0f ? 1.0f / length : 0.0f;
                    for (float& k : normal) k *= scale;
                }
            }
            float diffuse[3];
            const bool useVertexColour = vertexColour && transform.colourVertex;
            if (useVertexColour) ReadColour(data + layout.diffuse, diffuse, 1.0f / 255.0f);
            LightVertex(transform.lightingSetup, eye, normal, useVertexColour ? diffuse : nullptr, colour);
            c.r = colour[0] * 255.0f;
            c.g = colour[1] * 255.0f;
            c.b = colour[2] * 255.0f;
        } else if (vertexColour) {
            ReadColour(data + layout.diffuse, colour, 1.0f);
            c.r = colour[0];
            c.g = colour[1];
            c.b = colour[2];
        } else {
            c.r = c.g = c.b = 255.0f;
        }
        if (layout.texture >= 0) {
            float uv[2];
            ReadFloats(data + layout.texture, uv, 2);
            c.u = uv[0];
            c.v = uv[1];
        } else {
            c.u = c.v = 0.0f;
        }
        outcodes[i] = ClipOutcode(c);
        if (!outcodes[i]) screen[i] = MapToScreen(c, transform.viewport);
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
        if (layout.texture >= 0) {
            float uv[2];
            ReadFloats(data + layout.texture, uv, 2);
            s.u = uv[0];
            s.v = uv[1];
        } else {
            s.u = s.v = 0.0f;
        }
        s.s = s.u * s.q;
        s.t = s.v * s.q;
        outcodes[i] = ScreenOutcode(s);
    }
}

}  // namespace software
