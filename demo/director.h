// The director: one frame of the show per call, chosen by the music position, and the small
// vocabulary every segment draws with.
#pragma once

#include <windows.h>

#include "scene.h"

constexpr int TimelineMarkCount = 33;

extern DWORD musicPosition;
extern DWORD previousMusicPosition;
extern DWORD positionDelta;
extern float frameDelta;
extern float frameClock;
extern const DWORD timelineMarks[TimelineMarkCount];
extern int cameraVariant;
extern DWORD segment2Ticks;
extern int showFinished;

// Renders and presents one frame for the current music position; raises showFinished at the end.
void DirectorFrame();

// Whether segment block 0..7 runs at music position p (each window has its own exact operators).
int SegmentWindowHolds(int segment, DWORD p);

// A ticks counter advanced by frameDelta x rate; the fraction is dropped every frame.
void AdvanceTicks(DWORD& ticks, double rate);
// Truncation toward zero, for the frame of a scene pass.
int Trunc(double x);

// The single-precision pi the segment formulas are written with. Ticks and frameClock enter
// angle formulas as doubles; sines and cosines are taken in double precision.
constexpr float ShowPi = 3.1415927f;
// Degrees to radians in double precision, with the show's pi.
inline double Radians(double degrees) { return degrees * ShowPi / 180.0; }

// The composite transform in which first acts before second (row vectors).
inline Matrix Then(const Matrix& first, const Matrix& second) { return MatrixMultiply(second, first); }

// Sends a pass's projection and view matrices to the device, in that order.
void UseProjectionAndView(Matrix& projection, Matrix& view);

// Light record 0 gets the level as its diffuse colour and goes to device slot 0.
void SetKeyLight(LightSet& lightSet, float level);
// Every device light of the set is sent dimmed to the level; the stored records stay as they were.
void DimAllLights(LightSet& lightSet, float level);

// Writes the listed render-state values of every object of the scene; Keep leaves a value alone.
constexpr long Keep = -1;
void SetObjectStates(Scene& scene, long zEnable, long zWriteEnable, long alphaBlendEnable, long destBlend);

// The light set's view matrix from EYE to TARGET, up (0, 1, 0); reversed: mirrored through the origin.
void LookAt(LightSet& lightSet);
void ReversedLook(LightSet& lightSet);

// etest.3d's still camera (frame 0) into its light set and onto the device: where every image
// overlay and panel pass starts.
void ViewEtestPanel();

// Clears depth only, leaving the picture.
void ZClear();

// Every device light of the set gets the level as its diffuse colour; the stored records keep it.
void SetAllLights(LightSet& lightSet, float level);
