// One scene pass as the director runs it, checked call by call.
#include <memory>
#include <string>
#include <vector>

#include "allocationcount.h"
#include "globals.h"
#include "renderdevice.h"
#include "scene.h"
#include "showfixture.h"

namespace {

struct PassFixture : ShowTest {
    std::unique_ptr<Scene> scene{new Scene()};
    std::unique_ptr<LightSet> lights{new LightSet()};
    uint16_t indices[3][6] = {{0, 1, 2, 1, 2, 3}, {0, 1, 2, 2, 3, 0}, {0, 1, 2, 0, 0, 0}};
    std::vector<Vector> eyeTrack, scaleTrack, positionTrack, lightTrack, flareTrack;

    void SetUp() override {
        ShowTest::SetUp();
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
        s.textures[0] = keyTexture;
        s.textures[1] = visionTexture;
        s.vertexBuffer = vertexBuffer;

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
        renderDevice.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, lights->projection.AsD3D());
        renderDevice.device->SetTransform(D3DTRANSFORMSTATE_VIEW, lights->view.AsD3D());
        scene->EvaluateObjects(frame);
        scene->UpdateLights(frame, renderDevice, *lights);
        lights->ApplyLights(renderDevice);
        if (opaqueFirst)
            scene->RenderOpaqueThenBlended(renderDevice, *lights, overrideTexture);
        else
            scene->Render(renderDevice, *lights, overrideTexture);
    }

    // The outline of the calls that draw each object, opened by its world transform.
    std::vector<std::vector<std::string>> ObjectBlocks() const {
        std::vector<std::vector<std::string>> blocks;
        for (const std::string& line : recorder.Outline()) {
            if (line == "SetTransform type=1") blocks.emplace_back();
            if (!blocks.empty()) blocks.back().push_back(line);
        }
        return blocks;
    }

    static void ExpectMatrix(const platform::TraceRecord* call, const Matrix& expected) {
        const Matrix actual = MatrixOf(*call);
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i / 4][i % 4], expected.m[i / 4][i % 4], 1e-5f) << "element " << i;
    }
};

TEST_F(PassFixture, SendsTransformsLightsAndEveryObjectInOrder) {
    RunPass(0, 0, nullptr);
    std::vector<std::string> expected = {"SetTransform type=3", "SetTransform type=2",
                                         // device lights re-sent by the light update, flare skipped
                                         "SetLight index=0", "SetLight index=1", "SetLight index=2"};
    for (int slot = 0; slot < 44; ++slot) {
        if (slot < 3) expected.push_back("SetLight index=" + std::to_string(slot));
        expected.push_back("LightEnable index=" + std::to_string(slot) + " enable=" + (slot < 3 ? "1" : "0"));
    }
    const char* textures[3] = {"vision.jpg", "null", "vision.jpg"};
    const char* ranges[3] = {"startVertex=0 vertexCount=4 indexCount=6", "startVertex=4 vertexCount=4 indexCount=6",
                             "startVertex=8 vertexCount=3 indexCount=3"};
    for (int i = 0; i < 3; ++i) {
        for (const char* line : {"SetTransform type=1", "SetRenderState state=137 value=1", "SetRenderState state=7 value=1",
                                 "SetRenderState state=14 value=1", "SetRenderState state=27 value=0",
                                 "SetRenderState state=20 value=1", "SetRenderState state=22 value=3",
                                 "SetTextureStageState stage=0 state=12 value=1"})
            expected.push_back(line);
        expected.push_back(std::string("SetTexture stage=0 texture=") + textures[i]);
        expected.push_back("SetMaterial");
        expected.push_back(std::string("DrawIndexedPrimitiveVB type=4 vertexFormat=274 ") + ranges[i] + " flags=0");
    }
    EXPECT_EQ(recorder.Outline(), expected);

    // Slots carry the light their map names; the light update sends by the light's own slot.
    const auto setLights = recorder.Matching("SetLight");
    ASSERT_EQ(setLights.size(), 6u);
    EXPECT_FLOAT_EQ(ArgumentOf(*setLights[1], "light.diffuse"), 0.75f);  // light 2 in slot 1
    EXPECT_FLOAT_EQ(ArgumentOf(*setLights[2], "light.diffuse"), 1.0f);   // light 3 in slot 2
    EXPECT_FLOAT_EQ(ArgumentOf(*setLights[4], "light.diffuse"), 0.75f);
    EXPECT_FLOAT_EQ(ArgumentOf(*setLights[5], "light.diffuse"), 1.0f);

    // Each object draws with its own material.
    const std::vector<RecordedDraw> draws = recorder.Draws();
    ASSERT_EQ(draws.size(), 3u);
    const float powers[3] = {10.0f, 20.0f, 10.0f};
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(draws[i].materialPower, powers[i]);
}

TEST_F(PassFixture, PerObjectStatesAreSentAsStored) {
    scene->renderStates[1] = ObjectRenderState{0, 0, 0, 1, 4, 77, 3, 1};
    RunPass(0, 0, nullptr);
    const auto blocks = ObjectBlocks();
    ASSERT_EQ(blocks.size(), 3u);
    const std::vector<std::string> states(blocks[1].begin() + 1, blocks[1].begin() + 8);
    EXPECT_EQ(states, (std::vector<std::string>{
                          "SetRenderState state=137 value=0", "SetRenderState state=7 value=0",
                          "SetRenderState state=14 value=0", "SetRenderState state=27 value=1",
                          "SetRenderState state=20 value=4", "SetRenderState state=22 value=1",
                          "SetTextureStageState stage=0 state=12 value=3"}));
    // The next object sends its own states again: nothing is left over from object 1.
    EXPECT_EQ(blocks[2][1], "SetRenderState state=137 value=1");
}

