// One scene pass as the director runs it, checked call by call on a recording device.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "allocationcount.h"
#include "globals.h"
#include "recordingdevice.h"
#include "renderdevice.h"
#include "scene.h"

namespace {

// Stand-ins for surfaces and buffers: the renderer only passes them on.
LPDIRECTDRAWSURFACE7 FakeSurface(int n) { return reinterpret_cast<LPDIRECTDRAWSURFACE7>(0x1000 + 0x100 * n); }
LPDIRECT3DVERTEXBUFFER7 FakeBuffer() { return reinterpret_cast<LPDIRECT3DVERTEXBUFFER7>(0x9000); }

struct PassFixture : ::testing::Test {
    std::unique_ptr<Scene> scene{new Scene()};
    std::unique_ptr<LightSet> lights{new LightSet()};
    RecordingDevice device;
    RenderDevice renderDevice{};
    uint16_t indices[3][6] = {{0, 1, 2, 1, 2, 3}, {0, 1, 2, 2, 3, 0}, {0, 1, 2, 0, 0, 0}};
    std::vector<Vector> eyeTrack, scaleTrack, positionTrack, lightTrack, flareTrack;

    void SetUp() override {
        renderDevice.device = &device;
        Scene& s = *scene;
        s.objectCount = 3;
        s.materialCount = 2;
        s.textureCount = 2;
        const uint16_t ranges[3][4] = {{0, 4, 0, 2}, {4, 8, 2, 4}, {8, 11, 4, 5}};
        const int8_t materialOf[3] = {0, 1, 0};
        for (int i = 0; i < 3; ++i) {
            s.objects[i].firstVertex = ranges[i][0];
            s.objects[i].endVertex = ranges[i][1];
            s.objects[i].firstFace = ranges[i][2];
            s.objects[i].endFace = ranges[i][3];
            s.objects[i].material = materialOf[i];
            s.renderStates[i] = ObjectRenderState{1, 1, 1, 0, 1, 1, 1, 3};
            s.world[i] = IdentityMatrix();
            s.indices[i] = indices[i];
        }
        s.materials[0].texture = 1;
        s.materials[1].texture = -1;
        s.deviceMaterials[0].dvPower = 10.0f;
        s.deviceMaterials[1].dvPower = 20.0f;
        s.textures[0] = FakeSurface(0);
        s.textures[1] = FakeSurface(1);
        s.vertexBuffer = FakeBuffer();

        // Lights 0 and 3 are device lights, 1 a flare only, 2 both.
        LightSet& l = *lights;
        l.lightCount = 4;
        l.deviceLightCount = 3;
        l.flareCount = 2;
        const char kinds[4] = {'L', 'F', 'A', 'L'};
        for (int i = 0; i < 4; ++i) {
            l.kinds[i] = kinds[i];
            l.lights[i].dltType = D3DLIGHT_POINT;
            l.lights[i].dvPosition = D3DVECTOR{float(i), 0.0f, 0.0f};
            l.lights[i].dcvDiffuse.r = 0.25f * (i + 1);
        }
        l.lightToSlot[0] = 0;
        l.lightToSlot[2] = 1;
        l.lightToSlot[3] = 2;
        l.slotToLight[0] = 0;
        l.slotToLight[1] = 2;
        l.slotToLight[2] = 3;
        l.flares[0] = 1;
        l.flares[1] = 2;
        l.cameraCount = 1;
        l.cameras[0].eye = Vector(0, 0, -10);
        l.cameras[0].target = Vector(0, 0, 0);
        BuildProjectionMatrix(l.projection, 1.0f, 1.0f, 1.0f, 100.0f);
    }

    // The director's order for one 3D scene.
    void RunPass(int8_t camera, DWORD frame, LPDIRECTDRAWSURFACE7 overrideTexture, bool opaqueFirst = false) {
        scene->EvaluateCamera(*lights, camera, EYE, TARGET, frame);
        BuildViewMatrix(lights->view, EYE, TARGET, Vector(0, 1, 0));
        device.SetTransform(D3DTRANSFORMSTATE_PROJECTION, lights->projection.AsD3D());
        device.SetTransform(D3DTRANSFORMSTATE_VIEW, lights->view.AsD3D());
        scene->EvaluateObjects(frame);
        scene->UpdateLights(frame, renderDevice, *lights);
        lights->ApplyLights(renderDevice);
        if (opaqueFirst)
            scene->RenderOpaqueThenBlended(renderDevice, *lights, overrideTexture);
        else
            scene->Render(renderDevice, *lights, overrideTexture);
    }

