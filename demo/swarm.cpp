#include "swarm.h"

#include <cmath>

#include "director.h"
#include "globals.h"
#include "renderdevice.h"
#include "segments.h"

DWORD segment4Ticks;
DWORD liteTicks;
float segment4Pulse;
float segment4Fade;

namespace {

constexpr int PanelLayers = 6;
constexpr int CubaLayers = 6;
constexpr int SwarmFlares = 600;

void DrawLite() {
    // lite.3d has no camera of its own worth using: it is seen from the panel's camera.
    liteScene.EvaluateCamera(etestLights, 0, EYE, TARGET, 0);
    LookAt(etestLights);
    UseProjectionAndView(etestLights.projection, etestLights.view);
    // Lights go to the device before they move, so the device sees last frame's positions.
    liteLights.ApplyLights(renderDevice);
    liteScene.UpdateLights(liteTicks, renderDevice, liteLights);
    SetAllLights(liteLights, 1.0f - 2.0f * segment4Fade);
    SetObjectStates(liteScene, 0, Keep, 1, D3DBLEND_INVSRCCOLOR);
    liteScene.Render(renderDevice, liteLights, suspTexture);
}

void DrawFreedomPanels(double t, bool fading) {
    for (int k = 0; k < PanelLayers; ++k) {
        ViewEtestPanel();
        etestLights.ApplyLights(renderDevice);
        SetKeyLight(etestLights, 1.0f / 6.0f);
        renderDevice.device->LightEnable(0, TRUE);
        SetObjectStates(etestScene, 0, Keep, 1, D3DBLEND_INVSRCCOLOR);
        Matrix& world = etestScene.world[0];
        if (k == 0 || fading) {
            world = Scaling(1.0f);
        } else {
            const double reach = segment4Pulse * 12.0 * k;
            world = Then(Scaling(static_cast<float>(k * segment4Pulse + 1.0f)),
                         Translation(static_cast<float>(std::sin(t * ShowPi / 130.0) * reach),
                                     static_cast<float>(std::cos(t * ShowPi / 160.0) * reach), 0.0f));
        }
        etestScene.Render(renderDevice, etestLights, freedomTexture);
    }
}

void DrawCubaStack(double t) {
    cubaScene.EvaluateCamera(cubaLights, 0, EYE, TARGET, static_cast<DWORD>(Trunc(t * 1.5)));
    LookAt(cubaLights);
    UseProjectionAndView(compeLights.projection, cubaLights.view);
    cubaLights.ApplyLights(renderDevice);
    for (int k = 0; k < CubaLayers; ++k) {
        SetAllLights(cubaLights, static_cast<float>(1.0 / (k / 2.0 + 1.0) - segment4Fade));
        SetObjectStates(cubaScene, 1, Keep, 1, D3DBLEND_INVSRCCOLOR);
        const Matrix stretch = Scaling(1.0f, k * segment4Pulse * 4.0f + 1.0f, 1.0f);
        for (int i = 0; i < cubaScene.objectCount; ++i) cubaScene.world[i] = stretch;
        cubaScene.Render(renderDevice, cubaLights, bboxyScene.textures[1]);
    }
}

void DrawSwarm(double t) {
    etest4Scene.EvaluateCamera(etest4Lights, 0, EYE, TARGET, static_cast<DWORD>(Trunc(t / 2.0)));
    BuildViewMatrix(etest4Lights.view, EYE / 10.0f, TARGET / 10.0f, Vector(0.0f, 1.0f, 0.0f));
    UseProjectionAndView(compeLights.projection, etest4Lights.view);

    const float amplitude = static_cast<float>(std::sin(Radians(std::sin(t * ShowPi / 140.0) * 160.0)) * 1.0 + 2.0);
    for (int i = 0; i < SwarmFlares; ++i) {
        const double u = i / 6.0 * 3.6 + t;
        const double x = std::sin(std::sin(u * ShowPi / 160.0) * 180.0 * ShowPi / 190.0) * amplitude;
        // The inner sine takes its argument as radians as it stands.
        const double y = std::cos((std::sin(2.0 * i / 6.0 * 3.6 / 180.0) * 60.0 * 8.0 + t) * ShowPi / 260.0) * 3.0;
        const double z = std::sin(std::cos(u * ShowPi / 190.0) * 180.0 * ShowPi / 250.0) * amplitude;
        float size = static_cast<float>(
            (std::sin((i / 6.0 * 20.0 + 2.0 * t) * ShowPi / 160.0) * 0.05 + 0.07 - segment4Pulse) +
            2.0 * segment4Pulse - segment4Fade / 3.0);
        if (size < 0.0f) size = 0.0f;
        billboard.FaceCamera(etest4Lights.view,
                             Vector(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)), size);
        billboard.Draw(renderDevice);
    }
}

void DrawYouArePanels(double t) {
    for (int k = 0; k < PanelLayers; ++k) {
        ViewEtestPanel();
        etestLights.ApplyLights(renderDevice);
        SetKeyLight(etestLights, segment4Pulse * 5.0f / (2 * k + 1) - segment4Fade);
        renderDevice.device->LightEnable(0, TRUE);
        SetObjectStates(etestScene, 0, Keep, 1, D3DBLEND_INVSRCCOLOR);
        const double reach = segment4Pulse * 6.0 * k;
        etestScene.world[0] =
            Then(Then(Scaling((k * segment4Pulse + 1.0f) * 0.3f),
                      Translation(static_cast<float>(std::sin(t * ShowPi / 130.0) * reach),
                                  static_cast<float>(std::cos(t * ShowPi / 160.0) * reach), 0.0f)),
                 Translation(10.0f, 10.0f, 0.0f));
        etestScene.Render(renderDevice, etestLights, youareTexture);
    }
}

}  // namespace

void RunFlareSwarm() {
    AdvanceTicks(segment4Ticks, 110.0);
    AdvanceTicks(liteTicks, 110.0 * 1.5);
    if (liteTicks >= static_cast<DWORD>(liteScene.frameCount)) liteTicks = 0;
    const double t = segment4Ticks;

    segment4Pulse = static_cast<float>(std::cos(Radians(std::cos(t * ShowPi / 164.0) * 180.0)) * 0.05 + 0.05);
    const bool fading = musicPosition > timelineMarks[15];
    if (fading) segment4Fade = segment4Fade + frameDelta / 4.0f;

    DrawLite();
    DrawFreedomPanels(t, fading);
    ZClear();
    DrawCubaStack(t);
    ZClear();
    DrawSwarm(t);
    DrawYouArePanels(t);
}
