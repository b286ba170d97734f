#include "echocredits.h"

#include <cmath>

#include "director.h"
#include "globals.h"
#include "renderdevice.h"
#include "segments.h"

DWORD echoTicks;
DWORD creditsTicks;
float echoLevel;
float boxLevel = 1.0f;
float pulseLevel;
float dacodeLevel;

namespace {

struct CreditsPanel {
    float scale;
    float x, y;
    LPDIRECTDRAWSURFACE7* texture;  // the variable, read when drawn: loading fills it later
};

const CreditsPanel creditsPanels[] = {
    {0.4f, 14.0f, 12.0f, &codeTexture},    {0.3f, 12.0f, 8.0f, &ravmoorTexture},
    {0.4f, -14.0f, 8.0f, &art2dTexture},   {0.3f, -12.0f, 4.0f, &pellinTexture},
    {0.3f, -12.0f, 1.0f, &mendrowTexture}, {0.3f, -12.0f, -2.0f, &tessikTexture},
    {0.4f, 14.0f, -1.0f, &art3dTexture},   {0.3f, 12.0f, -2.0f, &skellTexture},
    {0.3f, 12.0f, -8.0f, &mendrowTexture}, {0.4f, -12.0f, -8.0f, &musicTexture},
    {0.3f, -12.0f, -14.0f, &quorvelTexture},
};

}  // namespace

void EchoPass(Scene& scene, LightSet& lightSet, DWORD frame, int reversed, float level,
              LPDIRECTDRAWSURFACE7 overrideTexture) {
    scene.EvaluateCamera(lightSet, 0, EYE, TARGET, frame);
    if (reversed)
        ReversedLook(lightSet);
    else
        LookAt(lightSet);
    UseProjectionAndView(lightSet.projection, lightSet.view);
    SetObjectStates(scene, 0, 0, 1, D3DBLEND_INVSRCCOLOR);
    lightSet.ApplyLights(renderDevice);
    SetKeyLight(lightSet, level);
    scene.Render(renderDevice, lightSet, overrideTexture);
}

void CreditsPanelGrid(float creditsLevel) {
    ViewEtestPanel();
    etestScene.UpdateLights(static_cast<DWORD>(Trunc(frameClock)), renderDevice, etestLights);
    etestLights.ApplyLights(renderDevice);
    SetKeyLight(etestLights, creditsLevel);
    renderDevice.device->LightEnable(0, TRUE);
    for (const CreditsPanel& panel : creditsPanels) {
        // Scaled about the origin, then moved into its place on the grid.
        const Matrix place = MatrixMultiply(Translation(panel.x, panel.y, 0.0f), Scaling(panel.scale));
        for (int i = 0; i < etestScene.objectCount; ++i) etestScene.world[i] = place;
        SetObjectStates(etestScene, 0, 0, 1, D3DBLEND_INVSRCCOLOR);
        etestScene.Render(renderDevice, etestLights, *panel.texture);
    }
    for (int i = 0; i < etestScene.objectCount; ++i) SetIdentity(etestScene.world[i]);
}

void RunEchoAndCredits() {
    const DWORD p = musicPosition;
    const DWORD* mark = timelineMarks;
    AdvanceTicks(echoTicks, 210.0);
    AdvanceTicks(creditsTicks, 125.0);

    const double t = frameClock;
    const float w = static_cast<float>(std::cos(Radians(std::cos(t * ShowPi / 164.0) * 180.0)));
    if (p < mark[2]) {
        echoLevel = -(w * 0.25f + 0.25f) + 0.5f;
    } else {
        echoLevel = echoLevel - frameDelta;
        boxLevel = boxLevel - frameDelta;
    }
    if (echoLevel > 0.5f)
        echoLevel = 0.5f;
    else if (echoLevel < 0.0f)
        echoLevel = 0.0f;
    if (boxLevel < 0.0f) boxLevel = 0.0f;
    if (p < mark[2]) {
        pulseLevel = w * 0.3f + 0.3f;
        dacodeLevel = w * 0.3f + 0.3f;
    } else {
        pulseLevel = pulseLevel + frameDelta;
        dacodeLevel = dacodeLevel - frameDelta;
    }
    if (pulseLevel > 1.0f) pulseLevel = 1.0f;
    if (dacodeLevel < 0.0f) dacodeLevel = 0.0f;

    const DWORD a = echoTicks;
    // The first echo is opaque: it lays the ground the others add onto.
    etest4Scene.EvaluateCamera(etest4Lights, 0, EYE, TARGET, static_cast<DWORD>(Trunc(a / 3.5)));
    LookAt(etest4Lights);
    UseProjectionAndView(etest4Lights.projection, etest4Lights.view);
    etest4Lights.ApplyLights(renderDevice);
    SetObjectStates(etest4Scene, 0, 0, 0, Keep);
    SetKeyLight(etest4Lights, echoLevel);
    etest4Scene.Render(renderDevice, etest4Lights, nullptr);

    EchoPass(etest4Scene, etest4Lights, static_cast<DWORD>(Trunc(a / 4.0)), 1, echoLevel, nullptr);
    EchoPass(etest4Scene, etest4Lights, static_cast<DWORD>(Trunc(a / 6.0 + 30.0)), 0, echoLevel, nullptr);
    EchoPass(etest4Scene, etest4Lights, static_cast<DWORD>(Trunc(a / 5.0 + 50.0)), 1, echoLevel, nullptr);

    // The box garden, solid and depth-tested.
    bboxyScene.EvaluateCamera(bboxyLights, 0, EYE, TARGET, static_cast<DWORD>(Trunc(a * 1.1)));
    LookAt(bboxyLights);
    UseProjectionAndView(bboxyLights.projection, bboxyLights.view);
    bboxyScene.UpdateLights(a, renderDevice, bboxyLights);
    bboxyLights.ApplyLights(renderDevice);
    DimAllLights(bboxyLights, boxLevel);
    SetObjectStates(bboxyScene, 1, 1, 0, Keep);
    bboxyScene.EvaluateObjects(a);
    bboxyScene.Render(renderDevice, bboxyLights, nullptr);

    EchoPass(etest4Scene, etest4Lights, static_cast<DWORD>(Trunc(a / 3.1)), 0, pulseLevel, tessik2Texture);
    EchoPass(etest4Scene, etest4Lights, static_cast<DWORD>(Trunc(a / 5.1)), 1, pulseLevel, tessik2Texture);
    EchoPass(etest4Scene, etest4Lights, static_cast<DWORD>(Trunc(a / 4.1 + 40.0)), 0, pulseLevel, tessik2Texture);
    EchoPass(dacodeScene, dacodeLights, static_cast<DWORD>(Trunc(a / 3.5)), 0, dacodeLevel, nullptr);

    float creditsLevel = pulseLevel + 0.2f - 0.8f + creditsTicks / 200.0f;
    if (creditsLevel > 1.0f) creditsLevel = 1.0f;
    CreditsPanelGrid(creditsLevel);
}
