// The first Direct3D device of the virtual display, drawing into an off-screen surface: enough
// for the loader's texture, light and vertex-buffer calls, with no window.
#pragma once

#include "renderdevice.h"

// Fills the render device's DirectDraw, Direct3D and device; 0 (with the reason on stderr)
// when there is none.
int OpenHeadlessDevice(RenderDevice& renderDevice);
void CloseHeadlessDevice(RenderDevice& renderDevice);
