#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "datafile.h"
#include "renderdevice.h"
#include "scene.h"
#include "scenefile.h"
#include "texture.h"
#include "track.h"

namespace {

template <typename T>
void DeleteArrays(T** arrays, int count) {
    for (int i = 0; i < count; ++i) delete[] arrays[i];
}

char* CopyName(const std::string& name) {
    char* copy = new char[name.size() + 1]();
    memcpy(copy, name.data(), name.size());
    return copy;
}

// "F " is a flare only, "LF " and "FL " a device light and a flare, anything else a device
// light only. Characters past the name count as 0.
char LightKind(const std::string& name) {
    auto at = [&name](size_t i) { return i < name.size() ? name[i] : '\0'; };
    if (at(0) == 'F' && at(1) == ' ') return 'F';
    if (((at(0) == 'L' && at(1) == 'F') || (at(0) == 'F' && at(1) == 'L')) && at(2) == ' ') return 'A';
    return 'L';
}

D3DLIGHT7 PointLight(const Vector& position, const Vector& colour) {
    D3DLIGHT7 light;
    memset(&light, 0, sizeof light);
    light.dltType = D3DLIGHT_POINT;
    light.dcvDiffuse = D3DCOLORVALUE{colour.x, colour.y, colour.z, 0.0f};
    light.dvPosition = D3DVECTOR{position.x, position.y, position.z};
    light.dvRange = static_cast<float>(std::sqrt(3.4028234663852886e38));
    light.dvAttenuation0 = 1.0f;
    return light;
}

D3DMATERIAL7 DeviceMaterial(const MaterialEntry& entry) {
    D3DMATERIAL7 material;
    memset(&material, 0, sizeof material);
    material.dcvDiffuse = D3DCOLORVALUE{entry.diffuse.x, entry.diffuse.y, entry.diffuse.z, 0.0f};
    material.dcvAmbient = D3DCOLORVALUE{entry.ambient.x, entry.ambient.y, entry.ambient.z, 0.0f};
    material.dcvSpecular = D3DCOLORVALUE{entry.specular.x, entry.specular.y, entry.specular.z, 0.0f};
    material.dvPower = 50.0f;
    return material;
}

DrawVertex ToDrawVertex(const MeshVertex& vertex) {
    const Vector normal = Normalize(vertex.normal);
    return DrawVertex{vertex.position.x, vertex.position.y, vertex.position.z, normal.x, normal.y, normal.z,
                      vertex.texture.x, vertex.texture.y};
}

// Sums the unnormalised face normals into each vertex: larger faces weigh more.
void ComputeVertexNormals(MeshVertex* vertices, int vertexCount, const MeshFace* faces, int faceCount) {
    for (int i = 0; i < vertexCount; ++i) vertices[i].normal = Vector(0.0f, 0.0f, 0.0f);
    for (int i = 0; i < faceCount; ++i) {
        const uint32_t* index = faces[i].index;
        const Vector& p0 = vertices[index[0]].position;
        const Vector& p1 = vertices[index[1]].position;
        const Vector& p2 = vertices[index[2]].position;
        const Vector n = Cross(p0 - p1, p1 - p2);
        for (int k = 0; k < 3; ++k) vertices[index[k]].normal += n;
    }
}

bool IsTransformAndLightingDevice(IDirect3DDevice7* device) {
    D3DDEVICEDESC7 description;
    memset(&description, 0, sizeof description);
    return SUCCEEDED(device->GetCaps(&description)) && description.deviceGUID == IID_IDirect3DTnLHalDevice;
}

}  // namespace

void Scene::Free() {
    DeleteArrays(eyeKeys, MaxCameras);
    DeleteArrays(targetKeys, MaxCameras);
    DeleteArrays(positionKeys, MaxObjects);
    DeleteArrays(scaleKeys, MaxObjects);
    DeleteArrays(lightKeys, MaxLights);
    DeleteArrays(eyeSamples, MaxCameras);
    DeleteArrays(targetSamples, MaxCameras);
    DeleteArrays(positionSamples, MaxObjects);
    DeleteArrays(scaleSamples, MaxObjects);
    DeleteArrays(lightSamples, MaxLights);
    DeleteArrays(textureNames, MaxTextures);
    DeleteArrays(indices, MaxObjects);
    DeleteArrays(flatVertices, MaxObjects);
    for (int i = 0; i < MaxTextures; ++i) {
        if (textures[i]) textures[i]->Release();
        free(images[i].pixels);
    }
    if (vertexBuffer) vertexBuffer->Release();
    delete[] vertexSource;
    delete[] vertices;
    delete[] faces;
    memset(static_cast<void*>(this), 0, sizeof *this);
}

void Scene::BuildIndexedMesh() {
    ComputeVertexNormals(vertices, vertexCount, faces, faceCount);
    for (int o = 0; o < objectCount; ++o)
        indices[o] = new uint16_t[(objects[o].endFace - objects[o].firstFace) * 3];
    for (int i = 0; i < vertexCount; ++i) vertexSource[i] = ToDrawVertex(vertices[i]);
    for (int o = 0; o < objectCount; ++o) {
        const SceneObject& object = objects[o];
        uint16_t* out = indices[o];
        for (int f = object.firstFace; f < object.endFace; ++f)
            for (uint32_t index : faces[f].index) *out++ = static_cast<uint16_t>(index - object.firstVertex);
    }
}

