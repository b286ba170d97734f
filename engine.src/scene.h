// The in-memory scene and its light set: fixed-capacity records filled once by Scene::Load and
// then read (and partly rewritten) by the renderer and the director every frame.
#pragma once

#include <cstdint>
#include <d3d.h>

#include "sceneformat.h"
#include "texture.h"
#include "vecmath.h"

struct RenderDevice;

constexpr int MaxLights = 300;
constexpr int MaxObjects = 400;
constexpr int DeviceLightSlots = 44;

struct SceneObject {
    char name[NameFieldSize];
    uint16_t firstVertex, endVertex;  // half-open
    uint16_t firstFace, endFace;      // half-open
    int8_t material;
};

struct ObjectRenderState {
    DWORD zEnable;
    DWORD zWriteEnable;
    DWORD lighting;
    DWORD alphaBlendEnable;
    DWORD destBlend;
    DWORD unused;  // the sixth value: kept, read by nothing
    DWORD textureAddress;
    DWORD cullMode;
};

struct ObjectBounds {
    Vector centre;
    Vector minimum;
    Vector maximum;
};

struct MaterialEntry {
    char name[NameFieldSize];
    Vector ambient;
    Vector diffuse;
    Vector specular;
    int8_t texture;  // negative: untextured
};

struct Camera {
    char name[NameFieldSize];
    Vector eye;
    Vector target;
};

struct MeshVertex {
    Vector position;
    Vector normal;    // unnormalised sum of the face normals
    Vector texture;   // (u, -v, 0)
};

struct MeshFace {
    uint32_t index[3];
};

// Vertex format 0x112: position, normal, one texture coordinate pair.
struct DrawVertex {
    float x, y, z;
    float nx, ny, nz;
    float tu, tv;
};
static_assert(sizeof(DrawVertex) == 32, "DrawVertex is 32 bytes");
constexpr DWORD DrawVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

struct TrackKey {
    float frame;
    Vector value;
    Vector inTangent;
    Vector outTangent;
    float tension;
    float continuity;
    float bias;
    float easeTo;
    float easeFrom;
};
static_assert(sizeof(TrackKey) == 60, "TrackKey is 60 bytes");

struct LightSet {
    uint8_t deviceLightCount;
    uint8_t flareCount;
    uint8_t lightCount;
    uint8_t cameraCount;
    Matrix projection;
    Matrix view;
    D3DLIGHT7 lights[MaxLights];
    char kinds[MaxLights];          // 'L' device light, 'F' flare only, 'A' both
    uint8_t slotToLight[MaxLights];
    uint8_t lightToSlot[MaxLights];
    uint8_t flares[MaxLights];
    char* lightNames[MaxLights];
    Camera cameras[MaxCameras];

    void ApplyLights(RenderDevice& renderDevice);
};

struct Scene {
    TrackKey* eyeKeys[MaxCameras];
    TrackKey* targetKeys[MaxCameras];
    TrackKey* positionKeys[MaxObjects];
    TrackKey* scaleKeys[MaxObjects];
    TrackKey* lightKeys[MaxLights];
    int flatMesh;
    uint16_t vertexCount, faceCount;
    uint8_t objectCount, materialCount, textureCount;
    char* textureNames[MaxTextures];
    LPDIRECTDRAWSURFACE7 textures[MaxTextures];
    Image images[MaxTextures];
    SceneObject objects[MaxObjects];
    ObjectRenderState renderStates[MaxObjects];
    ObjectBounds bounds[MaxObjects];
    Matrix world[MaxObjects];
    D3DMATERIAL7 deviceMaterials[MaxMaterials];
    MaterialEntry materials[MaxMaterials];
    Vector* eyeSamples[MaxCameras];
    Vector* targetSamples[MaxCameras];
    Vector* positionSamples[MaxObjects];
    Vector* scaleSamples[MaxObjects];
    Vector* lightSamples[MaxLights];
    // Elements in each sample array (0 when it is null); read samples through SampleAt.
    DWORD eyeSampleLengths[MaxCameras];
    DWORD targetSampleLengths[MaxCameras];
    DWORD positionSampleLengths[MaxObjects];
    DWORD scaleSampleLengths[MaxObjects];
    DWORD lightSampleLengths[MaxLights];
    int32_t positionKeyCounts[MaxObjects];
    int32_t scaleKeyCounts[MaxObjects];
    int32_t lightKeyCounts[MaxLights];
    int32_t eyeKeyCount;
    int32_t targetKeyCount;
    int32_t frameCount;
    LPDIRECT3DVERTEXBUFFER7 vertexBuffer;
    uint16_t* indices[MaxObjects];
    DrawVertex* vertexSource;
    DrawVertex* flatVertices[MaxObjects];
    MeshVertex* vertices;
    MeshFace* faces;

    // Loading
    int Load(const char* fileName, LightSet& lightSet, RenderDevice& renderDevice, float frameScale, int flatMesh);
    void BuildIndexedMesh();
    void BuildFlatMesh();
    void ComputeObjectBounds();
    // Frees the heap arrays, releases the vertex buffer and textures and zeroes the record.
    void Free();

    // Drawing
    void EvaluateCamera(const LightSet& lightSet, int8_t camera, Vector& eye, Vector& target, DWORD frame);
    void EvaluateObjects(DWORD frame);
    void EvaluateObject(int object, DWORD frame);
    void UpdateLights(DWORD frame, RenderDevice& renderDevice, LightSet& lightSet);
    int Render(RenderDevice& renderDevice, const LightSet& lightSet, LPDIRECTDRAWSURFACE7 overrideTexture);
    int RenderOpaqueThenBlended(RenderDevice& renderDevice, const LightSet& lightSet,
                                LPDIRECTDRAWSURFACE7 overrideTexture);
    bool IsObjectVisible(int object, const LightSet& lightSet);
};
