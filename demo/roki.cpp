#include "roki.h"

#include <cmath>

#include "director.h"
#include "globals.h"
#include "renderdevice.h"
#include "segments.h"

DWORD segment5Ticks;
DWORD rokiFrame;
DWORD rokiCamera1Ticks;
DWORD rokiCamera2Ticks;
DWORD zoomTicks;

namespace {

// Past this position the first camera's field of view starts to swing.
constexpr DWORD ZoomStart = 16400000;

constexpr int ColumnCount = 8;
constexpr int ParticlesPerColumn = 20;
constexpr int BarLayers = 10;
constexpr int TribesLayers = 6;

// Chooses the camera and animation frame of roki.3d for this position; each camera window
// advances its own counter, which carries on where it stopped when the camera comes back.
int ChooseRokiCamera(DWORD p) {
    const DWORD* mark = timelineMarks;
    if (p < mark[17]) {
        rokiFrame = segment5Ticks;
        return 0;
    }
    if (p < mark[18]) {
        AdvanceTicks(rokiCamera1Ticks, 180.0);
        rokiFrame = rokiCamera1Ticks;
        return 1;
    }
    if (p < mark[19]) {
        AdvanceTicks(rokiCamera2Ticks, 700.0);
        rokiFrame = rokiCamera2Ticks;
        return 2;
    }
    if (p < mark[20]) {
        AdvanceTicks(rokiCamera1Ticks, 120.0);
        rokiFrame = rokiCamera1Ticks + 380u;
        return 1;
    }
    AdvanceTicks(rokiCamera2Ticks, 700.0);
    // Unsigned: a short first window wraps to a far frame, which the tracks hold at their end.
    rokiFrame = rokiCamera2Ticks - 1700u;
    return 2;
}

void SetRokiProjection(DWORD p, int camera) {
    double fieldOfView = 90.0;
    if (p > ZoomStart && camera == 0) {
        AdvanceTicks(zoomTicks, 125.0);
        fieldOfView = 130.0 - 40.0 * std::cos(Radians(zoomTicks / 3.0));
    }
    BuildProjectionMatrix(rokiLights.projection, static_cast<float>(fieldOfView * ShowPi / 180.0), 1.0f, 1.0f,
                          1000.0f);
}

void SetRokiObjectStates() {
    const Matrix track = Translation(0.0f, 0.0f, static_cast<float>(rokiFrame / 10.0 - 200.0));
    auto blend = [](int object, bool noDepthTest) {
        ObjectRenderState& state = rokiScene.renderStates[object];
        if (noDepthTest) state.zEnable = 0;
        state.zWriteEnable = 0;
        state.alphaBlendEnable = 1;
        state.destBlend = D3DBLEND_INVSRCCOLOR;
    };
    for (int i = 0; i <= 5; ++i) blend(i, true);
    for (int i = 28; i <= 34; ++i) blend(i, false);
    blend(55, false);
    rokiScene.world[56] = track;
    rokiScene.world[57] = track;
}

void DrawRoki(int camera) {
    rokiScene.EvaluateCamera(rokiLights, static_cast<int8_t>(camera), EYE, TARGET, rokiFrame);
    LookAt(rokiLights);
    UseProjectionAndView(rokiLights.projection, rokiLights.view);
    rokiLights.ApplyLights(renderDevice);
    rokiScene.EvaluateObjects(rokiFrame);
    SetRokiObjectStates();
    rokiScene.Render(renderDevice, rokiLights, nullptr);
}

void DrawWalkers() {
    SetObjectStates(humanuScene, 1, Keep, 0, Keep);
    const Vector places[3] = {
        Vector(13.0f, 0.0f, static_cast<float>(rokiFrame / 10.0 - 200.0)),
        Vector(-13.0f, 0.0f, static_cast<float>(rokiFrame / 10.0 + 40.0)),
        Vector(-13.0f, 0.0f, static_cast<float>(rokiFrame / 10.0 - 440.0)),
    };
    for (const Vector& place : places) {
        humanuScene.world[0] = Translation(place);
        humanuScene.Render(renderDevice, rokiLights, nullptr);
    }
}

// Glows rise and fall along eight columns of roki.3d; each is drawn where it was before it moved.
void DrawParticleColumns() {
    const float step = frameDelta * 10.0f;
    for (int column = 0; column < ColumnCount; ++column) {
        const ObjectBounds& bounds = rokiScene.bounds[column < 7 ? 28 + column : 55];
        for (int j = 0; j < ParticlesPerColumn; ++j) {
            const int entry = ParticlesPerColumn * column + j;
            Particle& particle = particleField[entry];
            const float drawnHeight = particle.height;
            particle.height = particle.height + step * particle.speed * 10.0f;
            if (particle.height < 0.0f || particle.height > bounds.maximum.y) ResetParticle(entry);
            DrawFlare(Vector(bounds.centre.x, drawnHeight, bounds.centre.z), particle.size, rokiLights);
        }
    }
}

void DrawBars(double t, float levelB) {
    ViewEtestPanel();
    etestLights.ApplyLights(renderDevice);
    for (int k = 0; k < BarLayers; ++k) {
        const Matrix bar = Then(RotationZ(static_cast<float>(t / 70.0 - k / 9.0)),
                                Scaling(levelB * 5.0f + 1.0f + k, 2.0f, 1.0f));
        for (int i = 0; i < etestScene.objectCount; ++i) etestScene.world[i] = bar;
        SetObjectStates(etestScene, 0, 0, 1, D3DBLEND_INVSRCCOLOR);
        SetAllLights(etestLights, levelB / 10.0f);
        etestScene.Render(renderDevice, etestLights, loadingTexture);
    }
}

void DrawTribes(float levelA) {
    tribesScene.EvaluateCamera(tribesLights, 0, EYE, TARGET, segment5Ticks * 3u);
    BuildViewMatrix(tribesLights.view, EYE / 2.0f, TARGET / 2.0f, Vector(0.0f, 1.0f, 0.0f));
    UseProjectionAndView(tribesLights.projection, tribesLights.view);
    tribesLights.ApplyLights(renderDevice);
    SetObjectStates(tribesScene, 1, Keep, 1, D3DBLEND_INVSRCCOLOR);
    for (int k = 0; k < TribesLayers; ++k) {
        ZClear();
        const Matrix grown = Scaling(static_cast<float>(k / 2.0 + 1.0));
        for (int i = 0; i < tribesScene.objectCount; ++i) tribesScene.world[i] = grown;
        SetAllLights(tribesLights, levelA);
        tribesScene.Render(renderDevice, tribesLights, nullptr);
    }
}

}  // namespace

void RunRoki() {
    const DWORD p = musicPosition;
    AdvanceTicks(segment5Ticks, 160.0);
    const double t = segment5Ticks;
    const float levelA = static_cast<float>(std::sin(Radians(t * 1.1)) * 0.3 + 0.7);
    const float levelB = static_cast<float>(std::sin(Radians(t * 1.8)) * 0.7 + 0.3);

    const int camera = ChooseRokiCamera(p);
    SetRokiProjection(p, camera);
    DrawRoki(camera);
    DrawWalkers();
    DrawParticleColumns();
    // At the mark itself neither overlay runs.
    if (p > timelineMarks[17]) DrawBars(t, levelB);
    if (p < timelineMarks[17]) DrawTribes(levelA);
}