void Scene::BuildFlatMesh() {
    ComputeVertexNormals(vertices, vertexCount, faces, faceCount);
    // The objects' faces follow one another from face 0, so one counter walks them all.
    int g = 0;
    for (int o = 0; o < objectCount; ++o) {
        const int count = objects[o].endFace - objects[o].firstFace;
        DrawVertex* out = flatVertices[o] = new DrawVertex[count * 3];
        for (int k = 0; k < count; ++k, ++g)
            for (uint32_t index : faces[g].index) *out++ = ToDrawVertex(vertices[index]);
    }
}

void Scene::ComputeObjectBounds() {
    for (int o = 0; o < objectCount; ++o) {
        const SceneObject& object = objects[o];
        ObjectBounds& box = bounds[o];
        if (object.firstVertex >= object.endVertex) {
            // An object without vertices sits at the origin.
            box.minimum = box.maximum = box.centre = Vector(0.0f, 0.0f, 0.0f);
            continue;
        }
        box.minimum = box.maximum = vertices[object.firstVertex].position;
        for (int i = object.firstVertex + 1; i < object.endVertex; ++i) {
            const Vector& p = vertices[i].position;
            if (p.x > box.maximum.x) box.maximum.x = p.x;
            if (p.y > box.maximum.y) box.maximum.y = p.y;
            if (p.z > box.maximum.z) box.maximum.z = p.z;
            if (p.x < box.minimum.x) box.minimum.x = p.x;
            if (p.y < box.minimum.y) box.minimum.y = p.y;
            if (p.z < box.minimum.z) box.minimum.z = p.z;
        }
        box.centre = (box.minimum + box.maximum) / 2.0f;
    }
}