TEST_F(PassFixture, SceneWithoutTracksDrawsAtIdentityFromStoredCamera) {
    scene->world[0] = Scaling(5.0f);  // left over from an earlier pass
    RunPass(0, 1234, nullptr);
    EXPECT_FLOAT_EQ(EYE.z, -10.0f);
    EXPECT_FLOAT_EQ(TARGET.z, 0.0f);
    Matrix view;
    BuildViewMatrix(view, Vector(0, 0, -10), Vector(0, 0, 0), Vector(0, 1, 0));
    ExpectMatrix(recorder.Matching("SetTransform type=2 ")[0], view);
    for (const platform::TraceRecord* call : recorder.Matching("SetTransform type=1 ")) ExpectMatrix(call, IdentityMatrix());
    // Untracked lights keep their loaded positions.
    EXPECT_FLOAT_EQ(lights->lights[3].dvPosition.x, 3.0f);
}

TEST_F(PassFixture, TextureComesFromMaterialOrOverride) {
    scene->textures[1] = nullptr;  // object 0 and 2's image failed to load
    scene->materials[1].texture = 0;
    RunPass(0, 0, nullptr);
    auto textures = [&] {
        std::vector<std::string> names;
        for (const RecordedDraw& draw : recorder.Draws()) names.push_back(draw.texture);
        return names;
    };
    EXPECT_EQ(textures(), (std::vector<std::string>{"", "key.jpg", ""}));

    // An untextured material draws untextured even though slot 0 holds a surface.
    scene->materials[1].texture = -1;
    recorder.calls.clear();
    RunPass(0, 0, nullptr);
    EXPECT_EQ(textures()[1], "");

    // An override goes on every object, textured material or not.
    recorder.calls.clear();
    RunPass(0, 0, suspTexture);
    EXPECT_EQ(textures(), std::vector<std::string>(3, "susp.jpg"));
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
    const std::vector<RecordedDraw> draws = recorder.Draws();
    ASSERT_EQ(draws.size(), 3u);
    const DWORD counts[3] = {6, 6, 3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(draws[i].call->call, "DrawPrimitive");
        EXPECT_EQ(draws[i].VertexFormat(), DrawVertexFormat);
        EXPECT_EQ(ArgumentOf(*draws[i].call, "vertexCount"), counts[i]);
        EXPECT_EQ(draws[i].Vertices()[0], i) << "object " << i << " drew another object's vertices";
    }
}

TEST_F(PassFixture, OpaqueObjectsComeBeforeBlendedOnesAndOddValuesAreHidden) {
    scene->renderStates[0].alphaBlendEnable = 1;
    scene->renderStates[1].alphaBlendEnable = 2;
    RunPass(0, 0, nullptr, true);
    const auto draws = recorder.Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(ArgumentOf(*draws[0].call, "startVertex"), 8);  // object 2
    EXPECT_EQ(ArgumentOf(*draws[1].call, "startVertex"), 0);  // object 0
    // The last object's states stay in force afterwards.
    EXPECT_EQ(platform::FormatTraceRecord(*recorder.Matching("SetRenderState state=27 ").back()),
              "SetRenderState state=27 value=1");

    // The plain draw keeps index order and draws everything.
    recorder.calls.clear();
    RunPass(0, 0, nullptr);
    EXPECT_EQ(recorder.Draws().size(), 3u);
}

TEST_F(PassFixture, EveryLightSlotIsTouchedWhateverTheCount) {
    lights->deviceLightCount = 0;
    lights->ApplyLights(renderDevice);
    EXPECT_EQ(recorder.Matching("SetLight").size(), 0u);
    EXPECT_EQ(recorder.Matching("LightEnable").size(), 44u);
    EXPECT_EQ(recorder.Matching("LightEnable index=43 enable=0").size(), 1u);
    EXPECT_EQ(recorder.Matching("LightEnable index=0 enable=0").size(), 1u);
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
    ExpectMatrix(recorder.Matching("SetTransform type=2 ")[0], view);

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

    const auto sent = recorder.Matching("SetLight");
    ASSERT_EQ(sent.size(), 3u);  // lights 0, 2 and 3; never the flare
    EXPECT_EQ(ArgumentOf(*sent[1], "index"), 1);
    EXPECT_FLOAT_EQ(ArgumentOf(*sent[1], "light.position", 1), -5.0f);
    for (const platform::TraceRecord* call : sent) EXPECT_NE(ArgumentOf(*call, "light.position"), 8.0f);
}

TEST_F(PassFixture, DrawingAllocatesNothing) {
    if (!AllocationCounting()) GTEST_SKIP() << "the sanitiser owns operator new";
    scaleTrack = {Vector(1, 1, 1), Vector(2, 2, 2)};
    scene->scaleSamples[0] = scaleTrack.data();
    scene->scaleSampleLengths[0] = 2;
    lightTrack = {Vector(1, 1, 1), Vector(2, 2, 2)};
    scene->lightSamples[2] = lightTrack.data();
    scene->lightSampleLengths[2] = 2;
    platform::SetTraceSink(nullptr);
    // The software device sizes its light table at a slot's first use: the passes are counted after that.
    renderDevice.device->LightEnable(DeviceLightSlots - 1, TRUE);
    const std::size_t before = AllocationCount();
    for (DWORD frame = 0; frame < 4; ++frame) {
        RunPass(0, frame, nullptr);
        RunPass(0, frame, suspTexture, true);
    }
    EXPECT_EQ(AllocationCount(), before);
}

}  // namespace
