// The jointed figure: seventeen body parts, a walk made of per-part offsets (the show can only
// move and scale objects, so limbs swing by sliding their lower parts further than their upper).
#pragma once

#include <vector>

#include "mesh.h"

namespace bake {

struct BodyPart {
    const char* name;
    V3 centre;
    V3 radii;
    float swing;  // forward travel per unit of stride; legs positive, arms negative
    int side;     // −1 left, 0 centre, 1 right
    bool foot;
};

const std::vector<BodyPart>& BodyParts();
Mesh BodyPartMesh(const BodyPart& part, int segments, int rings);
// Offset of a part at a point of the walk cycle (phase in turns).
V3 WalkOffset(const BodyPart& part, float phase);

}  // namespace bake
