#include <cmath>

#include "director.h"
#include "echocredits.h"
#include "globals.h"
#include "renderdevice.h"
#include "segments.h"

float introLevel;
float introFade;
float overlayLevel;

void RunOpening() {
    const DWORD p = musicPosition;
    const DWORD f = static_cast<DWORD>(Trunc(frameClock));

    // The animated scene, lit by a wobbling level that sinks away after mark 0.
    etest2Scene.EvaluateCamera(etest2Lights, 0, EYE, TARGET, f);
    LookAt(etest2Lights);
    UseProjectionAndView(etest2Lights.projection, etest2Lights.view);
    const double t = frameClock;
    introLevel =
        static_cast<float>(std::cos(std::sin(t * ShowPi / 158.0) * 540.0 * ShowPi / 170.0) * 0.4 + 0.6 - introFade);
    if (introLevel > 1.0f) introLevel = 1.0f;
    if (p > timelineMarks[0]) introFade = introFade + frameDelta / 2.0f;
    if (introLevel < 0.0f) introLevel = 0.0f;
    etest2Scene.EvaluateObjects(f);
    etest2Scene.UpdateLights(f, renderDevice, etest2Lights);
    etest2Lights.ApplyLights(renderDevice);
    SetKeyLight(etest2Lights, introLevel);
    renderDevice.device->LightEnable(0, TRUE);
    SetObjectStates(etest2Scene, 0, 0, 0, Keep);
    etest2Scene.Render(renderDevice, etest2Lights, nullptr);

    // The key image added on top through a still camera, fading in.
    ViewEtestPanel();
    if (p <= timelineMarks[0]) overlayLevel = frameClock / 3000.0f;
    if (overlayLevel > 0.8f) overlayLevel = 0.8f;
    if (p > timelineMarks[0]) overlayLevel = frameDelta / 15.0f + overlayLevel;
    etestScene.EvaluateObjects(f);
    etestScene.UpdateLights(f, renderDevice, etestLights);
    etestLights.ApplyLights(renderDevice);
    SetKeyLight(etestLights, overlayLevel);
    renderDevice.device->LightEnable(0, TRUE);
    SetObjectStates(etestScene, 0, 0, 1, D3DBLEND_SRCCOLOR);
    etestScene.Render(renderDevice, etestLights, keyTexture);
}
