#include "scenes.h"

#include <algorithm>
#include <cmath>

#include "canvas.h"
#include "figure.h"
#include "random.h"

namespace bake {

namespace {
constexpr float Pi = 3.14159265358979f;
const V3 White{1, 1, 1};

V3 Polar(float radius, float angle, float y) { return {radius * std::sin(angle), y, radius * std::cos(angle)}; }
V3 Lerp(V3 a, V3 b, float t) { return a + t * (b - a); }
float Ease(float t) { return t * t * (3 - 2 * t); }

// Keys for a looping motion: the path must return to its start at `period`.
std::vector<Key> Periodic(float end, float period, int keysPerPeriod, const std::function<V3(float phase)>& at) {
    int count = std::max(2, int(std::ceil(end / period * keysPerPeriod)));
    return KeysAlong(end, count, [&](float frame) { return at(frame / period); });
}

void CameraPath(SceneFile& scene, int camera, float end, int keys, const std::function<V3(float t)>& eye,
                const std::function<V3(float t)>& target) {
    scene.AddTrack(TrackKind::CameraEye, camera, KeysAlong(end, keys, [&](float f) { return eye(f / end); }));
    scene.AddTrack(TrackKind::CameraTarget, camera, KeysAlong(end, keys, [&](float f) { return target(f / end); }));
}

// The image panel every overlay is drawn on: it nearly fills the 60° view from its camera.
SceneFile Etest() {
    SceneFile s("etest.3d", 4.0f);
    s.AddCamera("Panel camera", {0, 0, -40}, {0, 0, 0});
    int texture = s.AddTexture("loading.jpg");
    int material = s.AddMaterial("Panel", White, texture);
    s.AddObject("Panel", Panel(44, 44, 8, 8), material);
    s.AddLight("Front light", {0, 0, -80}, White);
    return s;
}

// The opening: a corridor of gates toward a rising sun, seen through a 130° lens. It is drawn
// without depth test in object order, so the objects go from back to front.
SceneFile Etest2() {
    SceneFile s("etest2.3d", 7.0f);
    const float end = 2520;
    s.AddCamera("Corridor", {0, 6, -30}, {0, 8, 40});
    int metal = s.AddTexture("metal.jpg"), grid = s.AddTexture("grid.jpg");
    int sunMaterial = s.AddMaterial("Sun", {1.0f, 0.78f, 0.4f});
    int floorMaterial = s.AddMaterial("Floor", {0.55f, 0.75f, 1.0f}, grid);
    int gateMaterial = s.AddMaterial("Gate", {1.0f, 0.9f, 0.8f}, metal);

    int sun = s.AddObject("Sun", Sphere(26, 24, 12).Translate({0, 26, 250}), sunMaterial);
    s.AddTrack(TrackKind::ObjectPosition, sun, KeysAlong(end, 6, [&](float f) { return V3{0, 16 * Ease(f / end), 0}; }));
    s.AddTrack(TrackKind::ObjectScale, sun, KeysAlong(end, 6, [&](float f) {
        float g = 0.85f + 0.2f * Ease(f / end);
        return V3{g, g, g};
    }));
    s.AddObject("Floor", HeightField(90, 340, 18, 52, [](float x, float z) {
                             return -0.6f * std::cos(x * 0.25f) * std::sin(z * 0.08f) - 0.02f * x * x;
                         }).Translate({0, 0, 100}),
                floorMaterial);
    // Gates from the farthest to the nearest, wide and tall: the 130° lens makes them small.
    for (int g = 13; g >= 0; --g) {
        float z = g * 16.0f;
        Mesh gate = Box({2.4f, 30, 2.4f}, 3).Translate({-17, 15, 0});
        gate.Append(Box({2.4f, 30, 2.4f}, 3).Translate({17, 15, 0}));
        gate.Append(Box({36.4f, 2.4f, 2.4f}, 3).Translate({0, 31.2f, 0}));
        gate.Translate({0, 0, z});
        int object = s.AddObject("Gate " + std::to_string(g), gate, gateMaterial);
        // Each gate breathes a little, one after the other, like a wave running down the hall.
        s.AddTrack(TrackKind::ObjectScale, object, Periodic(end, 210, 6, [&](float phase) {
                       float k = 1 + 0.06f * std::sin((phase - g * 0.08f) * 2 * Pi);
                       return V3{k, k, k};
                   }));
        s.AddTrack(TrackKind::ObjectPosition, object, Periodic(end, 420, 8, [&](float phase) {
                       return V3{0, 0.8f * std::sin((phase + g * 0.15f) * 2 * Pi), 0};
                   }));
    }
    auto eye = [&](float t) { return V3{4 * std::sin(t * 2 * Pi), 9 + 3 * std::sin(t * Pi), -12 + 120 * t}; };
    CameraPath(s, 0, end, 12, eye, [&](float t) { return V3{-3 * std::sin(t * 2 * Pi), 14 + 4 * t, 80 + 120 * t}; });
    int key = s.AddLight("Key light", {0, 10, -30}, White);
    s.AddTrack(TrackKind::Light, key, KeysAlong(end, 12, [&](float f) { return eye(f / end) + V3{0, 4, 0}; }));
    int amber = s.AddLight("Amber", {-10, 4, 0}, {0.22f, 0.12f, 0.04f});
    s.AddTrack(TrackKind::Light, amber, KeysAlong(end, 10, [&](float f) { return V3{-10, 4, 200 - 0.08f * f}; }));
    int teal = s.AddLight("Teal", {10, 20, 200}, {0.03f, 0.12f, 0.16f});
    s.AddTrack(TrackKind::Light, teal, KeysAlong(end, 10, [&](float f) { return V3{10, 20, 20 + 0.07f * f}; }));
    return s;
}

// A garden of floating boxes: the title picture (slot 0, replaced by key.jpg) and a grid.
SceneFile Bboxy() {
    SceneFile s("bboxy.3d", 3.0f);
    const float end = 2640;
    s.AddCamera("Garden", {0, 10, -45}, {0, 0, 0});
    int key = s.AddTexture("key.jpg"), grid = s.AddTexture("grid.jpg");
    int titled = s.AddMaterial("Title box", White, key);
    int gridded = s.AddMaterial("Grid box", {0.7f, 0.9f, 1.0f}, grid);
    int warm = s.AddMaterial("Warm box", {1.0f, 0.55f, 0.25f});
    Random random(101);
    for (int i = 0; i < 22; ++i) {
        float angle = i * 2.4f, radius = 3 + 0.75f * i, y = random.Range(-9, 9);
        float size = i == 0 ? 7.0f : random.Range(2.2f, 5.0f);
        V3 centre = i == 0 ? V3{0, 0, 0} : Polar(radius, angle, y);
        int material = i == 0 ? titled : (i % 3 == 0 ? titled : (i % 3 == 1 ? gridded : warm));
        int object = s.AddObject("Box " + std::to_string(i), Box({size, size, size}, 2).Translate(centre), material);
        float period = 300 + 40 * float(i % 5), offset = random.Uniform();
        s.AddTrack(TrackKind::ObjectPosition, object, Periodic(end, period, 6, [&](float phase) {
                       return V3{0, 1.5f * std::sin((phase + offset) * 2 * Pi), 0};
                   }));
        s.AddTrack(TrackKind::ObjectScale, object, Periodic(end, period / 2, 6, [&](float phase) {
                       float k = 1 + 0.12f * std::sin((phase + offset) * 2 * Pi);
                       return V3{k, k, k};
                   }));
    }
    CameraPath(s, 0, end, 16, [](float t) { return Polar(34 - 8 * std::sin(t * Pi), t * 2.2f * Pi, 10 * std::cos(t * 3 * Pi)); },
               [](float t) { return V3{0, 2 * std::sin(t * 4 * Pi), 0}; });
    for (int l = 0; l < 3; ++l) {
        int light = s.AddLight("Orbit light " + std::to_string(l), Polar(30, l * 2.1f, 20), White);
        s.AddTrack(TrackKind::Light, light, KeysAlong(end, 16, [&](float f) {
                       return Polar(30, l * 2.1f + f / end * 4 * Pi, 20 - l * 15);
                   }));
    }
    return s;
}

// A lattice of thin lines around a central light, flown through with a 165° lens; four echoes
// of it are added together, two of them seen through the origin from the other side.
SceneFile Etest4() {
    SceneFile s("etest4.3d", 4.0f);
    const float end = 1720;
    s.AddCamera("Lattice", {0, 5, -28}, {0, 0, 0});
    int ribbon = s.AddTexture("ribbon.jpg");
    int cyan = s.AddMaterial("Cyan line", {0.4f, 0.9f, 1.0f}, ribbon);
    int gold = s.AddMaterial("Gold line", {1.0f, 0.75f, 0.35f}, ribbon);
    int violet = s.AddMaterial("Violet ring", {0.75f, 0.45f, 1.0f}, ribbon);
    // Beams parallel to the axes at half-spacing offsets, so none passes through the light.
    const float offsets[] = {-62.5f, -37.5f, -12.5f, 12.5f, 37.5f, 62.5f};
    for (int axis = 0; axis < 3; ++axis) {
        Mesh beams;
        for (float a : offsets)
            for (float b : offsets) {
                if (std::fabs(a) > 40 && std::fabs(b) > 40) continue;
                V3 p0, p1;
                if (axis == 0) p0 = {-80, a, b}, p1 = {80, a, b};
                if (axis == 1) p0 = {a, -80, b}, p1 = {a, 80, b};
                if (axis == 2) p0 = {a, b, -80}, p1 = {a, b, 80};
                Mesh beam = Surface(3, 4, [&](float u, float t) {
                    V3 dir = Normalised(p1 - p0);
                    V3 side = std::fabs(dir.y) < 0.9f ? Normalised(Cross(dir, V3{0, 1, 0})) : V3{1, 0, 0};
                    V3 up = Cross(side, dir);
                    return Lerp(p0, p1, t) + 0.35f * (std::cos(u * 2 * Pi) * side + std::sin(u * 2 * Pi) * up);
                }, [&](float u, float) {
                    V3 dir = Normalised(p1 - p0);
                    V3 side = std::fabs(dir.y) < 0.9f ? Normalised(Cross(dir, V3{0, 1, 0})) : V3{1, 0, 0};
                    V3 up = Cross(side, dir);
                    return std::cos(u * 2 * Pi) * side + std::sin(u * 2 * Pi) * up;
                }, 1, 6);
                beams.Append(beam);
            }
        s.AddObject("Beams " + std::to_string(axis), beams, axis == 1 ? gold : cyan);
    }
    const float radii[] = {7, 11, 16, 22, 30, 44};
    for (int r = 0; r < 6; ++r) {
        Mesh ring = Torus(radii[r], 0.3f + 0.05f * r, 40, 3);
        ring.Rotate(0.5f * r + 0.3f, 0.9f * r, 0.2f * r);
        int object = s.AddObject("Ring " + std::to_string(r), ring, r % 2 ? violet : gold);
        s.AddTrack(TrackKind::ObjectScale, object, Periodic(end, 430, 6, [&](float phase) {
                       float k = 1 + 0.08f * std::sin((phase + r / 6.0f) * 2 * Pi);
                       return V3{k, k, k};
                   }));
    }
    CameraPath(s, 0, end, 20,
               [](float t) { return Polar(26 + 6 * std::sin(t * 3 * Pi), t * 2.6f * Pi, 9 * std::sin(t * 5 * Pi)); },
               [](float t) { return Polar(4, -t * 4 * Pi, 3 * std::cos(t * 2 * Pi)); });
    s.AddLight("Heart", {0, 0, 0}, White);
    return s;
}

// Code rain on two nested cylinders, seen from inside through a 50° lens, drawn additively.
SceneFile Dacode() {
    SceneFile s("dacode.3d", 4.0f);
    const float end = 1200;
    s.AddCamera("Inside", {0, 0, 0}, {0, 0, 20});
    int glyphs = s.AddTexture("glyphs.jpg");
    int green = s.AddMaterial("Code", {0.6f, 1.0f, 0.8f}, glyphs);
    int blue = s.AddMaterial("Deep code", {0.4f, 0.7f, 1.0f}, glyphs);
    Random random(202);
    for (int ring = 0; ring < 2; ++ring) {
        int columns = ring == 0 ? 18 : 10;
        float radius = ring == 0 ? 22 : 13;
        for (int c = 0; c < columns; ++c) {
            float a0 = (c + 0.08f) * 2 * Pi / columns, a1 = (c + 0.92f) * 2 * Pi / columns;
            float u0 = random.Below(4) * 0.25f, v0 = random.Below(4) * 0.25f;
            Mesh strip = Surface(2, 10, [&](float u, float t) {
                float a = a0 + (a1 - a0) * u;
                return V3{radius * std::sin(a), (t - 0.5f) * 60, radius * std::cos(a)};
            }, [&](float u, float) {
                float a = a0 + (a1 - a0) * u;
                return V3{-std::sin(a), 0, -std::cos(a)};
            });
            for (size_t i = 0; i < strip.uvs.size(); ++i)
                strip.uvs[i] = {u0 + strip.uvs[i][0] * 0.25f, v0 + strip.uvs[i][1] * 5.0f};
            int object = s.AddObject((ring ? "Inner " : "Outer ") + std::to_string(c), strip, ring ? blue : green);
            float speed = random.Range(0.012f, 0.03f) * (ring ? -1.0f : 1.0f);
            s.AddTrack(TrackKind::ObjectPosition, object, KeysAlong(end, 4, [&](float f) { return V3{0, -speed * f, 0}; }));
        }
    }
    CameraPath(s, 0, end, 12, [](float t) { return V3{2 * std::sin(t * 2 * Pi), 6 * std::sin(t * 3 * Pi), 2 * std::cos(t * 2 * Pi)}; },
               [](float t) { return Polar(20, t * 1.5f * Pi, 8 * std::cos(t * 2 * Pi)); });
    s.AddLight("Key light", {0, 0, 0}, White);
    return s;
}

Mesh Arch(float radius, float tube, float depthScale) {
    // Half a torus standing over the avenue.
    return Surface(28, 6, [&](float s, float t) {
        float a = s * Pi, b = t * 2 * Pi;
        V3 centre{radius * std::cos(a), radius * std::sin(a), 0};
        V3 out{std::cos(a), std::sin(a), 0};
        return centre + tube * (std::cos(b) * out + (std::sin(b) * depthScale) * V3{0, 0, 1});
    }, [&](float s, float t) {
        float a = s * Pi, b = t * 2 * Pi;
        return std::cos(b) * V3{std::cos(a), std::sin(a), 0} + std::sin(b) * V3{0, 0, 1};
    }, 3, 1);
}

// The avenue the figures walk: glass arches, towers, street lamps, eight glass columns for the
// rising glows and two heralds that travel with the first walker.
SceneFile Roki() {
    SceneFile s("roki.3d", 4.0f);
    s.AddCamera("Fly in", {0, 80, 160}, {0, 0, -60});
    s.AddCamera("Walker", {4, 5, -190}, {13, 8, -200});
    s.AddCamera("Crane", {60, 50, 0}, {0, 0, -50});
    int glass = s.AddTexture("glass.jpg"), metal = s.AddTexture("metal.jpg"), marble = s.AddTexture("marble.jpg");
    int glassMaterial = s.AddMaterial("Glass", {0.5f, 0.8f, 1.0f}, glass);
    int towerMaterial = s.AddMaterial("Tower", {0.75f, 0.8f, 0.95f}, metal);
    int groundMaterial = s.AddMaterial("Ground", {0.45f, 0.42f, 0.4f}, marble);
    int columnMaterial = s.AddMaterial("Column", {0.35f, 0.6f, 1.0f}, glass);
    int lampMaterial = s.AddMaterial("Lamp", {1.0f, 0.85f, 0.55f});
    int heraldMaterial = s.AddMaterial("Herald", {1.0f, 0.6f, 0.3f}, metal);
    const float end = 2480;
    Random random(303);

    for (int i = 0; i < 6; ++i)  // 0 to 5: see-through arches
        s.AddObject("Arch " + std::to_string(i), Arch(26, 1.4f, 2.5f).Translate({0, 0, -180 + 50.0f * i}), glassMaterial);
    s.AddObject("Ground", HeightField(120, 360, 12, 36, [](float, float) { return 0.0f; }).Translate({0, 0, -60}),
                groundMaterial);  // 6
    for (int i = 0; i < 21; ++i) {  // 7 to 27: towers on both sides
        float side = i % 2 ? 1.0f : -1.0f, z = -230 + 22.0f * i;
        float height = random.Range(18, 60), width = random.Range(8, 14);
        Mesh tower = Box({width, height, random.Range(8, 16)}, 2).Translate({side * random.Range(36, 46), height / 2, z});
        int object = s.AddObject("Tower " + std::to_string(i), tower, towerMaterial);
        if (i % 3 == 0) {
            float period = random.Range(300, 600);
            s.AddTrack(TrackKind::ObjectScale, object, Periodic(end, period, 6, [&](float phase) {
                           return V3{1, 1 + 0.25f * std::sin(phase * 2 * Pi), 1};
                       }));
        }
    }
    const float columnTop = 26;
    auto column = [&](float z) { return Cylinder(2.2f, columnTop, 14, false).Translate({0, 0, z}); };
    for (int i = 0; i < 7; ++i)  // 28 to 34: particle columns
        s.AddObject("Column " + std::to_string(i), column(-200 + 45.0f * i), columnMaterial);
    for (int i = 0; i < 20; ++i) {  // 35 to 54: lamps
        float side = i % 2 ? 1.0f : -1.0f, z = -215 + 14.0f * i;
        Mesh lamp = Beam({side * 22, 0, z}, {side * 22, 14, z}, 0.3f, 4);
        lamp.Append(Sphere(1.3f, 10, 6).Translate({side * 22, 15, z}));
        int object = s.AddObject("Lamp " + std::to_string(i), lamp, lampMaterial);
        s.AddTrack(TrackKind::ObjectPosition, object, Periodic(end, 260, 6, [&](float phase) {
                       return V3{0, 1.2f * std::sin((phase + i * 0.11f) * 2 * Pi), 0};
                   }));
    }
    s.AddObject("Column 7", column(115), columnMaterial);  // 55
    // 56 and 57 ride along the avenue with the first walker (x = 13), placed around z = 0.
    s.AddObject("Herald ring", Torus(7, 0.5f, 32, 4).Rotate(Pi / 2, 0, 0).Translate({13, 9, 0}), heraldMaterial);
    s.AddObject("Herald disc", Lathe({{0, 0}, {4, 0.4f}, {5, 0}}, 20).Translate({13, 21, 0}), heraldMaterial);

    CameraPath(s, 0, 1960, 14,
               [](float t) { return Lerp(V3{30, 90, 170}, V3{-6, 10, -120}, Ease(t)) + V3{20 * std::sin(t * Pi), 0, 0}; },
               [](float t) { return Lerp(V3{0, 0, -80}, V3{4, 10, -220}, Ease(t)); });
    // The walker camera keeps pace with the first figure (it moves a tenth of a unit per frame).
    CameraPath(s, 1, 1320, 12,
               [](float t) { float f = 1320 * t; return V3{4 + 3 * std::sin(t * 3 * Pi), 4 + 2 * t, f / 10 - 180}; },
               [](float t) { float f = 1320 * t; return V3{13, 9, f / 10 - 205}; });
    CameraPath(s, 2, end, 18, [](float t) { return Polar(70 + 20 * std::sin(t * 2 * Pi), 0.5f + t * 3 * Pi, 30 + 25 * std::sin(t * 5 * Pi)) + V3{0, 0, -60}; },
               [](float t) { return V3{0, 8, -60 + 60 * std::sin(t * 2 * Pi)}; });
    s.AddLight("Sky", {0, 120, -40}, {0.85f, 0.85f, 0.95f});
    s.AddLight("Warm street", {-20, 20, -150}, {0.6f, 0.35f, 0.15f});
    s.AddLight("Cool street", {20, 20, 40}, {0.15f, 0.3f, 0.6f});
    s.AddLight("Far glow", {0, 40, 200}, {0.4f, 0.2f, 0.5f});
    return s;
}

// Tribal totems around the origin, stacked six times larger and larger over the avenue.
SceneFile Tribes() {
    SceneFile s("tribes.3d", 6.0f);
    const float end = 5520;
    s.AddCamera("Circle", {0, 14, -40}, {0, 6, 0});
    int tribal = s.AddTexture("tribal.jpg");
    int totem = s.AddMaterial("Totem", {1.0f, 0.7f, 0.45f}, tribal);
    int bead = s.AddMaterial("Bead", {1.0f, 0.5f, 0.25f});
    for (int i = 0; i < 10; ++i) {
        float angle = i * 2 * Pi / 10;
        V3 base = Polar(6, angle, 0);
        Mesh spike = Lathe({{0, 0}, {0.7f, 2}, {0.35f, 7}, {0, 10}}, 4).Translate(base);
        int object = s.AddObject("Totem " + std::to_string(i), spike, totem);
        s.AddTrack(TrackKind::ObjectPosition, object, Periodic(end, 240, 6, [&](float phase) {
                       return V3{0, 2.5f * std::sin((phase + i * 0.2f) * 2 * Pi), 0};
                   }));
    }
    for (int i = 0; i < 16; ++i) {
        float angle = (i + 0.5f) * 2 * Pi / 16;
        int object = s.AddObject("Bead " + std::to_string(i), Sphere(0.6f, 8, 5).Translate(Polar(9.5f, angle, 1)), bead);
        s.AddTrack(TrackKind::ObjectScale, object, Periodic(end, 120, 6, [&](float phase) {
                       float k = 1 + 0.5f * std::sin((phase + i / 8.0f) * 2 * Pi);
                       return V3{k, k, k};
                   }));
    }
    CameraPath(s, 0, end, 30, [](float t) { return Polar(36 + 8 * std::sin(t * 6 * Pi), t * 5 * Pi, 12 + 10 * std::sin(t * 4 * Pi)); },
               [](float) { return V3{0, 5, 0}; });
    s.AddLight("Fire", {0, 30, 0}, White);
    s.AddLight("Ember", {0, 4, -30}, White);
    return s;
}

// The arena the figure stands in: a floor disc, eight pillars, a crown ring, hanging lamps and
// orbiting cubes; six cameras circle the figure at the origin.
SceneFile Compe() {
    SceneFile s("compe.3d", 3.2f);
    const float end = 2240;
    const V3 figure{0, 8, 0};
    auto around = [&](SceneFile& scene, int camera, float radius0, float radius1, float height0, float height1, float turns,
                      float start, V3 look) {
        CameraPath(scene, camera, end, 18,
                   [=](float t) { return Polar(radius0 + (radius1 - radius0) * t, start + turns * 2 * Pi * t, height0 + (height1 - height0) * t); },
                   [=](float t) { return look + V3{0, std::sin(t * 2 * Pi), 0}; });
    };
    const char* names[] = {"Orbit", "Low", "Crane", "Wide", "Close", "Spiral"};
    for (const char* name : names) s.AddCamera(name, {0, 10, -40}, figure);
    int metal = s.AddTexture("metal.jpg"), marble = s.AddTexture("marble.jpg");
    int floorMaterial = s.AddMaterial("Floor", {0.5f, 0.5f, 0.56f}, marble);
    int pillarMaterial = s.AddMaterial("Pillar", {0.9f, 0.8f, 0.7f}, metal);
    int crownMaterial = s.AddMaterial("Crown", {1.0f, 0.7f, 0.3f});
    int lampMaterial = s.AddMaterial("Lamp", {0.5f, 0.85f, 1.0f});
    int cubeMaterial = s.AddMaterial("Cube", {0.85f, 0.4f, 1.0f}, metal);
    s.AddObject("Floor", Lathe({{0, -0.6f}, {42, -0.6f}, {42, 0}, {0, 0}}, 40).Translate({0, 0, 0}), floorMaterial);
    for (int i = 0; i < 8; ++i) {
        float angle = i * 2 * Pi / 8;
        s.AddObject("Pillar " + std::to_string(i),
                    Lathe({{0, 0}, {2.2f, 0}, {1.6f, 2}, {1.4f, 30}, {2.0f, 32}, {0, 32}}, 10).Translate(Polar(38, angle, 0)),
                    pillarMaterial);
    }
    s.AddObject("Crown ring", Torus(38, 1.1f, 48, 6).Translate({0, 33, 0}), crownMaterial);
    for (int i = 0; i < 8; ++i) {
        float angle = (i + 0.5f) * 2 * Pi / 8;
        int lamp = s.AddObject("Lamp " + std::to_string(i), Sphere(1.4f, 12, 7).Translate(Polar(20, angle, 26)), lampMaterial);
        s.AddTrack(TrackKind::ObjectPosition, lamp, Periodic(end, 280, 6, [&](float phase) {
                       return V3{0, 2.5f * std::sin((phase + i / 8.0f) * 2 * Pi), 0};
                   }));
    }
    for (int i = 0; i < 10; ++i) {
        float start = i * 2 * Pi / 10, radius = 14 + 2.0f * (i % 3), height = 4 + 2.5f * i;
        int cube = s.AddObject("Cube " + std::to_string(i), Box({1.6f, 1.6f, 1.6f}, 1), cubeMaterial);
        s.AddTrack(TrackKind::ObjectPosition, cube, Periodic(end, 700 + 40 * i, 12, [&](float phase) {
                       return Polar(radius, start + phase * 2 * Pi, height + 1.5f * std::sin(phase * 4 * Pi));
                   }));
        s.AddTrack(TrackKind::ObjectScale, cube, Periodic(end, 117, 4, [&](float phase) {
                       float k = 1 + 0.3f * std::sin(phase * 2 * Pi);
                       return V3{k, k, k};
                   }));
    }
    around(s, 0, 30, 26, 10, 14, 0.6f, 0.0f, figure);
    around(s, 1, 20, 24, 3, 4, -0.8f, 1.0f, {0, 10, 0});
    around(s, 2, 48, 40, 38, 30, 0.5f, 2.0f, {0, 4, 0});
    around(s, 3, 55, 45, 18, 24, 1.4f, 3.0f, {0, 12, 0});
    around(s, 4, 17, 19, 13, 12, 0.7f, 4.0f, {0, 12, 0});
    around(s, 5, 24, 34, 2, 40, 1.2f, 5.0f, figure);
    for (int i = 0; i < 4; ++i) {
        int light = s.AddLight("Stage light " + std::to_string(i), Polar(30, i * Pi / 2, 24), White);
        s.AddTrack(TrackKind::Light, light, Periodic(end, 900, 8, [&](float phase) {
                       return Polar(30, i * Pi / 2 + phase * 2 * Pi, 24 + 6 * std::sin(phase * 4 * Pi));
                   }));
    }
    return s;
}

// The figure, one object per body part in face order, walking on the spot.
SceneFile Humanus() {
    SceneFile s("humanus.3d", 6.0f);
    const float end = 2460, cycle = 117;  // two beats of the music per stride
    s.AddCamera("Front", {0, 9, -30}, {0, 9, 0});
    int skin = s.AddTexture("skin.jpg");
    int material = s.AddMaterial("Skin", {0.92f, 0.94f, 1.0f}, skin);
    for (const BodyPart& part : BodyParts()) {
        int object = s.AddObject(part.name, BodyPartMesh(part, 16, 10), material);
        s.AddTrack(TrackKind::ObjectPosition, object, Periodic(end, cycle, 8, [&](float phase) { return WalkOffset(part, phase); }));
        if (std::string(part.name) == "chest")
            s.AddTrack(TrackKind::ObjectScale, object, Periodic(end, cycle * 2, 6, [](float phase) {
                           float k = 1 + 0.03f * std::sin(phase * 2 * Pi);
                           return V3{k, k, k};
                       }));
    }
    s.AddLight("Front light", {0, 20, -30}, White);
    return s;
}

// Milky ribbons spiralling up around the figure; the show turns object 0 about the figure.
SceneFile Lait() {
    SceneFile s("lait.3d", 6.0f);
    s.AddCamera("Side", {0, 12, -40}, {0, 12, 0});
    int ribbon = s.AddTexture("ribbon.jpg");
    int milk = s.AddMaterial("Milk", {0.85f, 0.92f, 1.0f}, ribbon);
    Mesh spiral = Band(120, [](float t) { return Polar(12 + 4 * t, t * 5 * Pi, 1 + 30 * t); },
                       [](float t) { return V3{0, 2.2f - 1.2f * t, 0} + 0.6f * Polar(1, t * 5 * Pi, 0); }, 6);
    s.AddObject("Spiral ribbon", spiral, milk);
    s.AddObject("Floor ring", Torus(13, 0.35f, 48, 4).Scale({1, 0.4f, 1}).Translate({0, 0.3f, 0}), milk);
    s.AddLight("High", {0, 40, -30}, White);
    s.AddLight("Low", {10, 6, 30}, White);
    return s;
}

// A relief of gentle waves facing the panel camera; four lights skim it in loops.
SceneFile Lite() {
    SceneFile s("lite.3d", 6.0f);
    const float loop = 900;
    int susp = s.AddTexture("susp.jpg");
    int material = s.AddMaterial("Relief", White, susp);
    Mesh relief = Surface(36, 36, [](float u, float v) {
        float x = (u - 0.5f) * 48, y = (v - 0.5f) * 48;
        float z = 1.2f * std::sin(x * 0.35f) * std::cos(y * 0.3f) + 0.8f * std::sin((x + y) * 0.2f);
        return V3{x, y, z};
    }, [](float, float) { return V3{0, 0, -1}; });
    s.AddObject("Relief", relief, material);
    for (int l = 0; l < 4; ++l) {
        int light = s.AddLight("Skimmer " + std::to_string(l), {0, 0, -6}, White);
        s.AddTrack(TrackKind::Light, light, Periodic(loop, loop, 16, [&](float phase) {
                       float a = phase * 2 * Pi;
                       return V3{18 * std::sin(a * (l % 2 + 1) + l), 16 * std::cos(a * (2 - l % 2) + 2 * l), -5.0f - l};
                   }));
    }
    return s;
}

// A city of towers under a grid; drawn six times, stretched taller and taller.
SceneFile Cuba() {
    SceneFile s("cuba.3d", 6.0f);
    const float end = 3840;
    s.AddCamera("Over the city", {-60, 40, -60}, {0, 0, 0});
    int grid = s.AddTexture("grid.jpg");
    int material = s.AddMaterial("Tower", {0.7f, 0.9f, 1.0f}, grid);
    Random random(404);
    for (int x = -3; x <= 3; ++x)
        for (int z = -3; z <= 3; ++z) {
            float height = 3 + 12 * random.Uniform() * random.Uniform() + (x == 0 && z == 0 ? 10 : 0);
            float width = random.Range(4, 7);
            Mesh tower = Box({width, height, width}, 1);
            // No bottom face: it is never seen and only costs time six times a frame.
            tower.faces.erase(tower.faces.begin() + 6, tower.faces.begin() + 8);
            tower.DropUnused();
            tower.Translate({x * 12.0f, height / 2, z * 12.0f});
            s.AddObject("Tower " + std::to_string((x + 3) * 7 + z + 3), tower, material);
        }
    s.AddObject("Ground", Panel(96, 96, 4, 4).Rotate(Pi / 2, 0, 0), material);
    CameraPath(s, 0, end, 24, [](float t) { return Polar(70 - 25 * std::sin(t * Pi), t * 2.5f * Pi, 45 - 20 * std::sin(t * 3 * Pi)); },
               [](float t) { return V3{10 * std::sin(t * 4 * Pi), 4, 10 * std::cos(t * 3 * Pi)}; });
    s.AddLight("City high", {0, 80, 0}, White);
    s.AddLight("City low", {-60, 20, -40}, White);
    s.AddLight("City back", {60, 30, 60}, White);
    return s;
}

// One walking figure in mid-stride as a single object, facing its direction of travel (+z).
SceneFile Humanu() {
    SceneFile s("humanu.3d", 6.0f);
    // Its cameras replace those of the city it is loaded after: the same view as the city's own.
    s.AddCamera("Over the city", {-60, 40, -60}, {0, 0, 0});
    int skin = s.AddTexture("skin.jpg");
    int material = s.AddMaterial("Walker", {0.95f, 0.85f, 0.75f}, skin);
    Mesh body;
    for (const BodyPart& part : BodyParts()) {
        Mesh piece = BodyPartMesh(part, 10, 6);
        piece.Translate(WalkOffset(part, 0.25f));
        body.Append(piece);
    }
    s.AddObject("Walker", body, material);
    s.AddLight("Walker light", {0, 30, -20}, {0.3f, 0.3f, 0.35f});
    return s;
}

// The hall of pillars: even objects opaque pillars, odd ones glowing rings, banners, a dais
// and the chandelier the cube swarm turns around.
SceneFile King() {
    SceneFile s("king.3d", 6.0f);
    const float end = 22200, swarmHeight = 24;
    s.AddCamera("Procession", {0, 14, -270}, {0, swarmHeight, 0});
    int metal = s.AddTexture("metal.jpg"), marble = s.AddTexture("marble.jpg"), ribbon = s.AddTexture("ribbon.jpg");
    int pillarMaterial = s.AddMaterial("Pillar", {0.85f, 0.82f, 0.78f}, marble);
    int ringMaterial = s.AddMaterial("Ring", {1.0f, 0.65f, 0.25f});
    int floorMaterial = s.AddMaterial("Floor", {0.6f, 0.6f, 0.7f}, marble);
    int beamMaterial = s.AddMaterial("Beam", {0.6f, 0.65f, 0.8f}, metal);
    int bannerMaterial = s.AddMaterial("Banner", {0.9f, 0.3f, 0.5f}, ribbon);
    int crownMaterial = s.AddMaterial("Chandelier", {1.0f, 0.85f, 0.5f}, metal);
    Random random(505);
    std::vector<V3> pillarTops;
    for (int i = 0; i < 60; ++i) {
        float side = i % 2 ? 1.0f : -1.0f, z = -290 + 20.0f * (i / 2);
        V3 base{side * 18, 0, z};
        s.AddObject("Pillar " + std::to_string(i), Lathe({{0, 0}, {2.4f, 0}, {1.7f, 1.5f}, {1.6f, 40}, {2.4f, 42}, {0, 42}}, 8).Translate(base),
                    pillarMaterial);  // even
        float height = 6 + 28 * random.Uniform();
        s.AddObject("Ring " + std::to_string(i), Torus(2.8f, 0.35f, 10, 3).Translate(base + V3{0, height, 0}), ringMaterial);  // odd
        pillarTops.push_back(base + V3{0, 44, 0});
    }
    s.AddObject("Floor", HeightField(60, 620, 6, 62, [](float, float) { return 0.0f; }).Translate({0, 0, 10}), floorMaterial);  // 120
    Mesh beams;
    for (int i = 0; i < 30; ++i) beams.Append(Box({38, 1.2f, 1.2f}, 1).Translate({0, 42.6f, -290 + 20.0f * i}));
    s.AddObject("Ceiling beams", beams, beamMaterial);  // 121
    for (int i = 0; i < 12; ++i) {  // 122 to 133: two-sided banners between the pillars
        float side = i % 2 ? 1.0f : -1.0f, z = -250 + 45.0f * (i / 2);
        Mesh banner = Surface(2, 6, [&](float u, float t) { return V3{side * 18, 16 + 22 * t, z - 8 + 16 * u + 1.5f * std::sin(t * Pi * 2)}; },
                              [&](float, float) { return V3{-side, 0, 0}; });
        s.AddObject("Banner " + std::to_string(i), banner, bannerMaterial);
    }
    s.AddObject("Dais", Lathe({{0, 0}, {14, 0}, {14, 1.5f}, {10, 1.5f}, {10, 3}, {0, 3}}, 24).Translate({0, 0, 0}), beamMaterial);  // 134
    s.AddObject("Far gate", Arch(16, 1.5f, 1.0f).Translate({0, 0, 300}), crownMaterial);                                             // 135
    Mesh chandelier = Torus(5, 0.5f, 24, 4).Translate({0, swarmHeight, 0});
    chandelier.Append(Torus(3, 0.4f, 20, 4).Rotate(Pi / 2, 0, 0).Translate({0, swarmHeight, 0}));
    chandelier.Append(Beam({0, swarmHeight - 3, 0}, {0, 43, 0}, 0.25f, 4));
    s.AddObject("Chandelier", chandelier, crownMaterial);  // 136

    // Down the hall toward the swarm, once around it, then rising away to look back.
    auto eye = [&](float t) -> V3 {
        if (t < 0.3f) return Lerp(V3{0, 12, -270}, V3{-6, 16, -60}, Ease(t / 0.3f));
        if (t < 0.75f) {
            float u = (t - 0.3f) / 0.45f;
            return Polar(60 - 10 * std::sin(u * Pi), Pi + u * 2 * Pi, 16 + 10 * std::sin(u * Pi)) + V3{-6 * (1 - u), 0, 0};
        }
        float u = (t - 0.75f) / 0.25f;
        return Lerp(V3{0, 16, -60}, V3{8, 34, 120}, Ease(u));
    };
    CameraPath(s, 0, end, 60, eye, [&](float t) { return V3{0, swarmHeight - 4 + 4 * std::sin(t * 6 * Pi), 0}; });
    s.AddLight("Hall high", {0, 60, -100}, White);
    s.AddLight("Hall far", {0, 30, 150}, White);
    s.AddLight("Hall low", {0, 8, -200}, White);
    s.AddLight("LF Chandelier", {0, swarmHeight, 0}, White);
    for (size_t i = 0; i < pillarTops.size(); i += 2) s.AddLight("F Flame " + std::to_string(i / 2), pillarTops[i], {1.0f, 0.8f, 0.5f});
    return s;
}

// Points for the cube swarm: a sphere shell, a ring and a helix (one cube per vertex).
SceneFile Cubiki() {
    SceneFile s("cubiki.3d", 6.0f);
    s.AddCamera("Swarm", {0, 0, -40}, {0, 0, 0});
    int material = s.AddMaterial("Points", White);
    auto pointObject = [&](const std::string& name, const std::vector<V3>& points, V3 centre) {
        Mesh mesh;
        for (size_t i = 0; i < points.size(); ++i) mesh.AddVertex(points[i], float(i) / points.size(), 0);
        // A fan of thin triangles through consecutive points, so every point is part of a face.
        for (size_t i = 0; i + 2 < points.size(); ++i)
            mesh.AddTriangle(uint32_t(i), uint32_t(i + 1), uint32_t(i + 2), points[i] - centre);
        mesh.AddTriangle(uint32_t(points.size() - 2), uint32_t(points.size() - 1), 0, points.back() - centre);
        s.AddObject(name, mesh, material);
    };
    std::vector<V3> shell, ring, helix;
    for (int i = 0; i < 110; ++i) {  // golden-angle spiral on a sphere
        float y = 1 - 2 * (i + 0.5f) / 110, r = std::sqrt(1 - y * y), a = i * 2.39996f;
        shell.push_back(V3{r * std::cos(a), y, r * std::sin(a)} * V3{8, 8, 8});
    }
    for (int i = 0; i < 48; ++i) ring.push_back(Polar(12, i * 2 * Pi / 48, 0.8f * std::sin(i * 6 * Pi / 48)));
    for (int i = 0; i < 84; ++i) helix.push_back(Polar(4 + 0.05f * i, i * 0.45f, -10 + 20.0f * i / 84));
    pointObject("Shell", shell, {0, 0, 0});
    pointObject("Ring", ring, {0, 5, 0});
    pointObject("Helix", helix, {0, 0, 0});
    s.AddLight("Swarm light", {0, 20, -20}, White);
    return s;
}

SceneFile Cubik() {
    SceneFile s("cubik.3d", 6.0f);
    s.AddCamera("Cube", {0, 4, -12}, {0, 0, 0});
    int wire = s.AddTexture("wire2.jpg");
    s.AddObject("Cube", Box({6, 6, 6}, 1), s.AddMaterial("Wire", White, wire));
    s.AddLight("Cube light", {0, 10, -10}, White);
    return s;
}

// The alien valley of the finale: terrain, crystal spires, a ring arch and a beacon tower under
// a starry dome, with two suns as flares.
SceneFile Alien() {
    SceneFile s("alien_1.3d", 6.0f);
    int terrain = s.AddTexture("terrain.jpg"), sky = s.AddTexture("sky.jpg"), glass = s.AddTexture("glass.jpg");
    int groundMaterial = s.AddMaterial("Ground", {0.6f, 0.55f, 0.75f}, terrain);
    int skyMaterial = s.AddMaterial("Sky", {0.9f, 0.9f, 1.0f}, sky);
    int crystalMaterial = s.AddMaterial("Crystal", {0.5f, 1.0f, 0.9f}, glass);
    int archMaterial = s.AddMaterial("Arch", {1.0f, 0.5f, 0.8f});
    int towerMaterial = s.AddMaterial("Tower", {0.8f, 0.7f, 1.0f}, terrain);
    auto height = [](float x, float z) {
        float d = std::sqrt(x * x + z * z);
        float hills = (Fbm(x * 0.02f + 10, z * 0.02f + 10, 4, 909) - 0.5f) * 50;
        return hills * SmoothStep(30, 90, d) - 2;
    };
    s.AddObject("Dome", Sphere(340, 18, 9).MakeTwoSided(), skyMaterial);
    s.AddObject("Valley", HeightField(320, 320, 26, 26, height, 80), groundMaterial);
    Random random(606);
    for (int i = 0; i < 14; ++i) {
        float angle = random.Range(0, 2 * Pi), radius = random.Range(35, 110);
        V3 base = Polar(radius, angle, height(radius * std::sin(angle), radius * std::cos(angle)) - 1);
        float tall = random.Range(10, 34);
        Mesh crystal = Lathe({{0, 0}, {2.5f, tall * 0.2f}, {1.5f, tall * 0.8f}, {0, tall}}, 5);
        crystal.Rotate(random.Range(-0.25f, 0.25f), random.Range(0, Pi), random.Range(-0.25f, 0.25f)).Translate(base);
        s.AddObject("Crystal " + std::to_string(i), crystal, crystalMaterial);
    }
    s.AddObject("Ring arch", Torus(48, 2.2f, 48, 6).Rotate(Pi / 2, 0.6f, 0).Translate({0, 8, 40}), archMaterial);
    s.AddObject("Beacon", Lathe({{0, -2}, {7, -2}, {4, 6}, {2.5f, 40}, {4, 44}, {0, 50}}, 12), towerMaterial);
    const float end = 14000;
    s.AddCamera("Descent", {0, 120, -260}, {0, 20, 0});
    s.AddCamera("Still", {-90, 30, -90}, {0, 20, 0});
    s.AddCamera("Low flight", {-140, 12, 0}, {0, 15, 0});
    s.AddCamera("Long orbit", {0, 40, -120}, {0, 20, 0});
    s.AddCamera("Spiral", {0, 90, -40}, {0, 10, 0});
    CameraPath(s, 0, 1500, 10, [](float t) { return Lerp(V3{0, 140, -280}, V3{-30, 30, -110}, Ease(t)); },
               [](float t) { return V3{0, 30 - 10 * t, 0}; });
    CameraPath(s, 1, 3000, 8, [](float t) { return Polar(120, -2.4f + 0.4f * t, 30 + 5 * t); }, [](float) { return V3{0, 22, 20}; });
    CameraPath(s, 2, 3000, 16, [](float t) { return Lerp(V3{-150, 14, -40}, V3{150, 22, 60}, t) + V3{0, 6 * std::sin(t * 4 * Pi), 30 * std::sin(t * 2 * Pi)}; },
               [](float t) { return Lerp(V3{0, 16, 20}, V3{40, 24, 80}, t); });
    CameraPath(s, 3, end, 60, [](float t) { return Polar(130 - 40 * std::sin(t * 3 * Pi), -Pi / 2 + t * 4 * Pi, 40 + 30 * std::sin(t * 5 * Pi)); },
               [](float t) { return V3{0, 24 + 10 * std::sin(t * 7 * Pi), 20 * std::sin(t * 2 * Pi)}; });
    CameraPath(s, 4, 3000, 16, [](float t) { return Polar(100 - 60 * t, t * 3 * Pi, 110 - 80 * t); }, [](float) { return V3{0, 25, 0}; });
    s.AddLight("Light red", {80, 60, -80}, {1.0f, 0.3f, 0.3f});
    s.AddLight("Light teal", {-90, 40, 40}, {0.55f, 1.0f, 0.9f});
    s.AddLight("Light violet", {0, 120, 100}, {0.75f, 0.4f, 1.0f});
    s.AddLight("Light amber", {0, 20, -150}, {0.9f, 0.6f, 0.2f});
    s.AddLight("F Sun", {-150, 170, 200}, {1.0f, 0.7f, 0.4f});
    s.AddLight("F Moon", {210, 110, -140}, {0.6f, 0.8f, 1.0f});
    s.AddLight("LF Beacon", {0, 54, 0}, {0.4f, 0.4f, 0.5f});
    return s;
}

// Ones and zeros drifting across the panel camera's view in three rows.
SceneFile Binary() {
    SceneFile s("binary.3d", 6.0f);
    const float end = 760;
    int cyan = s.AddMaterial("One", {0.4f, 1.0f, 0.8f});
    int blue = s.AddMaterial("Zero", {0.35f, 0.6f, 1.0f});
    Random random(707);
    for (int row = 0; row < 3; ++row) {
        float y = 12 - 12.0f * row, depth = 8.0f * row, direction = row % 2 ? -1.0f : 1.0f;
        for (int i = 0; i < 9; ++i) {
            bool one = random.Uniform() < 0.5f;
            float x = -36 + 9.0f * i;
            Mesh digit = one ? Box({1.4f, 6, 1.4f}, 1) : Torus(2.0f, 0.55f, 16, 5).Rotate(Pi / 2, 0, 0).Scale({1, 1.45f, 1});
            digit.Translate({x, y, depth});
            int object = s.AddObject(std::string(one ? "One " : "Zero ") + std::to_string(row * 9 + i), digit, one ? cyan : blue);
            float speed = (0.02f + 0.01f * row) * direction;
            s.AddTrack(TrackKind::ObjectPosition, object, KeysAlong(end, 4, [&](float f) { return V3{speed * f, 0, 0}; }));
            float offset = random.Uniform();
            s.AddTrack(TrackKind::ObjectScale, object, Periodic(end, 117, 6, [&](float phase) {
                           float k = 1 + 0.2f * std::max(0.0f, std::sin((phase + offset) * 2 * Pi));
                           return V3{k, k, k};
                       }));
        }
    }
    s.AddLight("Key light", {0, 0, -60}, White);
    s.AddLight("Rim light", {0, 40, 30}, {0.2f, 0.3f, 0.4f});
    return s;
}
}  // namespace

std::vector<SceneFile> BuildScenes() {
    std::vector<SceneFile> scenes;
    scenes.push_back(Etest());
    scenes.push_back(Etest2());
    scenes.push_back(Bboxy());
    scenes.push_back(Etest4());
    scenes.push_back(Dacode());
    scenes.push_back(Roki());
    scenes.push_back(Compe());
    scenes.push_back(Binary());
    scenes.push_back(Humanus());
    scenes.push_back(Lait());
    scenes.push_back(Lite());
    scenes.push_back(Cuba());
    scenes.push_back(Humanu());
    scenes.push_back(Tribes());
    scenes.push_back(King());
    scenes.push_back(Cubiki());
    scenes.push_back(Cubik());
    scenes.push_back(Alien());
    return scenes;
}

int SceneFileCount() { return 18; }

void BakeScenes(const std::string& folder, Progress& progress) {
    MakeDirectories(folder);
    for (const SceneFile& scene : BuildScenes()) {
        WriteFileAtomic(folder + "/" + scene.FileName(), scene.Encode());
        progress.Step("scenes/" + scene.FileName());
    }
}

}  // namespace bake