    // The calls that draw each object, keyed by the world transform that opens them.
    std::vector<std::vector<const RecordedCall*>> ObjectBlocks() const {
        std::vector<std::vector<const RecordedCall*>> blocks;
        for (const RecordedCall& call : device.calls) {
            if (call.text == "SetTransform 1") blocks.emplace_back();
            if (!blocks.empty()) blocks.back().push_back(&call);
        }
        return blocks;
    }

    static void ExpectMatrix(const D3DMATRIX& actual, const Matrix& expected) {
        const float* a = &actual._11;
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], expected.m[i / 4][i % 4], 1e-5f) << "element " << i;
    }
};

TEST_F(PassFixture, SendsTransformsLightsAndEveryObjectInOrder) {
    RunPass(0, 0, nullptr);
    const std::vector<std::string> texts = device.Texts();
    std::vector<std::string> expected = {"SetTransform 3", "SetTransform 2",
                                         // device lights re-sent by the light update, flare skipped
                                         "SetLight 0", "SetLight 1", "SetLight 2"};
    for (int slot = 0; slot < 3; ++slot) {
        expected.push_back("SetLight " + std::to_string(slot));
        expected.push_back("LightEnable " + std::to_string(slot) + " 1");
    }
    for (int slot = 3; slot < 44; ++slot) expected.push_back("LightEnable " + std::to_string(slot) + " 0");
    const char* drawn[3] = {"DrawIndexedPrimitiveVB 4 0 4 6 0", "DrawIndexedPrimitiveVB 4 4 4 6 0",
                            "DrawIndexedPrimitiveVB 4 8 3 3 0"};
    for (int i = 0; i < 3; ++i) {
        for (const char* text : {"SetTransform 1", "SetRenderState 137 1", "SetRenderState 7 1",
                                 "SetRenderState 14 1", "SetRenderState 27 0", "SetRenderState 20 1",
                                 "SetRenderState 22 3", "SetTextureStageState 0 12 1", "SetTexture 0",
                                 "SetMaterial"})
            expected.push_back(text);
        expected.push_back(drawn[i]);
    }
    EXPECT_EQ(texts, expected);

    // Slots carry the light their map names; the light update sends by the light's own slot.
    const auto setLights = device.Matching("SetLight");
    ASSERT_EQ(setLights.size(), 6u);
    EXPECT_FLOAT_EQ(setLights[1]->light.dcvDiffuse.r, 0.75f);  // light 2 in slot 1
    EXPECT_FLOAT_EQ(setLights[2]->light.dcvDiffuse.r, 1.0f);   // light 3 in slot 2
    EXPECT_FLOAT_EQ(setLights[4]->light.dcvDiffuse.r, 0.75f);
    EXPECT_FLOAT_EQ(setLights[5]->light.dcvDiffuse.r, 1.0f);

    // Each object draws from its own indices with its own material.
    const auto blocks = ObjectBlocks();
    ASSERT_EQ(blocks.size(), 3u);
    const float powers[3] = {10.0f, 20.0f, 10.0f};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(blocks[i].back()->pointer, indices[i]);
        EXPECT_FLOAT_EQ(blocks[i][9]->material.dvPower, powers[i]);
    }
}

TEST_F(PassFixture, PerObjectStatesAreSentAsStored) {
    scene->renderStates[1] = ObjectRenderState{0, 0, 0, 1, 4, 77, 3, 1};
    RunPass(0, 0, nullptr);
    const auto blocks = ObjectBlocks();
    ASSERT_EQ(blocks.size(), 3u);
    std::vector<std::string> texts;
    for (int k = 1; k <= 7; ++k) texts.push_back(blocks[1][k]->text);
    EXPECT_EQ(texts, (std::vector<std::string>{"SetRenderState 137 0", "SetRenderState 7 0", "SetRenderState 14 0",
                                               "SetRenderState 27 1", "SetRenderState 20 4", "SetRenderState 22 1",
                                               "SetTextureStageState 0 12 3"}));
    // The next object sends its own states again: nothing is left over from object 1.
    EXPECT_EQ(blocks[2][1]->text, "SetRenderState 137 1");
}

TEST_F(PassFixture, SceneWithoutTracksDrawsAtIdentityFromStoredCamera) {
    scene->world[0] = Scaling(5.0f);  // left over from an earlier pass
    RunPass(0, 1234, nullptr);
    EXPECT_FLOAT_EQ(EYE.z, -10.0f);
    EXPECT_FLOAT_EQ(TARGET.z, 0.0f);
    Matrix view;
    BuildViewMatrix(view, Vector(0, 0, -10), Vector(0, 0, 0), Vector(0, 1, 0));
    ExpectMatrix(device.Matching("SetTransform 2")[0]->matrix, view);
    for (const RecordedCall* call : device.Matching("SetTransform 1")) ExpectMatrix(call->matrix, IdentityMatrix());
    // Untracked lights keep their loaded positions.
    EXPECT_FLOAT_EQ(lights->lights[3].dvPosition.x, 3.0f);
}

