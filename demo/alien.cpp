#include "alien.h"

#include <algorithm>
#include <cmath>

#include "director.h"
#include "globals.h"
#include "renderdevice.h"
#include "segments.h"
#include "setupchoices.h"

float alienGlow;
float endFade;
float alienPulse;
DWORD alienFrame;
DWORD alienTicks1, alienTicks2, alienTicks3, alienTicks4, alienTicks5;

namespace {

constexpr int StackedCopies = 6;
// Scratches per unit of the end fade.
constexpr float ScratchDensity = 500.0f;

struct AlienView {
    int camera;
    double factor;
    Vector eyeScale;
};

// Every window that holds advances its own counter; where several hold, the later one is seen.
AlienView ChooseAlienView(DWORD p) {
    const DWORD* mark = timelineMarks;
    const Vector whole(1.0f, 1.0f, 1.0f);
    const Vector narrow(0.5f, 1.0f, 0.5f);
    AlienView view = {0, 1.0, whole};
    auto hold = [&](DWORD& ticks, int camera, double factor, const Vector& eyeScale) {
        AdvanceTicks(ticks, 125.0);
        alienFrame = ticks;
        view = {camera, factor, eyeScale};
    };
    if (p < mark[26]) hold(alienTicks1, 0, 1.0, whole);
    if (mark[26] <= p && p < mark[27]) hold(alienTicks1, 3, 1.0, whole);
    if (mark[27] <= p && p < mark[28]) hold(alienTicks2, 2, 4.0, whole);
    if (p >= mark[28]) hold(alienTicks3, 4, 4.0, whole);
    if (mark[29] <= p && p < mark[30]) hold(alienTicks4, 2, 4.0, narrow);
    if (p >= mark[30]) hold(alienTicks5, 3, 4.0, narrow);
    return view;
}

// Each device light rises with the glow up to its own stored red, then sinks with the end fade;
// the stored colours are put back afterwards.
void RampLights(float divisor) {
    for (int i = 0; i < alienLights.deviceLightCount; ++i) {
        D3DLIGHT7& light = alienLights.lights[alienLights.slotToLight[i]];
        savedColour = Vector(light.dcvDiffuse.r, light.dcvDiffuse.g, light.dcvDiffuse.b);
        float level = alienGlow;
        if (savedColour.x < level) level = savedColour.x;
        level = level - endFade;
        light.dcvDiffuse.r = level / divisor;
        light.dcvDiffuse.g = level / divisor;
        light.dcvDiffuse.b = level / divisor;
        renderDevice.device->SetLight(static_cast<DWORD>(i), &light);
        renderDevice.device->LightEnable(static_cast<DWORD>(i), TRUE);
        light.dcvDiffuse.r = savedColour.x;
        light.dcvDiffuse.g = savedColour.y;
        light.dcvDiffuse.b = savedColour.z;
    }
}

void DrawAlien(DWORD p, const AlienView& view) {
    alienScene.EvaluateCamera(alienLights, static_cast<int8_t>(view.camera), EYE, TARGET,
                              static_cast<DWORD>(Trunc(alienFrame * view.factor)));
    BuildViewMatrix(alienLights.view, EYE * view.eyeScale, TARGET * view.eyeScale, Vector(0.0f, 1.0f, 0.0f));
    UseProjectionAndView(alienLights.projection, alienLights.view);
    alienLights.ApplyLights(renderDevice);

    if (p >= timelineMarks[27]) {
        for (int k = 0; k < StackedCopies; ++k) {
            ZClear();
            SetObjectStates(alienScene, 1, Keep, 1, D3DBLEND_INVSRCCOLOR);
            const Matrix grown = Scaling(k * alienPulse / 6.0f + 1.0f);
            for (int i = 0; i < alienScene.objectCount; ++i) alienScene.world[i] = grown;
            RampLights(4.0f);
            alienScene.Render(renderDevice, alienLights, nullptr);
        }
    } else {
        SetObjectStates(alienScene, 1, Keep, 0, Keep);
        for (int i = 0; i < alienScene.objectCount; ++i) alienScene.world[i] = IdentityMatrix();
        RampLights(1.0f);
        alienScene.Render(renderDevice, alienLights, nullptr);
    }
}

void DrawAlienFlares() {
    const float scale = 30.0f * std::max(0.0f, std::min(alienGlow, 1.0f) - endFade);
    for (int f = 0; f < alienLights.flareCount; ++f) {
        const D3DVECTOR& at = alienLights.lights[alienLights.flares[f]].dvPosition;
        DrawFlare(Vector(at.x, at.y, at.z), scale, alienLights);
    }
}

// Opaque black vertical stripes, 0 to 4 pixels wide, more of them as the end fades in.
void DrawScratches() {
    const int width = setupChoices.screenWidth;
    const float height = static_cast<float>(setupChoices.screenHeight);
    // Without a known screen there is nowhere to put them.
    if (width <= 0) return;
    for (int i = 0; endFade * ScratchDensity > static_cast<float>(i); ++i) {
        const DWORD r1 = static_cast<DWORD>(Random());
        const DWORD r2 = static_cast<DWORD>(Random());
        const float x = static_cast<float>(r1 % static_cast<DWORD>(width));
        const float w = static_cast<float>(r2 % 5u);
        const ScreenCorner c1 = {x, 0.0f, 0.0f, 0, 0, 0, 0};
        const ScreenCorner c2 = {x + w, 0.0f, 0.0f, 0, 0, 0, 0};
        const ScreenCorner c3 = {x + w, height, 0.0f, 0, 0, 0, 0};
        const ScreenCorner c4 = {x, height, 0.0f, 0, 0, 0, 0};
        renderDevice.DrawScreenQuad(c1, c2, c3, c4, D3DBLEND_ZERO, nullptr);
    }
}

void DrawEndPanel() {
    ViewEtestPanel();
    etestLights.ApplyLights(renderDevice);
    SetKeyLight(etestLights, endFade);
    renderDevice.device->LightEnable(0, TRUE);
    SetObjectStates(etestScene, 0, 0, 1, D3DBLEND_INVSRCCOLOR);
    for (int i = 0; i < etestScene.objectCount; ++i) etestScene.world[i] = IdentityMatrix();
    etestScene.Render(renderDevice, etestLights, endTexture);
}

}  // namespace

void RunAlienFinale() {
    const DWORD p = musicPosition;
    alienGlow = alienGlow + frameDelta / 10.0f;
    const AlienView view = ChooseAlienView(p);
    if (p >= timelineMarks[27])
        alienPulse = static_cast<float>(std::sin(Radians(std::cos(Radians(alienFrame / 5.0)) * 180.0)) * 0.5 + 0.5);
    // Hold the last frame of the animation once the window's counter runs past it.
    if (alienScene.frameCount < alienFrame * view.factor)
        alienFrame = static_cast<DWORD>(Trunc(std::max(0, alienScene.frameCount) / view.factor));

    DrawAlien(p, view);
    DrawAlienFlares();
    if (p >= timelineMarks[31]) {
        endFade = endFade + frameDelta / 10.0f;
        DrawScratches();
        DrawEndPanel();
    }
}
