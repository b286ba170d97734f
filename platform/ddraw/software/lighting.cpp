#include "ddraw/software/lighting.h"

#include <cmath>

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

void LightVertex(const LightingSetup& setup, const float eye[3], const float normal[3], const float* diffuse,
                 float colour[3]) {
    const float* materialDiffuse = diffuse ? diffuse : setup.materialDiffuse;
    float sum[3] = {setup.base[0], setup.base[1], setup.base[2]};
    for (int i = 0; i < setup.lightCount; ++i) {
        const PreparedLight& light = setup.lights[i];
        float attenuation, lambert;
        if (light.directional) {
            attenuation = 1.0f;
            lambert = normal[0] * light.x + normal[1] * light.y + normal[2] * light.z;
        } else {
            float lx = light.x - eye[0], ly = light.y - eye[1], lz = light.z - eye[2];
            float distanceSquared = lx * lx + ly * ly + lz * lz;
            float distance = std::sqrt(distanceSquared);
            if (distance > light.range) continue;
            float denominator =
                light.attenuation0 + light.attenuation1 * distance + light.attenuation2 * distanceSquared;
            attenuation = denominator > 0.0f ? 1.0f / denominator : 0.0f;
            float dot = normal[0] * lx + normal[1] * ly + normal[2] * lz;
            // A light at the vertex itself has no direction and lights only through its ambient.
            lambert = distance > 0.0f ? dot / distance : 0.0f;
        }
        float diffuseFactor = lambert > 0.0f ? lambert * attenuation : 0.0f;
        for (int c = 0; c < 3; ++c) {
            sum[c] += setup.materialAmbient[c] * light.ambient[c] * attenuation;
            sum[c] += materialDiffuse[c] * light.diffuse[c] * diffuseFactor;
        }
    }
    for (int c = 0; c < 3; ++c) colour[c] = Saturate(sum[c]);
}

}  // namespace software
