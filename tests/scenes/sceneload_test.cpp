#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "scripteddevice.h"
#include "jpegwriter.h"
#include "scene.h"
#include "scenewriter.h"
#include "track.h"
#include "workfolder.h"

using namespace testscene;

namespace {

TestScene TwoBoxes() {
    TestScene scene;
    scene.cameras.push_back({"cam", Vector(0, 0, -10), Vector(0, 0, 0)});
    scene.textures = {"wood.jpg"};
    scene.materials.push_back({"wood", Vector(0.1f, 0.2f, 0.3f), Vector(0.8f, 0.6f, 0.4f), Vector(0.5f, 0.5f, 0.5f), 0});
    scene.materials.push_back({"plain", Vector(0, 0, 0), Vector(1, 1, 1), Vector(0, 0, 0), -1});
    scene.lights.push_back({"Lamp", Vector(0, 5, 0), Vector(1, 0.9f, 0.8f)});
    scene.AddBox("left", Vector(-2, 0, 0), Vector(1, 1, 1), 0);
    scene.AddBox("right", Vector(2, 1, 0), Vector(1, 2, 3), 1);
    for (size_t i = 0; i < scene.textureCoordinates.size(); ++i)
        scene.textureCoordinates[i] = {0.25f * static_cast<float>(i % 4), 0.5f};
    return scene;
}

class SceneLoading : public ::testing::Test {
protected:
    ScopedWorkFolder folder;
    fake::Setup setup;
    std::unique_ptr<Scene> scene{new Scene()};
    std::unique_ptr<Scene> other{new Scene()};
    std::unique_ptr<LightSet> lights{new LightSet()};

    void TearDown() override {
        scene->Free();
        other->Free();
        for (char*& name : lights->lightNames) delete[] name;
    }

    int Load(const TestScene& contents, int flatMesh = 0, float frameScale = 1.0f, Scene* target = nullptr) {
        return LoadBytes(contents.Bytes(), flatMesh, frameScale, target);
    }

    int LoadBytes(const std::vector<unsigned char>& bytes, int flatMesh = 0, float frameScale = 1.0f,
                  Scene* target = nullptr) {
        EXPECT_TRUE(WriteFile("scenes/test.3d", bytes));
        return (target ? target : scene.get())->Load("test.3d", *lights, setup.renderDevice, frameScale, flatMesh);
    }

