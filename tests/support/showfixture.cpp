#include "showfixture.h"

#include <platform/devicetrace.h>
#include <platform/virtualdisplay.h>
#include <platform/musicclock.h>

#include <cstring>
#include <iterator>

#include "alien.h"
#include "d3denum.h"
#include "director.h"
#include "echocredits.h"
#include "globals.h"
#include "king.h"
#include "renderdevice.h"
#include "roki.h"
#include "setupchoices.h"
#include "showmusic.h"
#include "swarm.h"

LPDIRECT3DVERTEXBUFFER7 ShowTest::vertexBuffer = nullptr;

namespace {

constexpr DWORD DisplayWidth = 64, DisplayHeight = 48;

CallRecorder* presentsGoTo = nullptr;
SetupChoices choicesOfTheDevice;

struct TextureVariable {
    LPDIRECTDRAWSURFACE7* variable;
    const char* file;
};

const TextureVariable textureVariables[] = {
    {&loadingTexture, "loading.jpg"}, {&tessik2Texture, "tessik2.jpg"}, {&visionTexture, "vision.jpg"},
    {&suspTexture, "susp.jpg"},       {&keyTexture, "key.jpg"},         {&freedomTexture, "freedom.jpg"},
    {&youareTexture, "youare.jpg"},   {&wire2Texture, "wire2.jpg"},     {&changeTexture, "change.jpg"},
    {&endTexture, "end.jpg"},         {&end1Texture, "end1.jpg"},       {&end2Texture, "end2.jpg"},
    {&skellTexture, "skell.jpg"},     {&ravmoorTexture, "ravmoor.jpg"}, {&pellinTexture, "pellin.jpg"},
    {&mendrowTexture, "mendrow.jpg"}, {&tessikTexture, "tessik.jpg"},   {&quorvelTexture, "quorvel.jpg"},
    {&codeTexture, "code.jpg"},       {&musicTexture, "music.jpg"},     {&art2dTexture, "art2d.jpg"},
    {&art3dTexture, "art3d.jpg"},
};
LPDIRECTDRAWSURFACE7 namedTextures[std::size(textureVariables)];

Scene* const sceneSlots[] = {&etestScene,  &etest2Scene, &bboxyScene,       &etest4Scene, &dacodeScene,
                             &rokiScene,   &compeScene,  &binaryScene,      &humanusScene, &humanusFlatScene,
                             &laitScene,   &liteScene,   &cubaScene,        &humanuScene, &tribesScene,
                             &kingScene,   &cubikiScene, &cubikScene,       &alienScene};
LightSet* const lightSets[] = {&etestLights,  &etest2Lights, &bboxyLights,       &etest4Lights, &dacodeLights,
                               &rokiLights,   &compeLights,  &binaryLights,      &humanusLights, &humanusFlatLights,
                               &laitLights,   &liteLights,   &cubaLights,        &humanuLights, &tribesLights,
                               &kingLights,   &cubikiLights, &cubikLights,       &alienLights};

struct FilledScene {
    Scene* scene;
    LightSet* lights;
    const char* name;
};
const FilledScene filledScenes[] = {
    {&etestScene, &etestLights, "etest"},       {&etest2Scene, &etest2Lights, "etest2"},
    {&bboxyScene, &bboxyLights, "bboxy"},       {&etest4Scene, &etest4Lights, "etest4"},
    {&dacodeScene, &dacodeLights, "dacode"},    {&compeScene, &compeLights, "compe"},
    {&binaryScene, &binaryLights, "binary"},    {&humanusScene, &humanusLights, "humanus"},
    {&humanusFlatScene, &humanusFlatLights, "flat"}, {&laitScene, &laitLights, "lait"},
};
// Material powers that name the filled scenes; no other material of the show has one this high.
constexpr float FirstScenePower = 1000.0f;

uint16_t faceIndices[3] = {0, 1, 2};
DrawVertex figureVertices[3];
DrawVertex figureCopyVertices[3];

template <class T>
void Zero(T& value) {
    std::memset(static_cast<void*>(&value), 0, sizeof value);
}

// The state every segment carries from frame to frame, as before the first frame of a run.
void ResetShowState() {
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
    segment4Ticks = liteTicks = 0;
    segment4Pulse = segment4Fade = 0.0f;
    segment5Ticks = rokiFrame = rokiCamera1Ticks = rokiCamera2Ticks = zoomTicks = 0;
    segment6Ticks = 0;
    segment6Crossfade = segment6Swell = segment6Wave = segment6Fade = ringGrowth = 0.0f;
    alienGlow = endFade = alienPulse = 0.0f;
    alienFrame = alienTicks1 = alienTicks2 = alienTicks3 = alienTicks4 = alienTicks5 = 0;
    Zero(particleField);
    EYE = TARGET = Vector(0, 0, 0);
    figureCopy = nullptr;
    billboard = Billboard{};
    setupChoices = choicesOfTheDevice;
}

}  // namespace

void CreateShowDevice(DWORD width, DWORD bits) {
    ASSERT_EQ(EnumerateDevices(nullptr), 0);
    DeviceEntry* list = nullptr;
    DWORD count = 0;
    GetDeviceList(&list, &count);
    ASSERT_GT(count, 0u);
    setupChoices = SetupChoices{0, -1, 1, 1, 1, 0, 0, 0};
    for (DWORD i = 0; i < list[0].modeCount; ++i)
        if (list[0].modes[i].dwWidth == width && list[0].modes[i].ddpfPixelFormat.dwRGBBitCount == bits)
            setupChoices.modeIndex = static_cast<int>(i);
    renderDevice = RenderDevice{};
    ASSERT_EQ(renderDevice.Create(nullptr), 1);
}

