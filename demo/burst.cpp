#include <cmath>

#include "director.h"
#include "echocredits.h"
#include "globals.h"
#include "renderdevice.h"
#include "segments.h"

DWORD segment3Ticks, variant1Ticks, variant4Ticks, variant5Ticks, compeTicks, burstTicks;
float riseLevel, stretchAmount, burstAmount, suspLevel, segment3Fade;

namespace {

// Rebuilds every face of the flat figure from the copy made at start-up and pushes it out along
// its mean normal, so nothing accumulates from frame to frame.
void BurstFigure() {
    Scene& figure = humanusFlatScene;
    if (!figureCopy) return;
    const float pulse = static_cast<float>(std::sin(Radians(2.0 * burstTicks)));
    int t = 0;
    for (int o = 0; o < figure.objectCount; ++o) {
        DrawVertex* vertices = figure.flatVertices[o];
        if (!vertices) continue;
        const int slots = (figure.objects[o].endFace - figure.objects[o].firstFace) * 3;
        // Faces run on across the objects; the bounds keep a malformed figure inside both arrays.
        for (int v = 0; t < figure.objects[o].endFace && t < figure.faceCount && v + 3 <= slots; v += 3, ++t) {
            Vector n(0.0f, 0.0f, 0.0f);
            for (int k = 0; k < 3; ++k) {
                DrawVertex& out = vertices[v + k];
                out = figureCopy[3 * t + k];
                const Vector normal = Normalize(Vector(out.nx, out.ny, out.nz));
                out.nx = normal.x;
                out.ny = normal.y;
                out.nz = normal.z;
                n += normal;
            }
            n = n / 3.0f;
            for (int k = 0; k < 3; ++k) {
                DrawVertex& out = vertices[v + k];
                out.x = out.x + n.x * burstAmount + pulse * n.x * burstAmount;
                out.y = out.y + n.y * burstAmount + pulse * n.y * burstAmount;
                out.z = out.z + n.z * burstAmount + pulse * n.z * burstAmount;
            }
        }
    }
}

// compe.3d's camera of this frame into its light set and onto the device.
void CompeCamera(double frame) {
    compeScene.EvaluateCamera(compeLights, static_cast<int8_t>(cameraVariant), EYE, TARGET,
                              static_cast<DWORD>(Trunc(frame)));
    LookAt(compeLights);
    UseProjectionAndView(compeLights.projection, compeLights.view);
}

// The still etest.3d camera, its lights and the key level, for an image overlay.
void EtestOverlaySetup(float level) {
    ViewEtestPanel();
    etestLights.ApplyLights(renderDevice);
    SetKeyLight(etestLights, level);
    renderDevice.device->LightEnable(0, TRUE);
}

}  // namespace

