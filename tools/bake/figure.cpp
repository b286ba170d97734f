#include "figure.h"

#include <cmath>

namespace bake {

namespace {
constexpr float Pi = 3.14159265358979f;
}

const std::vector<BodyPart>& BodyParts() {
    // The pelvis comes first: its centre is the figure's axis for the effects built around it.
    static const std::vector<BodyPart> parts = {
        {"pelvis", {0, 8.2f, 0}, {1.6f, 1.0f, 1.0f}, 0, 0, false},
        {"abdomen", {0, 9.7f, 0}, {1.35f, 1.1f, 0.9f}, 0, 0, false},
        {"chest", {0, 11.5f, 0}, {1.9f, 1.5f, 1.1f}, 0, 0, false},
        {"neck", {0, 13.1f, 0}, {0.45f, 0.6f, 0.45f}, 0, 0, false},
        {"head", {0, 14.4f, 0.1f}, {0.95f, 1.2f, 1.05f}, 0, 0, false},
        {"upper arm L", {-2.35f, 11.0f, 0}, {0.5f, 1.5f, 0.5f}, -0.35f, -1, false},
        {"forearm L", {-2.5f, 8.5f, 0}, {0.42f, 1.4f, 0.42f}, -0.8f, -1, false},
        {"hand L", {-2.55f, 6.7f, 0}, {0.33f, 0.6f, 0.26f}, -1.1f, -1, false},
        {"upper arm R", {2.35f, 11.0f, 0}, {0.5f, 1.5f, 0.5f}, -0.35f, 1, false},
        {"forearm R", {2.5f, 8.5f, 0}, {0.42f, 1.4f, 0.42f}, -0.8f, 1, false},
        {"hand R", {2.55f, 6.7f, 0}, {0.33f, 0.6f, 0.26f}, -1.1f, 1, false},
        {"thigh L", {-0.85f, 6.2f, 0}, {0.72f, 2.0f, 0.72f}, 0.5f, -1, false},
        {"shin L", {-0.85f, 2.9f, 0}, {0.55f, 1.9f, 0.55f}, 1.3f, -1, false},
        {"foot L", {-0.85f, 0.35f, 0.5f}, {0.45f, 0.35f, 1.0f}, 2.0f, -1, true},
        {"thigh R", {0.85f, 6.2f, 0}, {0.72f, 2.0f, 0.72f}, 0.5f, 1, false},
        {"shin R", {0.85f, 2.9f, 0}, {0.55f, 1.9f, 0.55f}, 1.3f, 1, false},
        {"foot R", {0.85f, 0.35f, 0.5f}, {0.45f, 0.35f, 1.0f}, 2.0f, 1, true},
    };
    return parts;
}

Mesh BodyPartMesh(const BodyPart& part, int segments, int rings) {
    Mesh mesh = Sphere(1, segments, rings);
    mesh.Scale(part.radii).Translate(part.centre);
    return mesh;
}

V3 WalkOffset(const BodyPart& part, float phase) {
    float angle = phase * 2 * Pi;
    // Left leg and right arm swing together; the body bobs twice per cycle.
    float stride = std::sin(angle) * (part.side < 0 ? 1.0f : -1.0f);
    if (part.side == 0) return {0, 0.18f * std::fabs(std::cos(angle)), 0};
    float lift = 0;
    if (part.swing > 0) {
        float raise = std::cos(angle) * (part.side < 0 ? 1.0f : -1.0f);
        lift = std::max(0.0f, raise) * (part.foot ? 0.7f : 0.3f * part.swing);
    }
    return {0, lift, part.swing * stride};
}

}  // namespace bake