TEST_F(PassFixture, TextureComesFromMaterialOrOverride) {
    scene->textures[1] = nullptr;  // object 0 and 2's image failed to load
    scene->materials[1].texture = 0;
    RunPass(0, 0, nullptr);
    auto textures = device.Matching("SetTexture 0");
    ASSERT_EQ(textures.size(), 3u);
    EXPECT_EQ(textures[0]->pointer, nullptr);
    EXPECT_EQ(textures[1]->pointer, FakeSurface(0));

    // An untextured material draws untextured even though slot 0 holds a surface.
    scene->materials[1].texture = -1;
    device.calls.clear();
    RunPass(0, 0, nullptr);
    EXPECT_EQ(device.Matching("SetTexture 0")[1]->pointer, nullptr);

    // An override goes on every object, textured material or not.
    device.calls.clear();
    RunPass(0, 0, FakeSurface(7));
    textures = device.Matching("SetTexture 0");
    ASSERT_EQ(textures.size(), 3u);
    for (const RecordedCall* call : textures) EXPECT_EQ(call->pointer, FakeSurface(7));
}

TEST_F(PassFixture, FlatMeshDrawsUnindexedVertexTriples) {
    std::vector<DrawVertex> triples[3];
    for (int i = 0; i < 3; ++i) {
        const int faces = scene->objects[i].endFace - scene->objects[i].firstFace;
        triples[i].assign(faces * 3, DrawVertex{float(i), 0, 0, 0, 0, 1, 0, 0});
        scene->flatVertices[i] = triples[i].data();
        scene->indices[i] = nullptr;
    }
    scene->flatMesh = 1;
    scene->vertexBuffer = nullptr;
    RunPass(0, 0, nullptr);
    const auto draws = device.Matching("Draw");
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0]->text, "DrawPrimitive 4 274 6 0");
    EXPECT_EQ(draws[1]->text, "DrawPrimitive 4 274 6 0");
    EXPECT_EQ(draws[2]->text, "DrawPrimitive 4 274 3 0");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(draws[i]->pointer, triples[i].data());
}

TEST_F(PassFixture, OpaqueObjectsComeBeforeBlendedOnesAndOddValuesAreHidden) {
    scene->renderStates[0].alphaBlendEnable = 1;
    scene->renderStates[1].alphaBlendEnable = 2;
    RunPass(0, 0, nullptr, true);
    const auto draws = device.Matching("DrawIndexedPrimitiveVB");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0]->pointer, indices[2]);
    EXPECT_EQ(draws[1]->pointer, indices[0]);
    // The last object's states stay in force afterwards.
    EXPECT_EQ(device.Matching("SetRenderState 27").back()->text, "SetRenderState 27 1");

    // The plain draw keeps index order and draws everything.
    device.calls.clear();
    RunPass(0, 0, nullptr);
    EXPECT_EQ(device.Matching("DrawIndexedPrimitiveVB").size(), 3u);
}

TEST_F(PassFixture, EveryLightSlotIsTouchedWhateverTheCount) {
    lights->deviceLightCount = 0;
    lights->ApplyLights(renderDevice);
    EXPECT_EQ(device.Matching("SetLight").size(), 0u);
    EXPECT_EQ(device.Matching("LightEnable").size(), 44u);
    EXPECT_EQ(device.Matching("LightEnable 43 0").size(), 1u);
    EXPECT_EQ(device.Matching("LightEnable 0 0").size(), 1u);
}

