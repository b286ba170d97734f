#include "passfixture.h"

#include <platform/musicclock.h>

#include <cstdlib>
#include <unistd.h>

#include "director.h"
#include "echocredits.h"
#include "globals.h"
#include "renderdevice.h"
#include "showmusic.h"

namespace {

std::string musicFolder;

struct NamedScene {
    Scene* scene;
    LightSet* lights;
    const char* name;
};

const NamedScene namedScenes[] = {
    {&etestScene, &etestLights, "etest"},       {&etest2Scene, &etest2Lights, "etest2"},
    {&bboxyScene, &bboxyLights, "bboxy"},       {&etest4Scene, &etest4Lights, "etest4"},
    {&dacodeScene, &dacodeLights, "dacode"},    {&compeScene, &compeLights, "compe"},
    {&binaryScene, &binaryLights, "binary"},    {&humanusScene, &humanusLights, "humanus"},
    {&humanusFlatScene, &humanusFlatLights, "flat"}, {&laitScene, &laitLights, "lait"},
};

Scene blankScene;
LightSet blankLights;
DrawVertex figureVertices[3];
DrawVertex figureCopyVertices[3];

// One object of one face, untextured, one device light, a camera 10 units in front of the
// origin looking at it; identity view and projection until a pass builds its own.
void FillScene(Scene& scene, LightSet& lights) {
    scene = blankScene;
    lights = blankLights;
    scene.objectCount = 1;
    scene.faceCount = 1;
    scene.vertexCount = 3;
    scene.objects[0].firstVertex = 0;
    scene.objects[0].endVertex = 3;
    scene.objects[0].firstFace = 0;
    scene.objects[0].endFace = 1;
    scene.objects[0].material = 0;
    scene.materials[0].texture = -1;
    scene.renderStates[0] = ObjectRenderState{1, 1, 1, 0, 1, 1, 1, 3};
    SetIdentity(scene.world[0]);
    lights.deviceLightCount = 1;
    lights.lightCount = 1;
    lights.kinds[0] = 'L';
    lights.lights[0].dcvDiffuse.r = lights.lights[0].dcvDiffuse.g = lights.lights[0].dcvDiffuse.b = 0.5f;
    for (Camera& camera : lights.cameras) {
        camera.eye = Vector(0.0f, 0.0f, -10.0f);
        camera.target = Vector(0.0f, 0.0f, 0.0f);
    }
    SetIdentity(lights.projection);
    SetIdentity(lights.view);
}

void ResetSegmentState() {
    musicPosition = previousMusicPosition = positionDelta = 0;
    frameDelta = frameClock = 0.0f;
    segment2Ticks = 0;
    showFinished = 0;
    cameraVariant = 2;
    introLevel = introFade = overlayLevel = 0.0f;
    echoTicks = creditsTicks = 0;
    echoLevel = pulseLevel = dacodeLevel = 0.0f;
    boxLevel = 1.0f;
    compeGlow = compePulse = 0.0f;
    compeRise = -1.0f;
    echoTexture = nullptr;
    segment3Ticks = variant1Ticks = variant4Ticks = variant5Ticks = compeTicks = burstTicks = 0;
    riseLevel = stretchAmount = burstAmount = suspLevel = segment3Fade = 0.0f;
}

LPDIRECTDRAWSURFACE7* const textureVariables[] = {
    &loadingTexture, &tessik2Texture, &visionTexture, &suspTexture,    &keyTexture,     &freedomTexture,
    &youareTexture,  &wire2Texture,   &changeTexture, &endTexture,     &end1Texture,    &end2Texture,
    &skellTexture,   &ravmoorTexture, &pellinTexture, &mendrowTexture, &tessikTexture,  &quorvelTexture,
    &codeTexture,    &musicTexture,   &art2dTexture,  &art3dTexture,
};

}  // namespace

LPDIRECTDRAWSURFACE7 FakeTexture(int n) {
    static char surfaces[64];
    return reinterpret_cast<LPDIRECTDRAWSURFACE7>(&surfaces[n]);
}

std::string SceneName(const Scene* scene) {
    if (!scene) return "flare";
    for (const NamedScene& named : namedScenes)
        if (named.scene == scene) return named.name;
    return "?";
}

HRESULT PassDevice::Note(const char* name, DWORD index, DWORD value) {
    DeviceCall call;
    call.name = name;
    call.index = index;
    call.value = value;
    calls.push_back(call);
    return D3D_OK;
}

