// Everything between the process entry and the first frame: the window, the device, every asset,
// the music. The order is part of the show: the loading screen comes first, the music last.
#include "main.h"

#include <bass.h>

#include "globals.h"
#include "music.h"
#include "renderdevice.h"
#include "setupchoices.h"
#include "setupdialog.h"
#include "vecmath.h"

namespace {

const char ClassName[] = "HELIOTROPIC";
const char WindowTitle[] = "H.E.L.I.O.T.R.O.P.I.C";

// Degrees to radians as the projections are built: single-precision pi, single-precision product.
float FieldOfView(float degrees) { return degrees * 3.1415927f / 180.0f; }

struct SceneRow {
    const char* file;
    Scene* scene;
    LightSet* resetLights;  // whose three light counts are cleared before the load
    LightSet* lights;       // the set the file's lights and cameras go into
    float frameScale;
    int flatMesh;
};

// Every scene after the loading scene, in load order. humanu.3d adds its lights and cameras to
// cuba.3d's set, leaving its own set empty.
const SceneRow SceneTable[] = {
    {"etest2.3d", &etest2Scene, &etest2Lights, &etest2Lights, 7.0f, 0},
    {"bboxy.3d", &bboxyScene, &bboxyLights, &bboxyLights, 3.0f, 0},
    {"etest4.3d", &etest4Scene, &etest4Lights, &etest4Lights, 4.0f, 0},
    {"dacode.3d", &dacodeScene, &dacodeLights, &dacodeLights, 4.0f, 0},
    {"roki.3d", &rokiScene, &rokiLights, &rokiLights, 4.0f, 0},
    {"compe.3d", &compeScene, &compeLights, &compeLights, 3.2f, 0},
    {"binary.3d", &binaryScene, &binaryLights, &binaryLights, 6.0f, 0},
    {"humanus.3d", &humanusScene, &humanusLights, &humanusLights, 6.0f, 0},
    {"humanus.3d", &humanusFlatScene, &humanusFlatLights, &humanusFlatLights, 6.0f, 1},
    {"lait.3d", &laitScene, &laitLights, &laitLights, 6.0f, 0},
    {"lite.3d", &liteScene, &liteLights, &liteLights, 6.0f, 0},
    {"cuba.3d", &cubaScene, &cubaLights, &cubaLights, 6.0f, 0},
    {"humanu.3d", &humanuScene, &humanuLights, &cubaLights, 6.0f, 0},
    {"tribes.3d", &tribesScene, &tribesLights, &tribesLights, 6.0f, 0},
    {"king.3d", &kingScene, &kingLights, &kingLights, 6.0f, 0},
    {"cubiki.3d", &cubikiScene, &cubikiLights, &cubikiLights, 6.0f, 0},
    {"cubik.3d", &cubikScene, &cubikLights, &cubikLights, 6.0f, 0},
    {"alien_1.3d", &alienScene, &alienLights, &alienLights, 6.0f, 0},
};

struct ImageRow {
    const char* fullSize;
    const char* small;  // the "512" file used when the device takes large textures; null: one file
    LPDIRECTDRAWSURFACE7* texture;
};

const ImageRow ImageTable[] = {
    {"tessik2.jpg", nullptr, &tessik2Texture},   {"vision.jpg", "visi512.jpg", &visionTexture},
    {"susp.jpg", "susp512.jpg", &suspTexture},   {"key.jpg", "key512.jpg", &keyTexture},
    {"freedom.jpg", "free512.jpg", &freedomTexture}, {"youare.jpg", nullptr, &youareTexture},
    {"wire2.jpg", nullptr, &wire2Texture},       {"change.jpg", "chan512.jpg", &changeTexture},
    {"end.jpg", "end512.jpg", &endTexture},      {"end1.jpg", "end1512.jpg", &end1Texture},
    {"end2.jpg", "end2512.jpg", &end2Texture},   {"skell.jpg", nullptr, &skellTexture},
    {"ravmoor.jpg", nullptr, &ravmoorTexture},   {"pellin.jpg", nullptr, &pellinTexture},
    {"mendrow.jpg", nullptr, &mendrowTexture},   {"tessik.jpg", nullptr, &tessikTexture},
    {"quorvel.jpg", nullptr, &quorvelTexture},   {"code.jpg", nullptr, &codeTexture},
    {"music.jpg", nullptr, &musicTexture},       {"art2d.jpg", nullptr, &art2dTexture},
    {"art3d.jpg", nullptr, &art3dTexture},
};

struct ProjectionRow {
    LightSet* lights;
    float degrees;
};

const ProjectionRow ProjectionTable[] = {
    {&etest2Lights, 130.0f}, {&bboxyLights, 60.0f}, {&etest4Lights, 165.0f}, {&dacodeLights, 50.0f},
    {&rokiLights, 90.0f},    {&compeLights, 90.0f}, {&binaryLights, 60.0f},  {&tribesLights, 90.0f},
    {&kingLights, 90.0f},    {&alienLights, 90.0f},
};

HWND CreateMainWindow(HINSTANCE instance) {
    WNDCLASSA windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(32512));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = WindowTitle;
    windowClass.lpszClassName = ClassName;
    RegisterClassA(&windowClass);
    return CreateWindowExA(WS_EX_TOPMOST, ClassName, WindowTitle, WS_POPUP, 0, 0, 320, 200, nullptr, nullptr,
                           instance, nullptr);
}