    // The scene holds nothing a draw could trip over.
    void ExpectEmpty(const Scene& s) {
        EXPECT_EQ(s.objectCount, 0);
        EXPECT_EQ(s.vertexCount, 0);
        EXPECT_EQ(s.faceCount, 0);
        EXPECT_EQ(s.textureCount, 0);
        EXPECT_EQ(s.materialCount, 0);
        EXPECT_EQ(s.frameCount, 0);
        EXPECT_EQ(s.vertexBuffer, nullptr);
        EXPECT_EQ(s.vertices, nullptr);
        for (int i = 0; i < MaxCameras; ++i) EXPECT_EQ(s.eyeSamples[i], nullptr);
    }
};

TEST_F(SceneLoading, FillsTheSceneAndItsLightSet) {
    ASSERT_TRUE(WriteJpeg("gfx/wood.jpg", 8, 4, [](int, int) { return 0xFF0000u; }));
    ASSERT_EQ(Load(TwoBoxes()), 1);
    EXPECT_EQ(lights->cameraCount, 1);
    EXPECT_EQ(lights->cameras[0].eye.z, -10.0f);
    EXPECT_EQ(scene->objectCount, 2);
    EXPECT_EQ(scene->vertexCount, 16);
    EXPECT_EQ(scene->faceCount, 24);
    EXPECT_EQ(scene->objects[1].firstVertex, 8);
    EXPECT_EQ(scene->objects[1].material, 1);
    EXPECT_EQ(memcmp(scene->objects[1].name, "\005right", 6), 0);

    const ObjectRenderState loaded = {1, 1, 1, 0, 1, 1, 1, 3};
    EXPECT_EQ(memcmp(&scene->renderStates[1], &loaded, sizeof loaded), 0);
    const Matrix identity = IdentityMatrix();
    EXPECT_EQ(memcmp(&scene->world[1], &identity, sizeof identity), 0);

    ASSERT_NE(scene->textureNames[0], nullptr);
    EXPECT_STREQ(scene->textureNames[0], "wood.jpg");
    ASSERT_NE(scene->textures[0], nullptr);
    EXPECT_EQ(scene->images[0].width, 8u);
    EXPECT_EQ(static_cast<fake::Surface*>(scene->textures[0])->Pixel(3, 2), 0xF800u);

    const D3DMATERIAL7& material = scene->deviceMaterials[0];
    EXPECT_EQ(material.dcvDiffuse.g, 0.6f);
    EXPECT_EQ(material.dcvAmbient.b, 0.3f);
    EXPECT_EQ(material.dcvSpecular.r, 0.5f);
    EXPECT_EQ(material.dcvDiffuse.a + material.dcvAmbient.a + material.dcvSpecular.a, 0.0f);
    EXPECT_EQ(material.dcvEmissive.r, 0.0f);
    EXPECT_EQ(material.dvPower, 50.0f);
    EXPECT_EQ(scene->materials[1].texture, -1);

    EXPECT_EQ(scene->vertices[5].texture.x, 0.25f);
    EXPECT_EQ(scene->vertices[5].texture.y, -0.5f);
    EXPECT_EQ(scene->vertexSource[5].tv, -0.5f);

    const ObjectBounds& box = scene->bounds[1];
    EXPECT_EQ(box.minimum.x, 1.5f);
    EXPECT_EQ(box.maximum.y, 2.0f);
    EXPECT_EQ(box.minimum.z, -1.5f);
    EXPECT_EQ(box.centre.x, 2.0f);
    EXPECT_EQ(box.centre.y, 1.0f);

    ASSERT_EQ(setup.device.stageStates.size(), 2u);
    EXPECT_EQ(setup.device.stageStates[0].state, D3DTSS_MAGFILTER);
    EXPECT_EQ(setup.device.stageStates[0].value, static_cast<DWORD>(D3DTFG_LINEAR));
    EXPECT_EQ(setup.device.stageStates[1].state, D3DTSS_MINFILTER);
    EXPECT_EQ(setup.device.stageStates[1].value, static_cast<DWORD>(D3DTFN_LINEAR));
}

TEST_F(SceneLoading, MissingImagesLeaveTheirSlotEmpty) {
    ASSERT_EQ(Load(TwoBoxes()), 1);
    EXPECT_EQ(scene->textures[0], nullptr);
    EXPECT_STREQ(scene->textureNames[0], "wood.jpg");
}

TEST_F(SceneLoading, ZeroCountsLoadWithoutTracks) {
    ASSERT_EQ(Load(TestScene()), 1);
    EXPECT_EQ(scene->vertexBuffer, nullptr);
    EXPECT_TRUE(setup.direct3D.vertexBuffers.empty());
    EXPECT_EQ(scene->frameCount, 0);
    EXPECT_EQ(lights->lightCount, 0);
    for (int i = 0; i < MaxObjects; ++i) EXPECT_EQ(scene->positionSamples[i], nullptr);
    for (int i = 0; i < MaxLights; ++i) EXPECT_EQ(scene->lightSamples[i], nullptr);
}

TEST_F(SceneLoading, LightKindsFollowTheirNames) {
    TestScene contents;
    const char* names[] = {"Lamp", "F glow", "LF both", "FL both", "LFx", "F", "FLAME", "L F"};
    const char kinds[] = {'L', 'F', 'A', 'A', 'L', 'L', 'L', 'L'};
    for (const char* name : names) contents.lights.push_back({name, Vector(1, 2, 3), Vector(0.5f, 0.25f, 1)});
    ASSERT_EQ(Load(contents), 1);
    ASSERT_EQ(lights->lightCount, 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(lights->kinds[i], kinds[i]) << names[i];
    EXPECT_STREQ(lights->lightNames[2], "LF both");
    EXPECT_EQ(lights->flareCount, 3);
    EXPECT_EQ(lights->flares[0], 1);
    EXPECT_EQ(lights->flares[2], 3);
    EXPECT_EQ(lights->deviceLightCount, 7);
    EXPECT_EQ(lights->lightToSlot[2], 1);
    EXPECT_EQ(lights->slotToLight[1], 2);
    EXPECT_EQ(lights->slotToLight[2], 3);
    ASSERT_EQ(setup.device.lights.size(), 7u);
    EXPECT_EQ(setup.device.lights[1].slot, 1u);
    EXPECT_EQ(setup.device.enabledLights.size(), 7u);

    const D3DLIGHT7& light = lights->lights[2];
    EXPECT_EQ(light.dltType, D3DLIGHT_POINT);
    EXPECT_EQ(light.dcvDiffuse.g, 0.25f);
    EXPECT_EQ(light.dcvDiffuse.a, 0.0f);
    EXPECT_EQ(light.dcvSpecular.r + light.dcvAmbient.g, 0.0f);
    EXPECT_EQ(light.dvPosition.z, 3.0f);
    EXPECT_EQ(light.dvRange, static_cast<float>(std::sqrt(static_cast<double>(FLT_MAX))));
    EXPECT_EQ(light.dvAttenuation0, 1.0f);
    EXPECT_EQ(light.dvAttenuation1 + light.dvAttenuation2 + light.dvFalloff + light.dvTheta, 0.0f);
    EXPECT_EQ(memcmp(&setup.device.lights[1].light, &light, sizeof light), 0);
}

TEST_F(SceneLoading, TwoFilesAppendToOneLightSet) {
    TestScene first;
    first.cameras.push_back({"one", Vector(1, 0, 0), Vector(0, 0, 0)});
    first.cameras.push_back({"two", Vector(2, 0, 0), Vector(0, 0, 0)});
    for (const char* name : {"a", "F flare", "b", "c"}) first.lights.push_back({name, Vector(0, 0, 0), Vector(1, 1, 1)});
    TestScene second;
    second.cameras.push_back({"three", Vector(3, 0, 0), Vector(0, 0, 0)});
    for (const char* name : {"d", "e"}) second.lights.push_back({name, Vector(0, 0, 7), Vector(1, 1, 1)});
    ASSERT_EQ(Load(first), 1);
    ASSERT_EQ(Load(second, 0, 1.0f, other.get()), 1);
    EXPECT_EQ(lights->deviceLightCount, 5);
    EXPECT_EQ(lights->lightCount, 6);
    EXPECT_EQ(lights->flareCount, 1);
    EXPECT_EQ(lights->lightToSlot[4], 3);
    EXPECT_EQ(lights->slotToLight[3], 4);
    EXPECT_EQ(setup.device.lights[3].slot, 3u);
    EXPECT_EQ(setup.device.lights[3].light.dvPosition.z, 7.0f);
    // The second file's cameras replace the first file's.
    EXPECT_EQ(lights->cameraCount, 1);
    EXPECT_EQ(lights->cameras[0].eye.x, 3.0f);
}

TEST_F(SceneLoading, LightsPastTheEightBitCounterAreLeftOut) {
    lights->lightCount = 250;
    TestScene contents = TwoBoxes();
    for (int i = 0; i < 5; ++i) contents.lights.push_back({"more", Vector(0, 0, 0), Vector(1, 1, 1)});
    testing::internal::CaptureStderr();
    EXPECT_EQ(Load(contents), 1);
    const std::string message = testing::internal::GetCapturedStderr();
    // The sixth light is the first that does not fit.
    EXPECT_NE(message.find("scenes//test.3d: offset " + std::to_string(contents.Sections().lights + 5 * LightRecordSize)),
              std::string::npos)
        << message;
    EXPECT_EQ(lights->lightCount, 255);
    EXPECT_EQ(setup.device.lights.size(), 5u);
    EXPECT_EQ(scene->objectCount, 2);
}

TEST_F(SceneLoading, SharedVerticesSumUnnormalisedFaceNormals) {
    TestScene contents;
    // Two faces of different sizes meeting at vertex 1, at right angles.
    contents.AddObject("hinge", {Vector(0, 0, 0), Vector(1, 0, 0), Vector(0, 1, 0), Vector(1, 0, 2)},
                       {{0, 2, 1}, {0, 1, 3}}, 0);
    contents.materials.push_back({"m", Vector(0, 0, 0), Vector(1, 1, 1), Vector(0, 0, 0), -1});
    ASSERT_EQ(Load(contents), 1);
    const Vector small = Cross(Vector(0, 0, 0) - Vector(0, 1, 0), Vector(0, 1, 0) - Vector(1, 0, 0));
    const Vector large = Cross(Vector(0, 0, 0) - Vector(1, 0, 0), Vector(1, 0, 0) - Vector(1, 0, 2));
    const Vector sum = small + large;
    const Vector& normal = scene->vertices[1].normal;
    EXPECT_FLOAT_EQ(normal.x, sum.x);
    EXPECT_FLOAT_EQ(normal.y, sum.y);
    EXPECT_FLOAT_EQ(normal.z, sum.z);
    EXPECT_FLOAT_EQ(scene->vertices[2].normal.z, small.z);  // used by one face only
    const Vector unit = Normalize(sum);
    EXPECT_FLOAT_EQ(scene->vertexSource[1].nx, unit.x);
    EXPECT_FLOAT_EQ(scene->vertexSource[1].ny, unit.y);
    EXPECT_FLOAT_EQ(scene->vertexSource[1].nz, unit.z);
}

TEST_F(SceneLoading, FlatAndIndexedLoadsOfOneFileAgree) {
    const TestScene contents = TwoBoxes();
    ASSERT_EQ(Load(contents, 0), 1);
    ASSERT_EQ(Load(contents, 1, 1.0f, other.get()), 1);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(memcmp(&scene->vertices[i], &other->vertices[i], sizeof(MeshVertex)), 0) << i;
    }
    for (int o = 0; o < 2; ++o) EXPECT_EQ(memcmp(&scene->bounds[o], &other->bounds[o], sizeof(ObjectBounds)), 0);

    // Indexed: one buffer of every vertex, indices relative to each object's first vertex.
    ASSERT_NE(scene->vertexBuffer, nullptr);
    EXPECT_EQ(scene->flatVertices[0], nullptr);
    const fake::VertexBuffer& buffer = *setup.direct3D.vertexBuffers[0];
    EXPECT_EQ(buffer.description.dwFVF, 0x112u);
    EXPECT_EQ(buffer.description.dwNumVertices, 16u);
    EXPECT_EQ(buffer.description.dwCaps, static_cast<DWORD>(D3DVBCAPS_SYSTEMMEMORY));
    EXPECT_EQ(buffer.description.dwSize, 16u);
    EXPECT_EQ(memcmp(buffer.memory.data(), scene->vertexSource, 16 * sizeof(DrawVertex)), 0);
    for (int k = 0; k < 36; ++k) {
        EXPECT_EQ(scene->indices[1][k], contents.faces[12 + k / 3][k % 3] - 8) << k;
        EXPECT_EQ(scene->indices[0][k], contents.faces[k / 3][k % 3]) << k;
    }

    // Flat: three vertices per face in face order, no buffer and no indices.
    EXPECT_EQ(other->vertexBuffer, nullptr);
    EXPECT_EQ(other->indices[0], nullptr);
    EXPECT_EQ(other->vertexSource, nullptr);
    EXPECT_EQ(setup.direct3D.vertexBuffers.size(), 1u);
    ASSERT_NE(other->flatVertices[1], nullptr);
    for (int k = 0; k < 36; ++k)
        EXPECT_EQ(memcmp(&other->flatVertices[1][k], &scene->vertexSource[contents.faces[12 + k / 3][k % 3]],
                         sizeof(DrawVertex)),
                  0)
            << k;
}

TEST_F(SceneLoading, VertexBufferMemoryFollowsTheDevice) {
    setup.device.caps.deviceGUID = IID_IDirect3DTnLHalDevice;
    ASSERT_EQ(Load(TwoBoxes()), 1);
    EXPECT_EQ(setup.direct3D.vertexBuffers[0]->description.dwCaps, 0u);
}

TEST_F(SceneLoading, TracksAreSampledPerFrame) {
    TestScene contents = TwoBoxes();
    contents.tracks.push_back(CameraEyeTrack(0, {{0, Vector(0, 0, -10)}, {10, Vector(0, 0, 5)}}));
    contents.tracks.push_back(CameraEyeTrack(1, {{0, Vector(0, 0, 0)}, {5, Vector(1, 0, 0)}, {9, Vector(0, 0, 0)}}));
    contents.tracks.push_back(ObjectPositionTrack(1, {{0, Vector(0, 0, 0)}, {10, Vector(10, 0, 0)}, {20, Vector(20, 0, 0)}}));
    contents.tracks.push_back(ObjectScaleTrack(0, {{0, Vector(1, 1, 1)}}));
    contents.tracks.push_back(LightPositionTrack(0, {{3, Vector(0, 0, 0)}, {9, Vector(0, 0, 0)}}));
    contents.tracks.push_back(CameraTargetTrack(2, {{0, Vector(0, 0, 0)}, {7, Vector(0, 0, 0)}}));
    testing::internal::CaptureStderr();
    ASSERT_EQ(Load(contents, 0, 3.2f), 1);
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_NE(warnings.find("light track 0 starts at frame 9"), std::string::npos) << warnings;

    ASSERT_NE(scene->eyeSamples[0], nullptr);
    EXPECT_EQ(scene->eyeSampleLengths[0], 32u);
    EXPECT_EQ(scene->eyeSamples[0][0].z, -10.0f);
    EXPECT_NEAR(scene->eyeSamples[0][31].z, -10.0f + 31 * 5.0f / 32.0f, 1e-4);
    EXPECT_EQ(scene->eyeKeyCount, 3);  // the last eye track read
    EXPECT_EQ(scene->eyeKeys[1][2].frame, 28.0f);
    EXPECT_EQ(scene->eyeSampleLengths[1], 28u);
    EXPECT_EQ(scene->targetSampleLengths[2], 22u);
    EXPECT_EQ(scene->targetKeyCount, 2);

    EXPECT_EQ(scene->positionKeyCounts[1], 3);
    EXPECT_EQ(scene->positionSampleLengths[1], 64u);
    EXPECT_NEAR(scene->positionSamples[1][32].x, 10.0f, 1e-4);
    EXPECT_EQ(scene->positionKeys[1][1].outTangent.x, scene->positionKeys[1][1].inTangent.x);
    EXPECT_EQ(scene->positionSamples[0], nullptr);

    ASSERT_NE(scene->scaleSamples[0], nullptr);  // a single key is held
    EXPECT_EQ(scene->scaleSampleLengths[0], 1u);
    EXPECT_EQ(SampleAt(scene->scaleSamples[0], scene->scaleSampleLengths[0], 500).y, 1.0f);

    EXPECT_EQ(scene->lightSamples[0], nullptr);
    EXPECT_EQ(scene->lightKeys[0], nullptr);
    EXPECT_EQ(scene->frameCount, 64);
}

TEST_F(SceneLoading, ReloadingReplacesEverything) {
    TestScene contents = TwoBoxes();
    contents.tracks.push_back(CameraEyeTrack(3, {{0, Vector(0, 0, 0)}, {10, Vector(0, 0, 5)}}));
    ASSERT_EQ(Load(contents), 1);
    ASSERT_NE(scene->eyeSamples[3], nullptr);
    ASSERT_EQ(Load(TestScene()), 1);
    EXPECT_EQ(scene->eyeSamples[3], nullptr);
    EXPECT_EQ(scene->textureNames[0], nullptr);
    EXPECT_EQ(scene->frameCount, 0);
}

TEST_F(SceneLoading, MissingFileOrDeviceFailsCleanly) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(scene->Load("absent.3d", *lights, setup.renderDevice, 1.0f, 0), 0);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("scenes//absent.3d"), std::string::npos) << message;
    ExpectEmpty(*scene);

    RenderDevice none;
    memset(&none, 0, sizeof none);
    ASSERT_TRUE(WriteFile("scenes/test.3d", TwoBoxes().Bytes()));
    testing::internal::CaptureStderr();
    EXPECT_EQ(scene->Load("test.3d", *lights, none, 1.0f, 0), 0);
    testing::internal::GetCapturedStderr();
    ExpectEmpty(*scene);
}

