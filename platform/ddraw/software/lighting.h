// Per-vertex lighting as Direct3D 7 defines it: emissive + material ambient x global ambient,
// plus for every enabled light its attenuated ambient and diffuse terms; done in camera space.
#pragma once

#include <vector>

#include "ddraw/devicedriver.h"

namespace software {

// A light as one draw uses it: moved into camera space, ready for the vertex loop.
struct PreparedLight {
    bool directional;
    float x, y, z;     // position, or the unit vector towards a directional light
    float range;
    float attenuation0, attenuation1, attenuation2;
    float diffuse[3];
    float ambient[3];
};

struct LightingSetup {
    float base[3];  // emissive + material ambient x global ambient
    float materialDiffuse[3];
    float materialAmbient[3];
    const PreparedLight* lights;
    int lightCount;
};

// Lights must have been accepted by ddraw::ValidateLight.
void PrepareLight(const D3DLIGHT7& light, const D3DMATRIX& view, PreparedLight* prepared);
void PrepareLighting(const D3DMATERIAL7& material, D3DCOLOR globalAmbient, LightingSetup* setup);

// Vertices lit together, each channel a row of LitBlock lanes that the lighting takes as one
// vector (the same IEEE operations, in the same order, as one vertex at a time).
constexpr int LitBlock = 4;
struct LitVertices {
    float eye[3][LitBlock];      // camera-space positions
    float normal[3][LitBlock];   // transformed normals
    float diffuse[3][LitBlock];  // the vertices' own diffuse colours, when they have them
    float colour[3][LitBlock];   // the result, each channel clamped to 0..1
};

// Lights every lane of vertices; with ownDiffuse their diffuse colours replace the material's.
void LightVertices(const LightingSetup& setup, bool ownDiffuse, LitVertices& vertices);

}  // namespace software
