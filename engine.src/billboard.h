// The camera-facing textured square drawn for flares and glowing particles.
#pragma once

#include <d3d.h>

#include "scene.h"
#include "vecmath.h"

struct RenderDevice;

struct Billboard {
    Matrix world;
    DrawVertex vertices[6];
    D3DMATERIAL7 material;
    LPDIRECTDRAWSURFACE7 texture;

    void Init(RenderDevice& renderDevice, const char* imageFile, float size, float red, float green, float blue);
    void FaceCamera(const Matrix& view, const Vector& position, float scale);
    int IsOnScreen(const Vector& position, const LightSet& lightSet);
    int Draw(RenderDevice& renderDevice);
};

// One flare of a scene drawn from lightSet, whose pass has set the view and projection: the
// global billboard faces the viewer at position with the given scale and is drawn additively,
// unless it lies outside the screen.
void DrawFlare(const Vector& position, float scale, const LightSet& lightSet);
