#include "ddraw/software/lighting.h"

#include <cmath>
#include <cstring>

namespace software {

void PrepareLight(const D3DLIGHT7& light, const D3DMATRIX& view, PreparedLight* prepared) {
    const D3DMATRIX& m = view;
    prepared->directional = light.dltType == D3DLIGHT_DIRECTIONAL;
    if (prepared->directional) {
        const D3DVECTOR& d = light.dvDirection;
        float x = d.x * m._11 + d.y * m._21 + d.z * m._31;
        float y = d.x * m._12 + d.y * m._22 + d.z * m._32;
        float z = d.x * m._13 + d.y * m._23 + d.z * m._33;
        float length = std::sqrt(x * x + y * y + z * z);
        float scale = length > 0.0f ? -1.0f / length : 0.0f;  // towards the light
        prepared->x = x * scale;
        prepared->y = y * scale;
        prepared->z = z * scale;
    } else {
        const D3DVECTOR& p = light.dvPosition;
        prepared->x = p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41;
        prepared->y = p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42;
        prepared->z = p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43;
    }
    prepared->range = light.dvRange;
    prepared->attenuation0 = light.dvAttenuation0;
    prepared->attenuation1 = light.dvAttenuation1;
    prepared->attenuation2 = light.dvAttenuation2;
    prepared->diffuse[0] = light.dcvDiffuse.r;
    prepared->diffuse[1] = light.dcvDiffuse.g;
    prepared->diffuse[2] = light.dcvDiffuse.b;
    prepared->ambient[0] = light.dcvAmbient.r;
    prepared->ambient[1] = light.dcvAmbient.g;
    prepared->ambient[2] = light.dcvAmbient.b;
}

void PrepareLighting(const D3DMATERIAL7& material, D3DCOLOR globalAmbient, LightingSetup* setup) {
    const float ambient[3] = {static_cast<float>((globalAmbient >> 16) & 255) / 255.0f,
                              static_cast<float>((globalAmbient >> 8) & 255) / 255.0f,
                              static_cast<float>(globalAmbient & 255) / 255.0f};
    const float emissive[3] = {material.dcvEmissive.r, material.dcvEmissive.g, material.dcvEmissive.b};
    setup->materialAmbient[0] = material.dcvAmbient.r;
    setup->materialAmbient[1] = material.dcvAmbient.g;
    setup->materialAmbient[2] = material.dcvAmbient.b;
    setup->materialDiffuse[0] = material.dcvDiffuse.r;
    setup->materialDiffuse[1] = material.dcvDiffuse.g;
    setup->materialDiffuse[2] = material.dcvDiffuse.b;
    for (int i = 0; i < 3; ++i) setup->base[i] = emissive[i] + setup->materialAmbient[i] * ambient[i];
}

namespace {

float Saturate(float c) {
    c = c > 0.0f ? c : 0.0f;  // NaN becomes 0
    return c < 1.0f ? c : 1.0f;
}

}  // namespace

namespace {

// LitBlock lanes in the compiler's generic vectors: SSE2 on x86-64, whatever the target has elsewhere.
typedef float Lanes __attribute__((vector_size(4 * LitBlock)));

Lanes Load(const float (&row)[LitBlock]) {
    Lanes lanes;
    std::memcpy(&lanes, row, sizeof lanes);
    return lanes;
}

Lanes SquareRoot(Lanes a) {
    Lanes root;
    for (int k = 0; k < LitBlock; ++k) root[k] = std::sqrt(a[k]);
    return root;
}

}  // namespace

void LightVertices(const LightingSetup& setup, bool ownDiffuse, LitVertices& v) {
    const Lanes zero = {}, one = zero + 1.0f;
    const Lanes eye[3] = {Load(v.eye[0]), Load(v.eye[1]), Load(v.eye[2])};
    const Lanes normal[3] = {Load(v.normal[0]), Load(v.normal[1]), Load(v.normal[2])};
    Lanes sum[3], diffuse[3];
    for (int c = 0; c < 3; ++c) {
        sum[c] = zero + setup.base[c];
        diffuse[c] = ownDiffuse ? Load(v.diffuse[c]) : zero + setup.materialDiffuse[c];
    }
    for (int i = 0; i < setup.lightCount; ++i) {
        const PreparedLight& light = setup.lights[i];
        Lanes attenuation = one, lambert, reached = one;
        if (light.directional) {
            lambert = normal[0] * light.x + normal[1] * light.y + normal[2] * light.z;
        } else {
            const Lanes lx = light.x - eye[0], ly = light.y - eye[1], lz = light.z - eye[2];
            const Lanes distanceSquared = lx * lx + ly * ly + lz * lz;
            const Lanes distance = SquareRoot(distanceSquared);
            // A vertex out of the light's range keeps its sum as it is.
            reached = distance > light.range ? zero : one;
            const Lanes denominator =
                light.attenuation0 + light.attenuation1 * distance + light.attenuation2 * distanceSquared;
            attenuation = denominator > 0.0f ? one / denominator : zero;
            const Lanes dot = normal[0] * lx + normal[1] * ly + normal[2] * lz;
            // A light at the vertex itself has no direction and lights only through its ambient.
            lambert = distance > 0.0f ? dot / distance : zero;
        }
        const Lanes diffuseFactor = lambert > 0.0f ? lambert * attenuation : zero;
        for (int c = 0; c < 3; ++c) {
            const Lanes lit = sum[c] + setup.materialAmbient[c] * light.ambient[c] * attenuation +
                              diffuse[c] * light.diffuse[c] * diffuseFactor;
            sum[c] = reached != 0.0f ? lit : sum[c];
        }
    }
    for (int c = 0; c < 3; ++c)
        for (int k = 0; k < LitBlock; ++k) v.colour[c][k] = Saturate(sum[c][k]);
}

}  // namespace software