HRESULT PassDevice::SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX matrix) {
    Note("SetTransform", type);
    calls.back().matrix = *reinterpret_cast<const Matrix*>(matrix);
    return D3D_OK;
}

HRESULT PassDevice::SetMaterial(LPD3DMATERIAL7 material) {
    Note("SetMaterial");
    calls.back().pointer = material;
    return D3D_OK;
}

HRESULT PassDevice::SetLight(DWORD index, LPD3DLIGHT7 light) {
    Note("SetLight", index);
    calls.back().colour[0] = light->dcvDiffuse.r;
    calls.back().colour[1] = light->dcvDiffuse.g;
    calls.back().colour[2] = light->dcvDiffuse.b;
    return D3D_OK;
}

HRESULT PassDevice::SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 texture) {
    Note("SetTexture", stage);
    calls.back().pointer = texture;
    return D3D_OK;
}

std::vector<Draw> PassDevice::Draws() const {
    std::vector<Draw> draws;
    Draw current{};
    SetIdentity(current.world);
    for (const DeviceCall& call : calls) {
        if (call.name == "SetTexture") current.texture = static_cast<LPDIRECTDRAWSURFACE7>(const_cast<void*>(call.pointer));
        if (call.name == "SetTransform" && call.index == D3DTRANSFORMSTATE_WORLD) current.world = call.matrix;
        if (call.name == "SetLight" && call.index == 0) current.keyLight = call.colour[0];
        if (call.name == "SetRenderState") {
            if (call.index == D3DRENDERSTATE_ZENABLE) current.zEnable = call.value;
            if (call.index == D3DRENDERSTATE_ZWRITEENABLE) current.zWriteEnable = call.value;
            if (call.index == D3DRENDERSTATE_ALPHABLENDENABLE) current.alphaBlend = call.value;
            if (call.index == D3DRENDERSTATE_DESTBLEND) current.destBlend = call.value;
        }
        if (call.name != "SetMaterial") continue;
        current.scene = nullptr;
        for (const NamedScene& named : namedScenes) {
            const D3DMATERIAL7* first = named.scene->deviceMaterials;
            if (call.pointer >= first && call.pointer < first + MaxMaterials) current.scene = named.scene;
        }
        draws.push_back(current);
    }
    return draws;
}

void SegmentFrames::SetUpTestSuite() {
    // The music stream stays open across the suites; one silent file serves them all.
    if (!musicFolder.empty()) return;
    char folder[] = "/tmp/segfirst-test-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    musicFolder = folder;
    const std::string mp3 = WriteSilentShowMusic(folder);
    ASSERT_FALSE(mp3.empty());
    ASSERT_TRUE(StartVirtualShowMusic(mp3));
}

void SegmentFrames::TearDownTestSuite() {}

namespace {
// Removes the silent music once every suite has run.
struct MusicCleanup {
    ~MusicCleanup() {
        if (!musicFolder.empty()) RemoveSilentShowMusic(musicFolder);
    }
} musicCleanup;
}  // namespace

void SegmentFrames::SetUp() {
    renderDevice.device = &device;
    renderDevice.primary = &primary;
    ResetSegmentState();
    for (const NamedScene& named : namedScenes) FillScene(*named.scene, *named.lights);
    humanusFlatScene.flatMesh = 1;
    humanusFlatScene.flatVertices[0] = figureVertices;
    for (DrawVertex& vertex : figureCopyVertices) vertex = DrawVertex{1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    figureCopy = figureCopyVertices;
    int n = 0;
    for (LPDIRECTDRAWSURFACE7* texture : textureVariables) *texture = FakeTexture(++n);
}

void SegmentFrames::TearDown() {
    renderDevice.device = nullptr;
    renderDevice.primary = nullptr;
    figureCopy = nullptr;
    for (const NamedScene& named : namedScenes) {
        *named.scene = blankScene;
        *named.lights = blankLights;
    }
    for (LPDIRECTDRAWSURFACE7* texture : textureVariables) *texture = nullptr;
}

void SegmentFrames::FrameAt(DWORD position) {
    device.calls.clear();
    platform::SetVirtualMusicPosition(position);
    DirectorFrame();
}

void SegmentFrames::Prime(DWORD position, float clock) {
    previousMusicPosition = position;
    frameClock = clock;
    frameDelta = 0.0f;
}

std::vector<std::string> SegmentFrames::DrawnScenes() const {
    std::vector<std::string> names;
    for (const Draw& draw : device.Draws()) names.push_back(SceneName(draw.scene));
    return names;
}