TEST_F(PassFixture, CameraWithOnlyAnEyeTrackKeepsItsStoredTarget) {
    lights->cameras[2].eye = Vector(9, 9, 9);
    lights->cameras[2].target = Vector(1, 2, 3);
    eyeTrack = {Vector(0, 0, -5), Vector(0, 1, -5), Vector(0, 2, -5)};
    scene->eyeSamples[2] = eyeTrack.data();
    scene->eyeSampleLengths[2] = 3;
    RunPass(2, 1, nullptr);
    EXPECT_FLOAT_EQ(EYE.y, 1.0f);
    EXPECT_FLOAT_EQ(EYE.z, -5.0f);
    EXPECT_FLOAT_EQ(TARGET.x, 1.0f);
    EXPECT_FLOAT_EQ(TARGET.z, 3.0f);
    Matrix view;
    BuildViewMatrix(view, Vector(0, 1, -5), Vector(1, 2, 3), Vector(0, 1, 0));
    ExpectMatrix(device.Matching("SetTransform 2")[0]->matrix, view);

    // Past the track's end, even at a wrapped counter, the last sample holds.
    scene->EvaluateCamera(*lights, 2, EYE, TARGET, 3);
    EXPECT_FLOAT_EQ(EYE.y, 2.0f);
    scene->EvaluateCamera(*lights, 2, EYE, TARGET, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(EYE.y, 2.0f);
}

TEST_F(PassFixture, CameraIndexOutsideTheTableLeavesTheVectorsAlone) {
    EYE = Vector(4, 5, 6);
    scene->EvaluateCamera(*lights, -1, EYE, TARGET, 0);
    scene->EvaluateCamera(*lights, MaxCameras, EYE, TARGET, 0);
    EXPECT_FLOAT_EQ(EYE.x, 4.0f);
}

TEST_F(PassFixture, ObjectsScaleAboutTheirCentreThenMove) {
    scene->bounds[1].centre = Vector(1, 2, 3);
    scaleTrack = {Vector(1, 1, 1), Vector(2, 3, 4)};
    positionTrack = {Vector(0, 0, 0), Vector(10, 20, 30)};
    scene->scaleSamples[1] = scaleTrack.data();
    scene->scaleSampleLengths[1] = 2;
    scene->positionSamples[1] = positionTrack.data();
    scene->positionSampleLengths[1] = 2;
    lightTrack = {Vector(0, 0, 0), Vector(10, 20, 30), Vector(0, 0, 0)};  // the last is past the length
    scene->positionSamples[2] = lightTrack.data();
    scene->positionSampleLengths[2] = 2;
    scene->EvaluateObjects(1);

    // v becomes (v - centre) * s + centre + p.
    const Vector moved = TransformPoint(Vector(2, 3, 4), scene->world[1]);
    EXPECT_NEAR(moved.x, (2 - 1) * 2 + 1 + 10, 1e-4f);
    EXPECT_NEAR(moved.y, (3 - 2) * 3 + 2 + 20, 1e-4f);
    EXPECT_NEAR(moved.z, (4 - 3) * 4 + 3 + 30, 1e-4f);
    const Vector centre = TransformPoint(Vector(1, 2, 3), scene->world[1]);
    EXPECT_NEAR(centre.x, 11.0f, 1e-4f);

    // A position track alone only moves; a frame far past the end holds the last position.
    scene->EvaluateObjects(100000);
    const Vector shifted = TransformPoint(Vector(1, 1, 1), scene->world[2]);
    EXPECT_NEAR(shifted.x, 11.0f, 1e-4f);
    EXPECT_NEAR(shifted.z, 31.0f, 1e-4f);
    // Untracked objects are reset to the identity.
    scene->world[0] = Scaling(3.0f);
    scene->EvaluateObject(0, 0);
    EXPECT_FLOAT_EQ(scene->world[0].m[0][0], 1.0f);
}

TEST_F(PassFixture, FlareOnlyLightMovesButIsNeverSent) {
    flareTrack = {Vector(5, 6, 7), Vector(8, 9, 10)};
    lightTrack = {Vector(-1, -2, -3), Vector(-4, -5, -6)};
    scene->lightSamples[1] = flareTrack.data();
    scene->lightSampleLengths[1] = 2;
    scene->lightSamples[2] = lightTrack.data();
    scene->lightSampleLengths[2] = 2;
    scene->UpdateLights(1, renderDevice, *lights);
    EXPECT_FLOAT_EQ(lights->lights[1].dvPosition.x, 8.0f);
    EXPECT_FLOAT_EQ(lights->lights[1].dvPosition.z, 10.0f);
    EXPECT_FLOAT_EQ(lights->lights[2].dvPosition.y, -5.0f);

    const auto sent = device.Matching("SetLight");
    ASSERT_EQ(sent.size(), 3u);  // lights 0, 2 and 3; never the flare
    EXPECT_EQ(sent[1]->text, "SetLight 1");
    EXPECT_FLOAT_EQ(sent[1]->light.dvPosition.y, -5.0f);
    for (const RecordedCall* call : sent) EXPECT_NE(call->light.dvPosition.x, 8.0f);
}

TEST_F(PassFixture, DrawingAllocatesNothing) {
    if (!AllocationCounting()) GTEST_SKIP() << "the sanitiser owns operator new";
    scaleTrack = {Vector(1, 1, 1), Vector(2, 2, 2)};
    scene->scaleSamples[0] = scaleTrack.data();
    scene->scaleSampleLengths[0] = 2;
    lightTrack = {Vector(1, 1, 1), Vector(2, 2, 2)};
    scene->lightSamples[2] = lightTrack.data();
    scene->lightSampleLengths[2] = 2;
    device.recording = false;
    const std::size_t before = AllocationCount();
    for (DWORD frame = 0; frame < 4; ++frame) {
        RunPass(0, frame, nullptr);
        RunPass(0, frame, FakeSurface(3), true);
    }
    EXPECT_EQ(AllocationCount(), before);
}

}  // namespace
