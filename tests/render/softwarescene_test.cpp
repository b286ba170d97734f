// A small scene file loaded and drawn on the software device of a virtual display: the call
// sequence of one traced scene pass, and the pixels it leaves.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "billboard.h"
#include "callrecorder.h"
#include "globals.h"
#include "jpegwriter.h"
#include "platform/devicetrace.h"
#include "platform/virtualdisplay.h"
#include "renderdevice.h"
#include "scene.h"
#include "scenewriter.h"
#include "showfixture.h"
#include "workfolder.h"

namespace {

constexpr DWORD Size = 64;

// A JPEG of one colour, written where the loader looks for images.
bool WriteSolidJpeg(const char* path, uint32_t colour) {
    return WriteJpeg(path, 8, 8, [colour](int, int) { return colour; });
}

// A quad facing a viewer on the -z side, in the winding the loader's normals point towards.
std::vector<Vector> Quad(float left, float bottom, float right, float top, float z) {
    return {Vector(left, bottom, z), Vector(left, top, z), Vector(right, top, z), Vector(right, bottom, z)};
}
const std::vector<std::array<int, 3>> QuadFaces = {{0, 1, 2}, {0, 2, 3}};

class SoftwareSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteSolidJpeg("gfx/green.jpg", 0x00FF00));
        ASSERT_TRUE(WriteSolidJpeg("gfx/blue.jpg", 0x0000FF));
        platform::UseVirtualDisplay(Size, Size, [](const platform::FrameImage&) {});
        ASSERT_NO_FATAL_FAILURE(CreateShowDevice(Size, 32));
        renderDevice.device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    }

    void TearDown() override {
        scene->Free();
        // The light set owns its light names; nothing else frees them.
        for (int i = 0; i < lights->lightCount; ++i) delete[] lights->lightNames[i];
        renderDevice.Destroy();
    }

    // Three quads seen from a camera 10 units in front: a lit red one on the left, an unlit
    // green-textured one on the right and, in front of the red one, a small blue-textured one
    // that the director will blend additively.
    void WriteScene(const char* name) {
        testscene::TestScene file;
        file.cameras.push_back({"camera", Vector(0, 0, -10), Vector(0, 0, 0)});
        file.textures = {"green.jpg", "blue.jpg"};
        file.materials.push_back({"red", Vector(0, 0, 0), Vector(1, 0, 0), Vector(0, 0, 0), -1});
        file.materials.push_back({"green", Vector(0, 0, 0), Vector(1, 1, 1), Vector(0, 0, 0), 0});
        file.materials.push_back({"blue", Vector(0, 0, 0), Vector(1, 1, 1), Vector(0, 0, 0), 1});
        file.lights.push_back({"lamp", Vector(0, 0, -5), Vector(1, 1, 1)});
        file.lights.push_back({"F glow", Vector(0, 4, 0), Vector(1, 1, 1)});
        file.AddObject("red", Quad(-8, -3, -2, 3, 0), QuadFaces, 0);
        file.AddObject("green", Quad(2, -3, 8, 3, 0), QuadFaces, 1);
        file.AddObject("blue", Quad(-5, -1, -3, 1, -1), QuadFaces, 2);
        ASSERT_TRUE(testscene::WriteFile(std::string("scenes/") + name, file.Bytes()));
    }

    void LoadScene() {
        WriteScene("three.3d");
        ASSERT_EQ(scene->Load("three.3d", *lights, renderDevice, 1.0f, 0), 1);
        ASSERT_EQ(BuildProjectionMatrix(lights->projection, 1.5707964f, 1.0f, 1.0f, 100.0f), 0);
        scene->renderStates[1].lighting = 0;
        scene->renderStates[2].lighting = 0;
        scene->renderStates[2].alphaBlendEnable = 1;
        scene->renderStates[2].destBlend = D3DBLEND_ONE;
    }

    void RunPass(DWORD frame) {
        IDirect3DDevice7* device = renderDevice.device;
        scene->EvaluateCamera(*lights, 0, EYE, TARGET, frame);
        BuildViewMatrix(lights->view, EYE, TARGET, Vector(0, 1, 0));
        device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, lights->projection.AsD3D());
        device->SetTransform(D3DTRANSFORMSTATE_VIEW, lights->view.AsD3D());
        scene->EvaluateObjects(frame);
        scene->UpdateLights(frame, renderDevice, *lights);
        lights->ApplyLights(renderDevice);
        scene->RenderOpaqueThenBlended(renderDevice, *lights, nullptr);
    }

    // The back buffer's pixel as 0x00RRGGBB.
    DWORD Pixel(int x, int y) {
        DDSURFACEDESC2 description = {};
        description.dwSize = sizeof description;
        IDirectDrawSurface7* backBuffer = renderDevice.backBuffer;
        if (backBuffer->Lock(nullptr, &description, DDLOCK_WAIT, nullptr) != DD_OK) return 0xDEADBEEF;
        DWORD value = 0;
        std::memcpy(&value, static_cast<char*>(description.lpSurface) + y * description.lPitch + 4 * x, 4);
        backBuffer->Unlock(nullptr);
        return value & 0xFFFFFF;
    }

    ScopedWorkFolder folder;
    std::unique_ptr<Scene> scene{new Scene()};
    std::unique_ptr<LightSet> lights{new LightSet()};
};

