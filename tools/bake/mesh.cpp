#include "mesh.h"

#include <algorithm>

namespace bake {

namespace {
constexpr float Pi = 3.14159265358979f;
}

V3 RotateX(V3 p, float a) {
    float c = std::cos(a), s = std::sin(a);
    return {p.x, p.y * c - p.z * s, p.y * s + p.z * c};
}
V3 RotateY(V3 p, float a) {
    float c = std::cos(a), s = std::sin(a);
    return {p.x * c + p.z * s, p.y, -p.x * s + p.z * c};
}
V3 RotateZ(V3 p, float a) {
    float c = std::cos(a), s = std::sin(a);
    return {p.x * c - p.y * s, p.x * s + p.y * c, p.z};
}

uint32_t Mesh::AddVertex(V3 position, float u, float v) {
    positions.push_back(position);
    uvs.push_back({u, v});
    return uint32_t(positions.size() - 1);
}

void Mesh::AddTriangle(uint32_t a, uint32_t b, uint32_t c, V3 outward) {
    V3 normal = Cross(positions[b] - positions[a], positions[c] - positions[a]);
    if (Dot(normal, outward) < 0) std::swap(b, c);
    faces.push_back({a, b, c});
}

void Mesh::Append(const Mesh& other) {
    uint32_t base = uint32_t(positions.size());
    positions.insert(positions.end(), other.positions.begin(), other.positions.end());
    uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
    for (auto f : other.faces) faces.push_back({f[0] + base, f[1] + base, f[2] + base});
}

void Mesh::Transform(const std::function<V3(V3)>& map) {
    for (V3& p : positions) p = map(p);
}

Mesh& Mesh::Translate(V3 offset) {
    Transform([&](V3 p) { return p + offset; });
    return *this;
}

Mesh& Mesh::Scale(V3 factors) {
    Transform([&](V3 p) { return p * factors; });
    return *this;
}

Mesh& Mesh::Rotate(float ax, float ay, float az) {
    Transform([&](V3 p) { return RotateZ(RotateY(RotateX(p, ax), ay), az); });
    return *this;
}

void Mesh::DropUnused() {
    std::vector<uint32_t> remap(positions.size(), UINT32_MAX);
    std::vector<V3> keptPositions;
    std::vector<std::array<float, 2>> keptUvs;
    for (auto& f : faces)
        for (uint32_t& index : f) {
            if (remap[index] == UINT32_MAX) {
                remap[index] = uint32_t(keptPositions.size());
                keptPositions.push_back(positions[index]);
                keptUvs.push_back(uvs[index]);
            }
            index = remap[index];
        }
    positions = std::move(keptPositions);
    uvs = std::move(keptUvs);
}

Mesh& Mesh::MakeTwoSided() {
    size_t count = positions.size(), faceCount = faces.size();
    for (size_t i = 0; i < count; ++i) positions.push_back(positions[i]), uvs.push_back(uvs[i]);
    for (size_t i = 0; i < faceCount; ++i) {
        auto f = faces[i];
        faces.push_back({f[0] + uint32_t(count), f[2] + uint32_t(count), f[1] + uint32_t(count)});
    }
    return *this;
}

Mesh Surface(int ns, int nt, const std::function<V3(float, float)>& position, const std::function<V3(float, float)>& outward,
             float uRepeat, float vRepeat) {
    Mesh mesh;
    for (int j = 0; j <= nt; ++j)
        for (int i = 0; i <= ns; ++i) {
            float s = float(i) / ns, t = float(j) / nt;
            mesh.AddVertex(position(s, t), s * uRepeat, t * vRepeat);
        }
    auto at = [&](int i, int j) { return uint32_t(j * (ns + 1) + i); };
    for (int j = 0; j < nt; ++j)
        for (int i = 0; i < ns; ++i) {
            V3 hint = outward((i + 0.5f) / ns, (j + 0.5f) / nt);
            uint32_t a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            // Skip slivers where a pole collapses two corners into one.
            auto degenerate = [&](uint32_t p, uint32_t q, uint32_t r) {
                V3 e1 = mesh.positions[q] - mesh.positions[p], e2 = mesh.positions[r] - mesh.positions[p];
                return Length(Cross(e1, e2)) <= 1e-4f * Length(e1) * Length(e2);
            };
            if (!degenerate(a, b, c)) mesh.AddTriangle(a, b, c, hint);
            if (!degenerate(a, c, d)) mesh.AddTriangle(a, c, d, hint);
        }
    mesh.DropUnused();
    return mesh;
}

Mesh Box(V3 size, int n) {
    Mesh mesh;
    V3 h = 0.5f * size;
    // Each face has its own vertices: sharp edges, a full picture per face.
    const V3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const V3& normal : normals) {
        V3 a = std::fabs(normal.y) > 0.5f ? V3{1, 0, 0} : V3{0, 1, 0};
        V3 b = Cross(normal, a);
        Mesh face = Surface(n, n,
                            [&](float s, float t) {
                                V3 p = normal + (2 * s - 1) * a + (2 * t - 1) * b;
                                return p * h;
                            },
                            [&](float, float) { return normal; });
        mesh.Append(face);
    }
    return mesh;
}

