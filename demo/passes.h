// Small pieces the later segments share when they set up a scene pass.
#pragma once

#include <cmath>

#include "renderdevice.h"
#include "vecmath.h"

// The single-precision pi the segment formulas are written with.
constexpr float ShowPi = 3.1415927f;

// Degrees to radians in double precision, with the show's pi.
inline double Radians(double degrees) { return degrees * ShowPi / 180.0; }

// The composite transform in which first acts before second (row vectors).
inline Matrix Then(const Matrix& first, const Matrix& second) { return MatrixMultiply(second, first); }

// Sends a pass's projection and view matrices to the device.
inline void UseProjectionAndView(Matrix& projection, Matrix& view) {
    renderDevice.device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, projection.AsD3D());
    renderDevice.device->SetTransform(D3DTRANSFORMSTATE_VIEW, view.AsD3D());
}
