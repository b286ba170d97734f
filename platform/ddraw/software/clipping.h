// Clipping: triangles that leave the near/far range or the guard band are cut down to the part
// inside, in clip space for transformed vertices and in screen space for pre-transformed ones.
// Inside the guard band the rasteriser's scissor does the rest, so most triangles are never cut.
#pragma once

#include "ddraw/software/vertexprocessing.h"

namespace software {

// Guard band in units of the viewport's half extent; keeps screen co-ordinates well inside the
// rasteriser's fixed-point range for targets up to MaxRenderTargetSide.
constexpr float GuardBand = 4.0f;
// Pre-transformed vertices must stay within this many pixels of the origin.
constexpr float ScreenLimit = 16000.0f;

constexpr int ClipPlaneCount = 7;    // near, far, four guard planes, w > 0
constexpr int ScreenPlaneCount = 5;  // four screen limits, q >= 0
// A triangle cut by every plane has at most this many corners.
constexpr int MaxClippedVertices = 3 + ClipPlaneCount;

// The smallest w kept: the w > 0 plane lies here.
constexpr float MinW = 1e-5f;

// Signed distance to a plane: >= 0 inside. Inline: every vertex is tested against each plane.
inline float ClipDistance(const ClipVertex& v, int plane) {
    switch (plane) {
    case 0: return v.z;
    case 1: return v.w - v.z;
    case 2: return v.x + GuardBand * v.w;
    case 3: return GuardBand * v.w - v.x;
    case 4: return v.y + GuardBand * v.w;
    case 5: return GuardBand * v.w - v.y;
    default: return v.w - MinW;
    }
}

inline float ScreenDistance(const ScreenVertex& v, int plane) {
    switch (plane) {
    case 0: return v.x + ScreenLimit;
    case 1: return ScreenLimit - v.x;
    case 2: return v.y + ScreenLimit;
    case 3: return ScreenLimit - v.y;
    default: return v.q;
    }
}

// Cuts the triangle a, b, c by the planes set in outcodes; writes the polygon (in the same
// winding) to out and returns its corner count (0 when nothing is left).
int ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, uint8_t outcodes,
                 ClipVertex* out);
int ClipScreenTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, uint8_t outcodes,
                       ScreenVertex* out);

}  // namespace software