TEST_F(SceneLoading, FailedVertexBufferKeepsEverythingReadButTheBuffer) {
    setup.direct3D.failCreateVertexBuffer = 1;
    TestScene contents = TwoBoxes();
    contents.tracks.push_back(ObjectPositionTrack(1, {{0, Vector(0, 0, 0)}, {10, Vector(10, 0, 0)}}));
    testing::internal::CaptureStderr();
    EXPECT_EQ(Load(contents), 0);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("vertex buffer"), std::string::npos) << message;
    // Without a buffer the renderer skips the scene's draws; everything else is there to read.
    EXPECT_EQ(scene->vertexBuffer, nullptr);
    EXPECT_EQ(scene->objectCount, 2);
    EXPECT_EQ(scene->bounds[1].centre.x, 2.0f);
    EXPECT_NE(scene->positionSamples[1], nullptr);
    EXPECT_EQ(scene->frameCount, 10);
    EXPECT_EQ(lights->cameraCount, 1);
    EXPECT_EQ(lights->lightCount, 1);
}

TEST_F(SceneLoading, FailedVertexBufferLockStillLoads) {
    // A buffer that refuses its lock is left unfilled; the scene stays loaded.
    setup.direct3D.failVertexBufferLock = 1;
    ASSERT_EQ(Load(TwoBoxes()), 1);
    ASSERT_NE(scene->vertexBuffer, nullptr);
    const std::vector<unsigned char>& memory = setup.direct3D.vertexBuffers[0]->memory;
    EXPECT_EQ(std::count(memory.begin(), memory.end(), 0), static_cast<long>(memory.size()));
    EXPECT_EQ(scene->objectCount, 2);
}

