// Parametric meshes for the scenes: every generator winds its triangles so that the face normal
// the loader derives (Cross(P1 − P0, P2 − P0)) points out of the surface, the side the device
// draws with its default culling.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace bake {

struct V3 {
    float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline V3 operator*(float s, V3 a) { return {s * a.x, s * a.y, s * a.z}; }
inline V3 operator*(V3 a, V3 b) { return {a.x * b.x, a.y * b.y, a.z * b.z}; }
inline float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float Length(V3 a) { return std::sqrt(Dot(a, a)); }
inline V3 Normalised(V3 a) {
    float l = Length(a);
    return l > 0 ? (1.0f / l) * a : V3{0, 1, 0};
}
V3 RotateX(V3 p, float angle);
V3 RotateY(V3 p, float angle);
V3 RotateZ(V3 p, float angle);

struct Mesh {
    std::vector<V3> positions;
    std::vector<std::array<float, 2>> uvs;  // v grows upwards in the picture
    std::vector<std::array<uint32_t, 3>> faces;

    uint32_t AddVertex(V3 position, float u, float v);
    // Adds the triangle wound so that its normal agrees with the outward hint.
    void AddTriangle(uint32_t a, uint32_t b, uint32_t c, V3 outward);
    void Append(const Mesh& other);
    void Transform(const std::function<V3(V3)>& map);
    Mesh& Translate(V3 offset);
    Mesh& Scale(V3 factors);  // positive factors: a mirror would turn the faces inside out
    Mesh& Rotate(float aboutX, float aboutY, float aboutZ);  // x first, then y, then z
    // The same surface seen from behind as well (own vertices, so normals do not cancel).
    Mesh& MakeTwoSided();
    // Removes vertices no face uses (collapsed poles), renumbering in first-use order.
    void DropUnused();
};

// A grid surface over (s, t) in [0, 1]²: position and outward direction per parameter pair.
Mesh Surface(int segmentsS, int segmentsT, const std::function<V3(float s, float t)>& position,
             const std::function<V3(float s, float t)>& outward, float uRepeat = 1, float vRepeat = 1);

Mesh Box(V3 size, int subdivisions = 1);                       // centred on the origin
Mesh Panel(float width, float height, int columns, int rows);  // x-y plane, facing −z
Mesh Sphere(float radius, int segments, int rings);
Mesh Torus(float radius, float tube, int segments, int sides);  // ring in the x-z plane
Mesh Cylinder(float radius, float height, int segments, bool caps);  // from y = 0 up
// A surface of revolution about y; profile points (radius, y) from the bottom up.
Mesh Lathe(const std::vector<std::array<float, 2>>& profile, int segments);
// A thin prism from a to b, for beams and struts.
Mesh Beam(V3 a, V3 b, float radius, int sides);
// Terrain over x in [−width/2, width/2], z in [−depth/2, depth/2], facing up.
// The texture repeats every `tile` units.
Mesh HeightField(float width, float depth, int columns, int rows, const std::function<float(float x, float z)>& height,
                 float tile = 16);
// A flat band along a path; width across the band given by a side vector per parameter.
Mesh Band(int segments, const std::function<V3(float t)>& path, const std::function<V3(float t)>& side, float uRepeat);

}  // namespace bake
