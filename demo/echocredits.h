// State the first four segments hand to one another, and the passes they share: the echo pass
// (a scene drawn again from its own animated camera, added onto the picture) and the grid of
// credits panels.
#pragma once

#include <windows.h>

#include "scene.h"

// Opening.
extern float introLevel;
extern float introFade;
extern float overlayLevel;  // also the binary.3d light of the compe segment

// Echo and credits.
extern DWORD echoTicks;  // continued by the compe segment
extern DWORD creditsTicks;
extern float echoLevel;
extern float boxLevel;
extern float pulseLevel;  // recomputed by the compe segment
extern float dacodeLevel;

// Compe and figure.
extern float compeGlow;  // the burst segment keeps reading its last value
extern float compePulse;
extern float compeRise;
extern LPDIRECTDRAWSURFACE7 echoTexture;

// Figure burst.
extern DWORD segment3Ticks, variant1Ticks, variant4Ticks, variant5Ticks, compeTicks, burstTicks;
extern float riseLevel, stretchAmount, burstAmount, suspLevel, segment3Fade;

// The scene seen from its camera 0 at the frame (mirrored through the origin when reversed),
// added with DESTBLEND 4 under key light level; only the camera moves.
void EchoPass(Scene& scene, LightSet& lightSet, DWORD frame, int reversed, float level,
              LPDIRECTDRAWSURFACE7 overrideTexture);

// The eleven credits panels drawn from etest.3d with the given key light level; the etest.3d
// world matrices are identity again afterwards.
void CreditsPanelGrid(float creditsLevel);
