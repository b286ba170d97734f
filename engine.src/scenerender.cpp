#include "globals.h"
#include "renderdevice.h"
#include "scene.h"
#include "track.h"

namespace {

// The track's sample for the frame, or null when the object, camera or light has no such track.
const Vector* Sampled(const Vector* samples, DWORD length, DWORD frame) {
    if (!samples || length == 0) return nullptr;
    return &SampleAt(samples, length, frame);
}

void DrawObject(Scene& scene, int object, RenderDevice& renderDevice, const LightSet& lightSet,
                LPDIRECTDRAWSURFACE7 overrideTexture) {
    if (!scene.IsObjectVisible(object, lightSet)) return;
    LPDIRECT3DDEVICE7 device = renderDevice.device;
    const ObjectRenderState& state = scene.renderStates[object];
    const SceneObject& record = scene.objects[object];

    device->SetTransform(D3DTRANSFORMSTATE_WORLD, scene.world[object].AsD3D());
    device->SetRenderState(D3DRENDERSTATE_LIGHTING, state.lighting);
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, state.zEnable);
    device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, state.zWriteEnable);
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, state.alphaBlendEnable);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, state.destBlend);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, state.cullMode);
    device->SetTextureStageState(0, D3DTSS_ADDRESS, state.textureAddress);

    // Indices past the tables would read another object's data; treat them as the first entry.
    int material = record.material;
    if (material < 0 || material >= MaxMaterials) material = 0;
    const int textureIndex = scene.materials[material].texture;
    LPDIRECTDRAWSURFACE7 texture = overrideTexture;
    if (!texture && textureIndex >= 0 && textureIndex < MaxTextures) texture = scene.textures[textureIndex];
    device->SetTexture(0, texture);
    device->SetMaterial(&scene.deviceMaterials[material]);

    const DWORD faceVertices = (record.endFace - record.firstFace) * 3u;
    if (!scene.flatMesh) {
        // Without its buffer or indices (a failed load) the object has nothing to draw from.
        if (!scene.vertexBuffer || !scene.indices[object]) return;
        device->DrawIndexedPrimitiveVB(D3DPT_TRIANGLELIST, scene.vertexBuffer, record.firstVertex,
                                       record.endVertex - record.firstVertex, scene.indices[object],
                                       faceVertices, 0);
    } else {
        if (!scene.flatVertices[object]) return;
        device->DrawPrimitive(D3DPT_TRIANGLELIST, DrawVertexFormat, scene.flatVertices[object], faceVertices, 0);
    }
}

}  // namespace

void Scene::EvaluateCamera(const LightSet& lightSet, int8_t camera, Vector& eye, Vector& target, DWORD frame) {
    if (camera < 0 || camera >= MaxCameras) return;
    // Eye and target fall back to the stored camera independently.
    const Vector* sampledEye = Sampled(eyeSamples[camera], eyeSampleLengths[camera], frame);
    const Vector* sampledTarget = Sampled(targetSamples[camera], targetSampleLengths[camera], frame);
    eye = sampledEye ? *sampledEye : lightSet.cameras[camera].eye;
    target = sampledTarget ? *sampledTarget : lightSet.cameras[camera].target;
}

void Scene::EvaluateObjects(DWORD frame) {
    for (int i = 0; i < objectCount; ++i) EvaluateObject(i, frame);
}

void Scene::EvaluateObject(int object, DWORD frame) {
    if (object < 0 || object >= MaxObjects) return;
    Matrix transform = IdentityMatrix();
    if (const Vector* scale = Sampled(scaleSamples[object], scaleSampleLengths[object], frame)) {
        // Scale about the centre of the object's bounds, so it grows in place.
        const Vector& centre = bounds[object].centre;
        transform = MatrixMultiply(Translation(centre), MatrixMultiply(Scaling(*scale), Translation(-centre)));
    }
    if (const Vector* position = Sampled(positionSamples[object], positionSampleLengths[object], frame))
        transform = MatrixMultiply(Translation(*position), transform);
    world[object] = transform;
}

void Scene::UpdateLights(DWORD frame, RenderDevice& renderDevice, LightSet& lightSet) {
    for (int i = 0; i < lightSet.lightCount; ++i) {
        D3DLIGHT7& light = lightSet.lights[i];
        if (const Vector* position = Sampled(lightSamples[i], lightSampleLengths[i], frame)) {
            light.dvPosition.x = position->x;
            light.dvPosition.y = position->y;
            light.dvPosition.z = position->z;
        }
        // Flare-only lights move with their track but have no device slot.
        if (lightSet.kinds[i] == 'L' || lightSet.kinds[i] == 'A')
            renderDevice.device->SetLight(lightSet.lightToSlot[i], &light);
    }
}

void LightSet::ApplyLights(RenderDevice& renderDevice) {
    LPDIRECT3DDEVICE7 device = renderDevice.device;
    // Every slot is written, so lights left on by an earlier scene go dark.
    int slot = 0;
    for (; slot < deviceLightCount; ++slot) {
        device->SetLight(slot, &lights[slotToLight[slot]]);
        device->LightEnable(slot, TRUE);
    }
    for (; slot < DeviceLightSlots; ++slot) device->LightEnable(slot, FALSE);
}

int Scene::Render(RenderDevice& renderDevice, const LightSet& lightSet, LPDIRECTDRAWSURFACE7 overrideTexture) {
    for (int i = 0; i < objectCount; ++i) DrawObject(*this, i, renderDevice, lightSet, overrideTexture);
    return 1;
}

int Scene::RenderOpaqueThenBlended(RenderDevice& renderDevice, const LightSet& lightSet,
                                   LPDIRECTDRAWSURFACE7 overrideTexture) {
    // Any other blend value is drawn by neither pass.
    for (int i = 0; i < objectCount; ++i)
        if (renderStates[i].alphaBlendEnable == 0) DrawObject(*this, i, renderDevice, lightSet, overrideTexture);
    for (int i = 0; i < objectCount; ++i)
        if (renderStates[i].alphaBlendEnable == 1) DrawObject(*this, i, renderDevice, lightSet, overrideTexture);
    return 1;
}

bool Scene::IsObjectVisible(int object, const LightSet& lightSet) { return true; }