TEST_F(SceneLoading, EveryTruncationFailsWithOneLineAndAnEmptyScene) {
    TestScene contents = TwoBoxes();
    contents.tracks.push_back(CameraEyeTrack(0, {{0, Vector(0, 0, -10)}, {10, Vector(0, 0, 5)}}));
    contents.tracks.push_back(ObjectPositionTrack(1, {{0, Vector(0, 0, 0)}, {5, Vector(1, 0, 0)}, {9, Vector(0, 0, 0)}}));
    const std::vector<unsigned char> bytes = contents.Bytes();
    for (size_t size = 0; size < bytes.size(); ++size) {
        lights.reset(new LightSet());
        testing::internal::CaptureStderr();
        const int result = LoadBytes(std::vector<unsigned char>(bytes.begin(), bytes.begin() + size));
        const std::string message = testing::internal::GetCapturedStderr();
        ASSERT_EQ(result, 0) << "cut at " << size;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_NE(message.find("scenes//test.3d: offset " + std::to_string(size)), std::string::npos) << message;
        ExpectEmpty(*scene);
        EXPECT_EQ(lights->lightCount, 0);
    }
    EXPECT_EQ(LoadBytes(bytes), 1);
}

TEST_F(SceneLoading, RangeFaultsAreRefusedBadIndicesAndFramesDegrade) {
    TestScene contents = TwoBoxes();
    contents.faces[4][2] = 40;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Load(contents), 0);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("face 4 uses vertex 40"), std::string::npos) << message;
    ExpectEmpty(*scene);

    // A track past its table and a key past 16 bits are left out; a material past the count is
    // clamped; a texture index past the textures draws untextured. The rest of the scene stays.
    contents = TwoBoxes();
    contents.tracks.push_back(LightPositionTrack(300, {{0, Vector(0, 0, 0)}, {5, Vector(0, 0, 0)}}));
    contents.tracks.push_back(CameraEyeTrack(0, {{0, Vector(0, 0, 0)}, {8, Vector(0, 0, 0)}, {16384, Vector(0, 0, 0)}}));
    contents.objects[0].material = 7;
    contents.materials[1].texture = 3;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Load(contents, 0, 2.0f), 1);
    message = testing::internal::GetCapturedStderr();
    for (const char* problem : {"outside 0..299", "16 bits", "uses material 7", "uses texture 3"})
        EXPECT_NE(message.find(problem), std::string::npos) << problem << "\n" << message;
    EXPECT_EQ(scene->objectCount, 2);
    EXPECT_EQ(scene->objects[0].material, 1);
    EXPECT_EQ(scene->textures[3], nullptr);
    EXPECT_EQ(scene->eyeKeyCount, 2);
    EXPECT_EQ(scene->eyeSampleLengths[0], 16u);
    EXPECT_EQ(scene->frameCount, 16);
    ASSERT_NE(scene->vertexBuffer, nullptr);
}

TEST_F(SceneLoading, SceneFilesThatAreNotFilesFailAtOnceWithTheReason) {
    ASSERT_EQ(mkdir("scenes/folder.3d", 0755), 0);
    ASSERT_EQ(mkfifo("scenes/fifo.3d", 0644), 0);
    ASSERT_EQ(symlink("loop.3d", "scenes/loop.3d"), 0);
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {{"folder.3d", "folder"}, {"fifo.3d", "FIFO"}, {"loop.3d", "symbolic links"}};
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(scene->Load(c.name, *lights, setup.renderDevice, 1.0f, 0), 0) << c.name;
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find(std::string("scenes//") + c.name + ": cannot read the scene: "), std::string::npos)
            << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        ExpectEmpty(*scene);
    }
    // A long name is opened as it stands, not cut.
    const std::string longName = std::string(230, 'n') + ".3d";
    ASSERT_TRUE(WriteFile("scenes/" + longName, TwoBoxes().Bytes()));
    EXPECT_EQ(scene->Load(longName.c_str(), *lights, setup.renderDevice, 1.0f, 0), 1);
}

}  // namespace
