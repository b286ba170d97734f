#include "director.h"

#include <bass.h>

#include "globals.h"
#include "music.h"
#include "renderdevice.h"
#include "segments.h"

DWORD musicPosition;
DWORD previousMusicPosition;
DWORD positionDelta;
float frameDelta;
float frameClock;
int cameraVariant = 2;
DWORD segment2Ticks;
int showFinished;

// Music positions in bytes of decoded audio.
const DWORD timelineMarks[TimelineMarkCount] = {
    3000000,  3900000,  5700000,  5850000,  6100000,  6640000,  7350000,  7800000,  8200000,
    8700000,  8780000,  9760000,  10720000, 11500000, 11750000, 14700000, 15680000, 17650000,
    18120000, 18610000, 19100000, 19600000, 27500000, 29000000, 30000000, 31350000, 33330000,
    35300000, 36280000, 37240000, 38220000, 39200000, 43000000,
};

int SegmentWindowHolds(int segment, DWORD p) {
    const DWORD* mark = timelineMarks;
    switch (segment) {
    case 0: return p < mark[1];
    case 1: return mark[1] < p && p < mark[3];
    case 2: return mark[3] <= p && p < mark[7];
    case 3: return mark[7] <= p && p <= mark[14];
    case 4: return mark[14] < p && p <= mark[16];
    case 5: return mark[16] < p && p < mark[21];
    case 6: return mark[21] <= p && p < mark[25];
    case 7: return mark[25] <= p && p <= mark[32];
    default: return 0;
    }
}

void DirectorFrame() {
    musicPosition = BASS_ChannelGetPosition(MusicStream);
    positionDelta = musicPosition - previousMusicPosition;
    previousMusicPosition = musicPosition;
    // The clock takes the previous frame's delta: it lags the music by one frame.
    frameClock = static_cast<float>(frameClock + frameDelta * 110.0);
    frameDelta = static_cast<float>(static_cast<double>(positionDelta) / 1580.0 / 110.0);

    renderDevice.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0);
    renderDevice.device->BeginScene();

    // Every block whose window holds runs, in this order; no else between them.
    if (SegmentWindowHolds(0, musicPosition)) RunOpening();
    if (SegmentWindowHolds(1, musicPosition)) RunEchoAndCredits();
    if (SegmentWindowHolds(2, musicPosition)) RunCompeAndFigure();
    else segment2Ticks = 0;
    if (SegmentWindowHolds(3, musicPosition)) RunFigureBurst();
    if (SegmentWindowHolds(4, musicPosition)) RunFlareSwarm();
    if (SegmentWindowHolds(5, musicPosition)) RunRoki();
    if (SegmentWindowHolds(6, musicPosition)) RunKingAndCubeSwarm();
    if (SegmentWindowHolds(7, musicPosition)) RunAlienFinale();

    renderDevice.device->EndScene();
    renderDevice.Present();
    if (musicPosition >= timelineMarks[TimelineMarkCount - 1]) showFinished = 1;
}

void AdvanceTicks(DWORD& ticks, double rate) {
    ticks = static_cast<DWORD>(ticks + frameDelta * rate);
}

int Trunc(double x) { return static_cast<int>(x); }

void UseProjectionAndView(Matrix& projection, Matrix& view) {
    renderDevice.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, projection.AsD3D());
    renderDevice.device->SetTransform(D3DTRANSFORMSTATE_VIEW, view.AsD3D());
}

void SetKeyLight(LightSet& lightSet, float level) {
    D3DLIGHT7& light = lightSet.lights[0];
    light.dcvDiffuse.r = level;
    light.dcvDiffuse.g = level;
    light.dcvDiffuse.b = level;
    renderDevice.device->SetLight(0, &light);
}

void DimAllLights(LightSet& lightSet, float level) {
    for (int i = 0; i < lightSet.deviceLightCount; ++i) {
        D3DLIGHT7& light = lightSet.lights[i];
        const D3DCOLORVALUE kept = light.dcvDiffuse;
        light.dcvDiffuse.r = level;
        light.dcvDiffuse.g = level;
        light.dcvDiffuse.b = level;
        renderDevice.device->SetLight(static_cast<DWORD>(i), &light);
        light.dcvDiffuse.r = kept.r;
        light.dcvDiffuse.g = kept.g;
        light.dcvDiffuse.b = kept.b;
    }
}

void SetObjectStates(Scene& scene, long zEnable, long zWriteEnable, long alphaBlendEnable, long destBlend) {
    for (int i = 0; i < scene.objectCount; ++i) {
        ObjectRenderState& state = scene.renderStates[i];
        if (zEnable != Keep) state.zEnable = static_cast<DWORD>(zEnable);
        if (zWriteEnable != Keep) state.zWriteEnable = static_cast<DWORD>(zWriteEnable);
        if (alphaBlendEnable != Keep) state.alphaBlendEnable = static_cast<DWORD>(alphaBlendEnable);
        if (destBlend != Keep) state.destBlend = static_cast<DWORD>(destBlend);
    }
}

void LookAt(LightSet& lightSet) {
    BuildViewMatrix(lightSet.view, EYE, TARGET, Vector(0.0f, 1.0f, 0.0f));
}

void ReversedLook(LightSet& lightSet) {
    BuildViewMatrix(lightSet.view, -EYE, -TARGET, Vector(0.0f, 1.0f, 0.0f));
}

void ViewEtestPanel() {
    etestScene.EvaluateCamera(etestLights, 0, EYE, TARGET, 0);
    LookAt(etestLights);
    UseProjectionAndView(etestLights.projection, etestLights.view);
}

void ZClear() { renderDevice.Clear(D3DCLEAR_ZBUFFER, 0); }

void SetAllLights(LightSet& lightSet, float level) {
    for (int i = 0; i < lightSet.deviceLightCount; ++i) {
        D3DLIGHT7& light = lightSet.lights[i];
        light.dcvDiffuse.r = level;
        light.dcvDiffuse.g = level;
        light.dcvDiffuse.b = level;
        renderDevice.device->SetLight(static_cast<DWORD>(i), &light);
        renderDevice.device->LightEnable(static_cast<DWORD>(i), TRUE);
    }
}