// A file the loader refuses leaves the scene empty (every count 0), so drawing it draws nothing.
int Scene::Load(const char* fileName, LightSet& lightSet, RenderDevice& renderDevice, float frameScale, int flatMesh) {
    Free();
    this->flatMesh = flatMesh;

    const std::string pathText = std::string("scenes//") + fileName;
    const std::string shownText = ShownFileName(pathText);
    const char* path = shownText.c_str();
    IDirect3DDevice7* device = renderDevice.device;
    if (!device || !renderDevice.direct3D) {
        fprintf(stderr, "%s: no render device to load the scene onto\n", path);
        return 0;
    }

    std::vector<unsigned char> bytes;
    std::string problem;
    if (!ReadDataFile(pathText.c_str(), bytes, problem)) {
        fprintf(stderr, "%s: cannot read the scene: %s\n", path, problem.c_str());
        return 0;
    }
    SceneFile file;
    ParseSceneFile(bytes.data(), bytes.size(), frameScale, flatMesh, file);
    if (const SceneFileProblem* fatal = file.FirstFatalProblem()) {
        fprintf(stderr, "%s: offset %zu: %s\n", path, fatal->offset, fatal->message.c_str());
        return 0;
    }
    for (const SceneFileProblem& report : file.problems)
        fprintf(stderr, "%s: offset %zu: %s\n", path, report.offset, report.message.c_str());
    // The light set's counters are 8-bit and files append to them: lights past 255 are left out.
    const size_t lightRoom = 255 - lightSet.lightCount;
    if (file.lights.size() > lightRoom) {
        fprintf(stderr, "%s: offset %zu: %zu lights after the light set's %d would pass 255; the last %zu are left out\n",
                path, file.lights[lightRoom].offset, file.lights.size(), lightSet.lightCount,
                file.lights.size() - lightRoom);
        file.lights.resize(lightRoom);
    }

    lightSet.cameraCount = file.cameraCount;
    vertexCount = file.vertexCount;
    faceCount = file.faceCount;
    objectCount = file.objectCount;
    textureCount = file.textureCount;
    materialCount = file.materialCount;

    for (int i = 0; i < file.cameraCount; ++i) lightSet.cameras[i] = file.cameras[i];

    for (int i = 0; i < objectCount; ++i) {
        objects[i] = file.objects[i];
        SetIdentity(world[i]);
        renderStates[i] = ObjectRenderState{1, 1, 1, 0, D3DBLEND_ZERO, 1, D3DTADDRESS_WRAP, D3DCULL_CCW};
    }

    // A texture whose image cannot be loaded stays null and its objects draw untextured.
    for (int i = 0; i < textureCount; ++i) {
        textureNames[i] = CopyName(file.textureNames[i]);
        if (LoadJpeg(textureNames[i], &images[i])) {
            textures[i] = CreateTexture(device, images[i].width, images[i].height);
            if (textures[i]) UploadImage(textures[i], &images[i]);
        }
    }

    for (int i = 0; i < materialCount; ++i) {
        materials[i] = file.materials[i];
        deviceMaterials[i] = DeviceMaterial(materials[i]);
    }

    for (const SceneFileLight& light : file.lights) {
        const int j = lightSet.lightCount;
        delete[] lightSet.lightNames[j];
        lightSet.lightNames[j] = CopyName(light.name);
        lightSet.lights[j] = PointLight(light.position, light.colour);
        const char kind = LightKind(light.name);
        lightSet.kinds[j] = kind;
        if (kind != 'L') lightSet.flares[lightSet.flareCount++] = static_cast<uint8_t>(j);
        if (kind != 'F') {
            const int s = lightSet.deviceLightCount++;
            lightSet.slotToLight[s] = static_cast<uint8_t>(j);
            lightSet.lightToSlot[j] = static_cast<uint8_t>(s);
            device->SetLight(s, &lightSet.lights[j]);
            device->LightEnable(s, TRUE);
        }
        lightSet.lightCount = static_cast<uint8_t>(j + 1);
    }

    vertices = new MeshVertex[vertexCount];
    faces = new MeshFace[faceCount];
    if (!flatMesh) vertexSource = new DrawVertex[vertexCount];
    for (int i = 0; i < vertexCount; ++i) {
        vertices[i].position = file.positions[i];
        vertices[i].texture = Vector(file.textureCoordinates[2 * i], -file.textureCoordinates[2 * i + 1], 0.0f);
    }
    for (int i = 0; i < faceCount; ++i) faces[i] = file.faces[i];

    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    if (flatMesh)
        BuildFlatMesh();
    else
        BuildIndexedMesh();
    ComputeObjectBounds();

    for (const SceneFileTrack& track : file.tracks) {
        if (!track.usable) continue;
        TrackKey** keyTable = nullptr;
        Vector** sampleTable = nullptr;
        DWORD* lengthTable = nullptr;
        int32_t* keyCountSlot = nullptr;
        const int index = track.index;
        switch (track.kind) {
            case EyeTrack:
                keyTable = eyeKeys, sampleTable = eyeSamples, lengthTable = eyeSampleLengths;
                keyCountSlot = &eyeKeyCount;
                break;
            case TargetTrack:
                keyTable = targetKeys, sampleTable = targetSamples, lengthTable = targetSampleLengths;
                keyCountSlot = &targetKeyCount;
                break;
            case PositionTrack:
                keyTable = positionKeys, sampleTable = positionSamples, lengthTable = positionSampleLengths;
                keyCountSlot = &positionKeyCounts[index];
                break;
            case ScaleTrack:
                keyTable = scaleKeys, sampleTable = scaleSamples, lengthTable = scaleSampleLengths;
                keyCountSlot = &scaleKeyCounts[index];
                break;
            case LightTrack:
                keyTable = lightKeys, sampleTable = lightSamples, lengthTable = lightSampleLengths;
                keyCountSlot = &lightKeyCounts[index];
                break;
        }
        // A later track for the same slot replaces the earlier one.
        delete[] keyTable[index];
        delete[] sampleTable[index];
        const int keyCount = static_cast<int>(track.frames.size());
        TrackKey* keys = keyTable[index] = new TrackKey[keyCount];
        for (int k = 0; k < keyCount; ++k) {
            const Vector& v = track.values[k];
            SetKey(keys[k], static_cast<float>(track.frames[k]), v.x, v.y, v.z, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
        }
        *keyCountSlot = keyCount;
        // The last key's own frame gets no sample; a single key is held as one sample.
        const DWORD length = keyCount == 1 ? 1 : static_cast<DWORD>(track.frames.back());
        sampleTable[index] = new Vector[length];
        lengthTable[index] = length;
        SampleTrack(keys, keyCount, sampleTable[index]);
    }
    frameCount = file.frameCount;

    // A scene without vertices has nothing to put in a buffer (and devices refuse empty ones).
    if (!flatMesh && vertexCount > 0) {
        D3DVERTEXBUFFERDESC description;
        description.dwSize = sizeof description;
        description.dwCaps = IsTransformAndLightingDevice(device) ? 0 : D3DVBCAPS_SYSTEMMEMORY;
        description.dwFVF = DrawVertexFormat;
        description.dwNumVertices = vertexCount;
        if (FAILED(renderDevice.direct3D->CreateVertexBuffer(&description, &vertexBuffer, 0)) || !vertexBuffer) {
            // Everything read so far stays (others read the bounds, cameras and lights); only the
            // draws of this scene are skipped, as they have no buffer to draw from.
            fprintf(stderr, "%s: the vertex buffer for %d vertices cannot be created; the scene is not drawn\n", path,
                    vertexCount);
            vertexBuffer = nullptr;
            return 0;
        }
        void* data = nullptr;
        if (SUCCEEDED(vertexBuffer->Lock(DDLOCK_WAIT, &data, nullptr))) {
            memcpy(data, vertexSource, sizeof(DrawVertex) * vertexCount);
            vertexBuffer->Unlock();
        }
    }
    return 1;
}