void ResetLightCounts(LightSet& lights) {
    lights.deviceLightCount = 0;
    lights.flareCount = 0;
    lights.lightCount = 0;
}

const char* ImageVariant(const char* fullSize, const char* small) {
    return renderDevice.smallTextures == 1 || small == nullptr ? fullSize : small;
}

// Three vertices per face of the flat figure, indexed by the face's number in the whole scene.
void BuildFigureCopy() {
    const Scene& figure = humanusFlatScene;
    figureCopy = new DrawVertex[figure.faceCount * 3];
    for (int o = 0; o < figure.objectCount; ++o) {
        const SceneObject& object = figure.objects[o];
        const DrawVertex* source = figure.flatVertices[o];
        if (source == nullptr) continue;
        for (int t = object.firstFace; t < object.endFace && t < figure.faceCount; ++t) {
            for (int corner = 0; corner < 3; ++corner) {
                DrawVertex vertex = source[(t - object.firstFace) * 3 + corner];
                const Vector normal = Normalize(Vector(vertex.nx, vertex.ny, vertex.nz));
                vertex.nx = normal.x;
                vertex.ny = normal.y;
                vertex.nz = normal.z;
                figureCopy[t * 3 + corner] = vertex;
            }
        }
    }
}

}  // namespace

// One frame of the loading screen: the loading scene at its loaded pose, lit by light 0 at level.
void DrawLoadingFrame(float level) {
    IDirect3DDevice7* device = renderDevice.device;
    renderDevice.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0);
    device->BeginScene();
    etestScene.EvaluateCamera(etestLights, 0, EYE, TARGET, 0);
    BuildViewMatrix(etestLights.view, EYE, TARGET, Vector(0.0f, 1.0f, 0.0f));
    device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, reinterpret_cast<D3DMATRIX*>(&etestLights.projection));
    device->SetTransform(D3DTRANSFORMSTATE_VIEW, reinterpret_cast<D3DMATRIX*>(&etestLights.view));
    etestLights.ApplyLights(renderDevice);
    D3DLIGHT7& keyLight = etestLights.lights[0];
    keyLight.dcvDiffuse.r = level;
    keyLight.dcvDiffuse.g = level;
    keyLight.dcvDiffuse.b = level;
    device->SetLight(0, &keyLight);
    device->LightEnable(0, TRUE);
    for (int o = 0; o < etestScene.objectCount; ++o) {
        ObjectRenderState& state = etestScene.renderStates[o];
        state.zEnable = 1;
        state.zWriteEnable = 1;
        state.alphaBlendEnable = 0;
    }
    etestScene.Render(renderDevice, etestLights, loadingTexture);
    device->EndScene();
    renderDevice.Present();
}

int Startup(HINSTANCE instance, int showCommand) {
    HWND window = CreateMainWindow(instance);
    if (window == nullptr) return 0;

    ApplySetupDefaults();
    if (!SetupDialog(window, instance)) return 0;

    ShowWindow(window, showCommand);
    UpdateWindow(window);

    if (!renderDevice.Create(window)) return 0;
    if (!renderDevice.ReadTextureLimits()) return 0;
    // The only places where the dialog's check boxes reach the device.
    renderDevice.device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, static_cast<DWORD>(setupChoices.dithering));
    renderDevice.device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE,
                                        static_cast<DWORD>(setupChoices.perspectiveCorrection));

    LoadTexture(ImageVariant("loading.jpg", "load512.jpg"), &loadingTexture);
    ResetLightCounts(etestLights);
    etestScene.Load("etest.3d", etestLights, renderDevice, 4.0f, 0);
    BuildProjectionMatrix(etestLights.projection, FieldOfView(60.0f), 1.0f, 1.0f, 1000.0f);

    // The level steps in single precision: 101 frames, the last just below 1.
    for (float level = 0.0f; level <= 1.0f; level = static_cast<float>(level + 0.01)) DrawLoadingFrame(level);

    for (const SceneRow& row : SceneTable) {
        ResetLightCounts(*row.resetLights);
        row.scene->Load(row.file, *row.lights, renderDevice, row.frameScale, row.flatMesh);
    }
    BuildFigureCopy();
    billboard.Init(renderDevice, "flare.jpg", 1.0f, 1.0f, 1.0f, 1.0f);

    for (const ImageRow& row : ImageTable) {
        LoadTexture(ImageVariant(row.fullSize, row.small), row.texture);
        if (row.texture == &keyTexture) {
            // bboxy.3d shows this picture instead of the one its own file names, or nothing when
            // the picture is missing.
            bboxyScene.textures[0] = keyTexture;
        }
    }

    for (const ProjectionRow& row : ProjectionTable)
        BuildProjectionMatrix(row.lights->projection, FieldOfView(row.degrees), 1.0f, 1.0f, 1000.0f);
    InitParticleField();

    if (!BASS_Init(-1, 44100, 0, nullptr)) MusicFatal(window, "Can't initialize device");
    MusicStream = BASS_StreamCreateFile(FALSE, "music//clone.mp3", 0, 0, 0x20000);
    if (MusicStream == 0) return 0;
    BASS_ChannelSetSync(MusicStream, BASS_SYNC_END, 0, MusicSync, 0);
    BASS_Start();

    for (float level = 1.0f; level >= 0.0f; level = static_cast<float>(level - 0.01)) DrawLoadingFrame(level);

    BASS_StreamPlay(MusicStream, FALSE, BASS_SAMPLE_LOOP);
    return 1;
}