void RunFigureBurst() {
    const DWORD p = musicPosition;
    const DWORD* mark = timelineMarks;

    riseLevel += 0.5f * frameDelta;
    stretchAmount += 0.5f * frameDelta;
    if (riseLevel > 1.0f) riseLevel = 1.0f;
    AdvanceTicks(segment3Ticks, 125.0);
    compeTicks = segment3Ticks;
    burstAmount += 0.3f * frameDelta;
    if (mark[10] < p && p <= mark[11]) {
        cameraVariant = 1;
        AdvanceTicks(variant1Ticks, 125.0);
        compeTicks = variant1Ticks;
    }
    if (mark[11] < p && p <= mark[12]) {
        cameraVariant = 4;
        AdvanceTicks(variant4Ticks, 125.0);
        compeTicks = variant4Ticks;
        suspLevel = static_cast<float>(0.3 - std::sin(Radians(2.0 * variant4Ticks)) * 0.3);
    }
    if (mark[12] < p && p <= mark[14]) {
        cameraVariant = 5;
        AdvanceTicks(variant5Ticks, 90.0);
        compeTicks = variant5Ticks;
        suspLevel = static_cast<float>(0.3 - std::sin(Radians(2.0 * variant4Ticks)) * 0.3);
    }
    if (p > mark[13]) segment3Fade += 0.8f * frameDelta;

    BurstFigure();
    AdvanceTicks(burstTicks, 125.0);

    const Vector c = humanusFlatScene.bounds[0].centre;
    const DWORD k = compeTicks;
    const DWORD b = burstTicks;

    // compe.3d opaque.
    CompeCamera(k * 1.4 + 150.0);
    compeScene.EvaluateObjects(k);
    compeScene.UpdateLights(k, renderDevice, compeLights);
    compeLights.ApplyLights(renderDevice);
    SetObjectStates(compeScene, Keep, Keep, 0, Keep);
    SetObjectStates(humanusFlatScene, Keep, Keep, 0, Keep);
    DimAllLights(compeLights, riseLevel - segment3Fade);
    compeScene.Render(renderDevice, compeLights, nullptr);

    ZClear();

    // compe.3d blended, its objects and lights held at the segment 2 clock.
    CompeCamera(k * 1.4 + 100.0);
    compeScene.EvaluateObjects(segment2Ticks);
    compeScene.UpdateLights(segment2Ticks, renderDevice, compeLights);
    compeLights.ApplyLights(renderDevice);
    SetObjectStates(compeScene, Keep, Keep, 1, D3DBLEND_INVSRCCOLOR);
    DimAllLights(compeLights, riseLevel / 1.75f - segment3Fade);
    compeScene.Render(renderDevice, compeLights, nullptr);

    // The bursting figure, under the lights of the blended pass.
    CompeCamera(k * 1.4 + 150.0);
    humanusFlatScene.Render(renderDevice, compeLights, nullptr);

    // A spiral of flares climbing around the figure.
    for (DWORD i = 0; i < 600; ++i) {
        const float r = i / 18.0f + 10.0f;
        const double angle = Radians(5 * i + b);  // the sum is unsigned 32-bit
        const Vector q(static_cast<float>(c.x + std::sin(angle) * r), i / 18.0f,
                       static_cast<float>(c.z + std::cos(angle) * r));
        DrawFlare(q, (600 - static_cast<int>(i)) / 600.0f - 2.0f * segment3Fade, compeLights);
    }

    // Three lait.3d copies turning around the figure.
    CompeCamera(k * 1.4 + 150.0);
    laitLights.ApplyLights(renderDevice);
    SetObjectStates(laitScene, 0, 0, 1, D3DBLEND_INVSRCCOLOR);
    DimAllLights(laitLights, riseLevel / 2.0f - segment3Fade);
    const double turns[3] = {b / 100.0, -static_cast<double>(b) / 110.0, b / 70.0};
    for (double theta : turns) {
        laitScene.world[0] = MatrixMultiply(Translation(c.x, 0.0f, c.z), RotationY(static_cast<float>(theta)));
        laitScene.Render(renderDevice, compeLights, nullptr);
    }

    if (p < mark[8]) {
        // vision.jpg stretched sideways, each stretch drawn twice.
        for (int j = 0; j < 6; ++j) {
            EtestOverlaySetup((1.0f - stretchAmount) / 3.0f);
            etestScene.world[0] = Scaling((j / 2) * stretchAmount * 6.0f + 1.0f, 1.0f, 1.0f);
            SetObjectStates(etestScene, 0, Keep, 1, D3DBLEND_INVSRCCOLOR);
            etestScene.Render(renderDevice, etestLights, visionTexture);
        }
    }

    binaryScene.EvaluateCamera(etestLights, 0, EYE, TARGET, 0);
    binaryScene.EvaluateObjects(static_cast<DWORD>(Trunc((segment2Ticks + k) / 2.0)));
    LookAt(binaryLights);
    UseProjectionAndView(binaryLights.projection, binaryLights.view);
    binaryLights.ApplyLights(renderDevice);
    SetKeyLight(binaryLights, compeGlow - segment3Fade);
    renderDevice.device->LightEnable(0, TRUE);
    SetObjectStates(binaryScene, 0, 0, 1, D3DBLEND_INVSRCCOLOR);
    binaryScene.Render(renderDevice, binaryLights, nullptr);

    if (p > mark[11]) {
        // Object 0 keeps whatever matrix the stretch or freedom pass last gave it.
        EtestOverlaySetup((suspLevel - segment3Fade) * 1.4f);
        SetObjectStates(etestScene, 0, Keep, 1, D3DBLEND_INVSRCCOLOR);
        etestScene.Render(renderDevice, etestLights, suspTexture);
    }

    if (p > mark[13]) {
        EtestOverlaySetup(segment3Fade);
        SetObjectStates(etestScene, 0, Keep, 1, D3DBLEND_INVSRCCOLOR);
        float m = (1.0f - segment3Fade) * 10.0f + 1.0f;
        if (m < 1.0f) m = 1.0f;
        etestScene.world[0] = Scaling(m);
        etestScene.Render(renderDevice, etestLights, freedomTexture);
    }
}