void ShowTest::SetUpTestSuite() {
    platform::UseVirtualDisplay(DisplayWidth, DisplayHeight, [](const platform::FrameImage&) {
        if (presentsGoTo) presentsGoTo->calls.push_back(platform::TraceRecord{"Present", {}});
    });
    platform::SetDeviceRasterising(false);
    ASSERT_NO_FATAL_FAILURE(CreateShowDevice(DisplayWidth, 16));
    choicesOfTheDevice = setupChoices;
    for (size_t i = 0; i < std::size(textureVariables); ++i) {
        platform::NoteFileOpenedForReading(textureVariables[i].file);
        namedTextures[i] = CreateTexture(renderDevice.device, 8, 8);
        ASSERT_NE(namedTextures[i], nullptr) << textureVariables[i].file;
    }
    D3DVERTEXBUFFERDESC description = {sizeof description, D3DVBCAPS_SYSTEMMEMORY, DrawVertexFormat, 16};
    ASSERT_EQ(renderDevice.direct3D->CreateVertexBuffer(&description, &vertexBuffer, 0), D3D_OK);
}

void ShowTest::TearDownTestSuite() {
    for (LPDIRECTDRAWSURFACE7& texture : namedTextures) {
        if (texture) texture->Release();
        texture = nullptr;
    }
    if (vertexBuffer) vertexBuffer->Release();
    vertexBuffer = nullptr;
    renderDevice.Destroy();  // the audio library goes with it
    renderDevice = RenderDevice{};
    platform::SetDeviceRasterising(true);
}

void ShowTest::SetUp() {
    // The main loop's Escape tears the device and the music down; the next test gets them back.
    if (!renderDevice.device) {
        ASSERT_NO_FATAL_FAILURE(CreateShowDevice(DisplayWidth, 16));
    }
    if (!platform::MusicPlaying()) {
        ASSERT_TRUE(StartSilentShowMusic());
    }
    ResetShowState();
    ClearScenesAndTextures();
    for (size_t i = 0; i < std::size(textureVariables); ++i) *textureVariables[i].variable = namedTextures[i];
    presentsGoTo = &recorder;
}

void ShowTest::TearDown() {
    presentsGoTo = nullptr;
    ClearScenesAndTextures();
    ResetShowState();
}

void ShowTest::FrameAt(DWORD position) {
    recorder.calls.clear();
    platform::SetVirtualMusicPosition(position);
    DirectorFrame();
}

void ShowTest::Prime(DWORD position, float clock) {
    previousMusicPosition = position;
    frameClock = clock;
    frameDelta = 0.0f;
}

void ShowTest::FillScenes() {
    float power = FirstScenePower;
    for (const FilledScene& filled : filledScenes) {
        Scene& scene = *filled.scene;
        LightSet& lights = *filled.lights;
        Zero(scene);
        Zero(lights);
        scene.objectCount = 1;
        scene.faceCount = 1;
        scene.vertexCount = 3;
        scene.objects[0] = SceneObject{{}, 0, 3, 0, 1, 0};
        scene.materials[0].texture = -1;
        scene.deviceMaterials[0].dvPower = power++;
        scene.renderStates[0] = ObjectRenderState{1, 1, 1, 0, 1, 1, 1, 3};
        scene.world[0] = IdentityMatrix();
        scene.vertexBuffer = vertexBuffer;
        scene.indices[0] = faceIndices;
        lights.deviceLightCount = 1;
        lights.lightCount = 1;
        lights.kinds[0] = 'L';
        lights.lights[0].dcvDiffuse.r = lights.lights[0].dcvDiffuse.g = lights.lights[0].dcvDiffuse.b = 0.5f;
        for (Camera& camera : lights.cameras) {
            camera.eye = Vector(0.0f, 0.0f, -10.0f);
            camera.target = Vector(0.0f, 0.0f, 0.0f);
        }
        lights.projection = IdentityMatrix();
        lights.view = IdentityMatrix();
    }
    humanusFlatScene.flatMesh = 1;
    humanusFlatScene.vertexBuffer = nullptr;
    humanusFlatScene.indices[0] = nullptr;
    humanusFlatScene.flatVertices[0] = figureVertices;
    for (DrawVertex& vertex : figureCopyVertices) vertex = DrawVertex{1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    figureCopy = figureCopyVertices;
}

void ShowTest::ClearScenesAndTextures() {
    for (Scene* scene : sceneSlots) Zero(*scene);
    for (LightSet* lights : lightSets) Zero(*lights);
    for (const TextureVariable& entry : textureVariables) *entry.variable = nullptr;
    figureCopy = nullptr;
}

std::string ShowTest::SceneName(const RecordedDraw& draw) {
    const int index = static_cast<int>(draw.materialPower - FirstScenePower);
    if (draw.materialPower < FirstScenePower || index >= static_cast<int>(std::size(filledScenes))) return "flare";
    return filledScenes[index].name;
}

std::vector<std::string> ShowTest::DrawnScenes() const {
    std::vector<std::string> names;
    for (const RecordedDraw& draw : recorder.Draws()) names.push_back(SceneName(draw));
    return names;
}