Mesh Panel(float width, float height, int columns, int rows) {
    return Surface(columns, rows, [&](float s, float t) { return V3{(s - 0.5f) * width, (t - 0.5f) * height, 0}; },
                   [](float, float) { return V3{0, 0, -1}; });
}

Mesh Sphere(float radius, int segments, int rings) {
    auto at = [=](float s, float t) {
        float phi = s * 2 * Pi, theta = (1 - t) * Pi;
        if (t <= 0 || t >= 1) return V3{0, t >= 1 ? 1.0f : -1.0f, 0};  // exact poles
        return V3{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
    };
    return Surface(segments, rings, [&](float s, float t) { return radius * at(s, t); }, at);
}

Mesh Torus(float radius, float tube, int segments, int sides) {
    auto ring = [=](float s) { return V3{std::cos(s * 2 * Pi), 0, std::sin(s * 2 * Pi)}; };
    auto across = [=](float s, float t) {
        return std::cos(t * 2 * Pi) * ring(s) + std::sin(t * 2 * Pi) * V3{0, 1, 0};
    };
    return Surface(segments, sides, [&](float s, float t) { return radius * ring(s) + tube * across(s, t); }, across);
}

Mesh Cylinder(float radius, float height, int segments, bool caps) {
    std::vector<std::array<float, 2>> profile;
    if (caps) profile.push_back({0, 0});
    profile.push_back({radius, 0});
    profile.push_back({radius, height});
    if (caps) profile.push_back({0, height});
    return Lathe(profile, segments);
}

Mesh Lathe(const std::vector<std::array<float, 2>>& profile, int segments) {
    Mesh mesh;
    for (size_t k = 0; k + 1 < profile.size(); ++k) {
        auto p0 = profile[k], p1 = profile[k + 1];
        float dr = p1[0] - p0[0], dy = p1[1] - p0[1];
        Mesh piece = Surface(
            segments, 1,
            [&](float s, float t) {
                float r = p0[0] + dr * t, y = p0[1] + dy * t, phi = s * 2 * Pi;
                return V3{r * std::cos(phi), y, r * std::sin(phi)};
            },
            [&](float s, float) {
                float phi = s * 2 * Pi;
                return V3{dy * std::cos(phi), -dr, dy * std::sin(phi)};
            },
            1, 1);
        for (size_t i = 0; i < piece.uvs.size(); ++i)
            piece.uvs[i][1] = (k + piece.uvs[i][1]) / float(profile.size() - 1);
        mesh.Append(piece);
    }
    return mesh;
}

Mesh Beam(V3 a, V3 b, float radius, int sides) {
    V3 axis = b - a;
    float length = Length(axis);
    V3 dir = Normalised(axis);
    V3 side = std::fabs(dir.y) < 0.9f ? Normalised(Cross(dir, V3{0, 1, 0})) : Normalised(Cross(dir, V3{1, 0, 0}));
    V3 up = Cross(side, dir);
    auto around = [=](float s) { return std::cos(s * 2 * Pi) * side + std::sin(s * 2 * Pi) * up; };
    return Surface(sides, 1, [&](float s, float t) { return a + (t * length) * dir + radius * around(s); },
                   [&](float s, float) { return around(s); }, 1, std::max(1.0f, length / 4));
}

Mesh HeightField(float width, float depth, int columns, int rows, const std::function<float(float, float)>& height, float tile) {
    return Surface(
        columns, rows,
        [&](float s, float t) {
            float x = (s - 0.5f) * width, z = (t - 0.5f) * depth;
            return V3{x, height(x, z), z};
        },
        [](float, float) { return V3{0, 1, 0}; }, width / tile, depth / tile);
}

Mesh Band(int segments, const std::function<V3(float)>& path, const std::function<V3(float)>& side, float uRepeat) {
    Mesh mesh = Surface(
        segments, 1, [&](float s, float t) { return path(s) + (t - 0.5f) * side(s); },
        [&](float s, float) {
            float e = 1.0f / segments;
            V3 forward = path(std::min(1.0f, s + e)) - path(std::max(0.0f, s - e));
            return Cross(forward, side(s));
        },
        uRepeat, 1);
    return mesh.MakeTwoSided();
}

}  // namespace bake
