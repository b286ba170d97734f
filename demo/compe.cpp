#include <cmath>

#include "director.h"
#include "echocredits.h"
#include "globals.h"
#include "renderdevice.h"
#include "segments.h"

float compeGlow;
float compePulse;
float compeRise = -1.0f;
LPDIRECTDRAWSURFACE7 echoTexture;

namespace {

// cos(cos(x · π / 164) · 180°), the slow swell every compe level follows.
float Swell(double x) { return static_cast<float>(std::cos(Radians(std::cos(x * ShowPi / 164.0) * 180.0))); }

}  // namespace

void RunCompeAndFigure() {
    const DWORD p = musicPosition;
    const DWORD* mark = timelineMarks;
    AdvanceTicks(echoTicks, 210.0);
    AdvanceTicks(segment2Ticks, 125.0);
    const DWORD a = echoTicks;
    const DWORD b = segment2Ticks;

    pulseLevel = static_cast<float>(std::sin(Radians(frameClock)) * 0.4 + 0.4);
    if (pulseLevel < 0.0f) pulseLevel = 0.0f;
    compeGlow = Swell(b / 6.0) * 0.15f + 0.15f;
    if (p < mark[4])
        compePulse = 0.0f;
    else
        compePulse = -(Swell(b / 6.0) * 0.8f + 0.8f);
    if (p < mark[6]) {
        compeRise = compeRise + 2.0f * frameDelta;
        overlayLevel = Swell(b / 9.0 - 10.0) * 0.1f + 0.1f;
    } else {
        compeRise = compeRise - 0.2f * frameDelta;
        overlayLevel = overlayLevel + 0.02f * frameDelta;
    }
    if (compeRise > 1.0f) compeRise = 1.0f;

    // compe.3d opaque, with the figure animated in step.
    compeScene.EvaluateCamera(compeLights, 0, EYE, TARGET, static_cast<DWORD>(Trunc(b / 2.0 + 200.0)));
    LookAt(compeLights);
    UseProjectionAndView(compeLights.projection, compeLights.view);
    compeScene.EvaluateObjects(b);
    humanusScene.EvaluateObjects(b);
    compeScene.UpdateLights(b, renderDevice, compeLights);
    compeLights.ApplyLights(renderDevice);
    SetObjectStates(compeScene, Keep, Keep, 0, Keep);
    SetObjectStates(humanusScene, Keep, Keep, 0, Keep);
    DimAllLights(compeLights, compePulse + compeRise);
    compeScene.Render(renderDevice, compeLights, nullptr);

    ZClear();

    // compe.3d again from a slightly earlier camera, blended over.
    compeScene.EvaluateCamera(compeLights, 0, EYE, TARGET, static_cast<DWORD>(Trunc(b / 2.0 + 190.0)));
    LookAt(compeLights);
    UseProjectionAndView(compeLights.projection, compeLights.view);
    compeScene.EvaluateObjects(b);
    humanusScene.EvaluateObjects(b);
    compeScene.UpdateLights(b, renderDevice, compeLights);
    compeLights.ApplyLights(renderDevice);
    SetObjectStates(compeScene, Keep, Keep, 1, D3DBLEND_INVSRCCOLOR);
    DimAllLights(compeLights, (compePulse + compeRise) / 1.75f);
    compeScene.Render(renderDevice, compeLights, nullptr);

    // The figure, under the lights the blended pass left.
    compeScene.EvaluateCamera(compeLights, 0, EYE, TARGET, static_cast<DWORD>(Trunc(b / 2.0 + 200.0)));
    LookAt(compeLights);
    UseProjectionAndView(compeLights.projection, compeLights.view);
    humanusScene.Render(renderDevice, compeLights, nullptr);

    if (p <= mark[5] + 260000) {
        // A glowing view from camera 3 through the binary.3d projection.
        ZClear();
        compeScene.EvaluateCamera(compeLights, 3, EYE, TARGET, b + 600);
        LookAt(compeLights);
        UseProjectionAndView(binaryLights.projection, compeLights.view);
        compeScene.EvaluateObjects(b);
        compeScene.UpdateLights(b, renderDevice, compeLights);
        compeLights.ApplyLights(renderDevice);
        SetObjectStates(compeScene, Keep, Keep, 1, D3DBLEND_INVSRCCOLOR);
        DimAllLights(compeLights, compeGlow);
        compeScene.Render(renderDevice, compeLights, nullptr);
    }

    echoTexture = p < mark[4] ? tessik2Texture : visionTexture;

    // binary.3d, seen through the etest.3d camera unless it has a camera track of its own.
    binaryScene.EvaluateCamera(etestLights, 0, EYE, TARGET, 0);
    binaryScene.EvaluateObjects(b / 2);
    LookAt(binaryLights);
    UseProjectionAndView(binaryLights.projection, binaryLights.view);
    binaryLights.ApplyLights(renderDevice);
    SetKeyLight(binaryLights, overlayLevel);
    renderDevice.device->LightEnable(0, TRUE);
    SetObjectStates(binaryScene, 0, 0, 1, D3DBLEND_INVSRCCOLOR);
    binaryScene.Render(renderDevice, binaryLights, nullptr);

    if (p <= mark[5]) {
        EchoPass(etest4Scene, etest4Lights, static_cast<DWORD>(Trunc(a / 3.1)), 0, pulseLevel, echoTexture);
        EchoPass(etest4Scene, etest4Lights, static_cast<DWORD>(Trunc(a / 5.1)), 1, pulseLevel, echoTexture);
        EchoPass(etest4Scene, etest4Lights, static_cast<DWORD>(Trunc(a / 4.1 + 40.0)), 0, pulseLevel, echoTexture);
    }

    if (p > mark[6]) {
        ViewEtestPanel();
        etestLights.ApplyLights(renderDevice);
        SetKeyLight(etestLights, (1.0f - compeRise) + (1.0f - compeRise));
        renderDevice.device->LightEnable(0, TRUE);
        SetObjectStates(etestScene, 0, Keep, 1, D3DBLEND_INVSRCCOLOR);
        etestScene.Render(renderDevice, etestLights, visionTexture);
    }

    // The credits fade out, unclamped.
    CreditsPanelGrid((pulseLevel + 0.2f) - b / 200.0f);
}