int Red(DWORD c) { return (c >> 16) & 255; }
int Green(DWORD c) { return (c >> 8) & 255; }
int Blue(DWORD c) { return c & 255; }

TEST_F(SoftwareSceneTest, TracedPassSendsLightsStatesTexturesAndIndexedDraws) {
    LoadScene();
    CallRecorder recorder;
    platform::SetDeviceRasterising(false);
    RunPass(0);
    platform::SetDeviceRasterising(true);
    const std::vector<std::string> lines = recorder.Outline();
    const std::vector<RecordedDraw> draws = recorder.Draws();
    auto count = [&](const std::string& prefix) {
        size_t n = 0;
        for (const std::string& line : lines) n += line.compare(0, prefix.size(), prefix) == 0;
        return n;
    };
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "SetTransform type=3");
    EXPECT_EQ(lines[1], "SetTransform type=2");
    // One device light (the flare never reaches the device), all 44 slots written.
    EXPECT_EQ(count("SetLight index=0"), 2u);
    EXPECT_EQ(count("SetLight"), 2u);
    EXPECT_EQ(count("LightEnable index=0 enable=1"), 1u);
    EXPECT_EQ(count("LightEnable"), 44u);
    EXPECT_EQ(count("LightEnable index=43 enable=0"), 1u);
    // Opaque objects first, then the blended one, each with its texture by file name.
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].texture, "");
    EXPECT_EQ(draws[1].texture, "green.jpg");
    EXPECT_EQ(draws[2].texture, "blue.jpg");
    EXPECT_EQ(draws[2].alphaBlend, 1u);
    EXPECT_EQ(lines[lines.size() - 1], "DrawIndexedPrimitiveVB type=4 vertexFormat=274 startVertex=8 vertexCount=4 indexCount=6 flags=0");
    EXPECT_EQ(ArgumentOf(*draws[0].call, "startVertex"), 0);
}

TEST_F(SoftwareSceneTest, LitTexturedAndBlendedObjectsReachThePicture) {
    LoadScene();
    renderDevice.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0);
    renderDevice.device->BeginScene();
    RunPass(0);
    renderDevice.device->EndScene();

    const DWORD lit = Pixel(10, 32);       // red quad, lit from in front
    EXPECT_GT(Red(lit), 80) << std::hex << lit;
    EXPECT_LT(Green(lit), 30) << std::hex << lit;
    EXPECT_LT(Blue(lit), 30) << std::hex << lit;
    const DWORD textured = Pixel(48, 32);  // unlit, green texture
    EXPECT_GT(Green(textured), 200) << std::hex << textured;
    EXPECT_LT(Red(textured), 40) << std::hex << textured;
    EXPECT_LT(Blue(textured), 40) << std::hex << textured;
    const DWORD blended = Pixel(18, 32);   // blue added onto red
    EXPECT_GT(Red(blended), 80) << std::hex << blended;
    EXPECT_GT(Blue(blended), 200) << std::hex << blended;
    EXPECT_LT(Green(blended), 40) << std::hex << blended;
    EXPECT_EQ(Pixel(32, 5), 0u);           // background
}

TEST_F(SoftwareSceneTest, FlaresAddLightAndScreenQuadsPaintOverTheScene) {
    ASSERT_TRUE(WriteSolidJpeg("gfx/flare.jpg", 0xFFFFFF));
    LoadScene();
    billboard.Init(renderDevice, "flare.jpg", 1.0f, 1.0f, 1.0f, 1.0f);
    ASSERT_NE(billboard.texture, nullptr);
    renderDevice.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0);
    renderDevice.device->BeginScene();
    RunPass(0);
    // The flare-only light of the scene, drawn where its record says.
    const D3DLIGHT7& glow = lights->lights[lights->flares[0]];
    DrawFlare(Vector(glow.dvPosition.x, glow.dvPosition.y, glow.dvPosition.z), 1.0f, *lights);
    // Off to the side of the widened screen: nothing drawn.
    DrawFlare(Vector(100.0f, 0.0f, 0.0f), 1.0f, *lights);
    // An opaque black stripe across the green quad.
    const ScreenCorner c1{46, 0, 0, 0, 0, 0, 0}, c2{50, 0, 0, 0, 0, 0, 0}, c3{50, 64, 0, 0, 0, 0, 0},
        c4{46, 64, 0, 0, 0, 0, 0};
    renderDevice.DrawScreenQuad(c1, c2, c3, c4, D3DBLEND_ZERO, nullptr);
    renderDevice.device->EndScene();

    const DWORD flare = Pixel(32, 19);  // (0, 4, 0) seen from 10 units away
    EXPECT_GT(Red(flare), 200) << std::hex << flare;
    EXPECT_GT(Green(flare), 200) << std::hex << flare;
    EXPECT_GT(Blue(flare), 200) << std::hex << flare;
    EXPECT_EQ(Pixel(32, 60), 0u);        // below the flare, still black
    EXPECT_EQ(Pixel(48, 32), 0u);        // under the stripe
    EXPECT_GT(Green(Pixel(42, 32)), 200);  // beside it the green quad shows
    billboard.texture->Release();
    billboard.texture = nullptr;
}

}  // namespace
