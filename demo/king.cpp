#include "king.h"

#include <cmath>

#include "director.h"
#include "globals.h"
#include "renderdevice.h"
#include "segments.h"

DWORD segment6Ticks;
float segment6Crossfade;
float segment6Swell;
float segment6Wave;
float segment6Fade;
float ringGrowth;

namespace {

constexpr int RingFlares = 600;
// The king.3d object whose centre sets the height of the cube swarm.
constexpr int SwarmCentreObject = 136;
// Once the ring's growth passes this it stays there, so the ring's size offset settles at 0.
constexpr float RingGrowthCap = 0.96f;

void SetKingObjectStates() {
    ObjectRenderState* states = kingScene.renderStates;
    for (int i = 0; i < kingScene.objectCount; ++i) states[i].alphaBlendEnable = 0;
    for (int i = 1; i <= 119; i += 2) {
        states[i].zEnable = 1;
        states[i].zWriteEnable = 1;
        states[i].alphaBlendEnable = 1;
        states[i].destBlend = D3DBLEND_INVSRCCOLOR;
    }
    for (int i = 122; i <= 133; ++i) {
        states[i].zEnable = 1;
        states[i].zWriteEnable = 0;
        states[i].alphaBlendEnable = 1;
        states[i].destBlend = D3DBLEND_INVSRCCOLOR;
        states[i].cullMode = D3DCULL_NONE;
    }
    for (int i = 0; i <= 118; i += 2) {
        states[i].zEnable = 1;
        states[i].zWriteEnable = 1;
        states[i].alphaBlendEnable = 0;
        states[i].cullMode = D3DCULL_NONE;
    }
}

void DrawKingFlares(double t) {
    for (int f = 0; f < kingLights.flareCount; ++f) {
        const D3DVECTOR& at = kingLights.lights[kingLights.flares[f]].dvPosition;
        const Vector position(at.x, at.y, at.z);
        // Off-screen flares are skipped before anything else is worked out for them.
        if (!billboard.IsOnScreen(position, kingLights)) continue;
        float size = static_cast<float>(std::sin(Radians(f * 100.0 + 2.0 * t)) * 1.0 + 2.0 - segment6Crossfade * 3.0);
        if (size < 0.0f) size = 0.0f;
        billboard.FaceCamera(kingLights.view, position, size);
        billboard.Draw(renderDevice);
    }
}

void TumbleCubiki(double t) {
    SetObjectStates(cubikiScene, 1, 1, 1, D3DBLEND_INVSRCCOLOR);
    const float height = kingScene.bounds[SwarmCentreObject].centre.y;
    for (int i = 0; i < cubikiScene.objectCount; ++i) {
        const double w = i / 10.0 + 1.0;
        Matrix m = Then(RotationZ(static_cast<float>(w * t / 700.0)), RotationY(static_cast<float>(w * t / 600.0)));
        m = Then(m, RotationX(static_cast<float>(w * t / 500.0)));
        m = Then(m, Scaling(2.0f));
        cubikiScene.world[i] = Then(m, Translation(0.0f, height, 0.0f));
    }
}

// One small cube at every vertex of the tumbling cubiki.3d objects, drawn one by one.
void DrawCubeSwarm() {
    const DrawVertex* source = cubikiScene.vertexSource;
    if (!source) return;
    ObjectRenderState& cube = cubikScene.renderStates[0];
    DWORD n = 0;
    for (int i = 0; i < cubikiScene.objectCount; ++i) {
        const SceneObject& object = cubikiScene.objects[i];
        for (int v = object.firstVertex; v < object.endVertex; ++v) {
            // The source is counted across all objects; an object past the vertices draws nothing.
            if (n >= cubikiScene.vertexCount) return;
            const Vector corner(source[n].x, source[n].y, source[n].z);
            const Vector at = TransformPoint(corner, cubikiScene.world[i]);
            cubikScene.world[0] = Then(Scaling(0.2f), Translation(at));
            cube.zWriteEnable = 0;
            cube.cullMode = D3DCULL_NONE;
            cube.alphaBlendEnable = 1;
            cube.destBlend = D3DBLEND_INVSRCCOLOR;
            cubikScene.Render(renderDevice, kingLights, wire2Texture);
            ++n;
        }
    }
}

void DrawKing(double t) {
    kingScene.EvaluateCamera(kingLights, 0, EYE, TARGET, segment6Ticks);
    LookAt(kingLights);
    UseProjectionAndView(kingLights.projection, kingLights.view);
    kingLights.ApplyLights(renderDevice);
    SetKingObjectStates();
    DimAllLights(kingLights, static_cast<float>(1.0f - segment6Crossfade / 1.2));
    kingScene.RenderOpaqueThenBlended(renderDevice, kingLights, nullptr);
    DrawKingFlares(t);
    TumbleCubiki(t);
    DrawCubeSwarm();
}

void DrawChangePanel() {
    ViewEtestPanel();
    etestLights.ApplyLights(renderDevice);
    // The panel's level is capped before the fade comes off it.
    float level = segment6Crossfade + segment6Wave;
    if (level > 1.0f) level = 1.0f;
    SetKeyLight(etestLights, static_cast<float>(level - segment6Fade * 2.5));
    renderDevice.device->LightEnable(0, TRUE);
    SetObjectStates(etestScene, 0, 0, 1, D3DBLEND_INVSRCCOLOR);
    for (int i = 0; i < etestScene.objectCount; ++i) etestScene.world[i] = IdentityMatrix();
    etestScene.Render(renderDevice, etestLights, changeTexture);
}

void DrawRing(double t) {
    ringGrowth = ringGrowth + frameDelta;
    const float radius = static_cast<float>(std::sin(Radians(std::sin(t / 9.0 * ShowPi / 140.0) * 160.0)) * 1.0 + 9.0);
    for (int i = 0; i < RingFlares; ++i) {
        const double u = i / 6.0 * 3.6 + t / 3.0;
        const double x = std::sin(std::cos(u * ShowPi / 180.0) * 180.0 * ShowPi / 190.0) * radius;
        // The inner cosine takes its argument as radians as it stands.
        const double y = std::cos((std::cos(2.0 * i / 6.0 * 3.6 / 180.0) * 60.0 * 8.0 + t / 3.0) * ShowPi / 260.0) * 7.0;
        const double z = std::cos(std::sin(u * ShowPi / 170.0) * 180.0 * ShowPi / 250.0) * radius;
        float size =
            static_cast<float>(std::sin((i / 6.0 * 20.0 + t / 1.5) * ShowPi / 160.0) * 0.1 + 0.07 - 0.24 + ringGrowth / 4.0f);
        // The cap comes after this flare's size: the flare that crosses it keeps the larger value.
        if (ringGrowth / 4.0f > 0.24) ringGrowth = RingGrowthCap;
        size = static_cast<float>(size - segment6Fade / 1.5);
        if (size < 0.0f) size = 0.0f;
        billboard.FaceCamera(etestLights.view,
                             Vector(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)), size);
        billboard.Draw(renderDevice);
    }
}

}  // namespace

void RunKingAndCubeSwarm() {
    const DWORD p = musicPosition;
    AdvanceTicks(segment6Ticks, 400.0);
    const double t = segment6Ticks;

    if (p < timelineMarks[23]) DrawKing(t);

    const float swell = segment6Swell;
    segment6Wave = static_cast<float>(std::sin(Radians(t / 3.0)) * swell + swell);
    segment6Swell = static_cast<float>(segment6Swell + t / 15000000.0);
    if (p > timelineMarks[22]) segment6Crossfade = static_cast<float>(segment6Crossfade + t / 1000000.0);

    DrawChangePanel();
    if (p > timelineMarks[24]) segment6Fade = segment6Fade + frameDelta / 16.0f;
    if (p > timelineMarks[22]) DrawRing(t);
}
