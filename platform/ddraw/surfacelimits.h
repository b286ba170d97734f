// How large a surface may be, per side, in one place so DirectDraw and the devices agree.
#pragma once

#include <windows.h>

// DirectDraw refuses larger surfaces rather than risk an allocation the process cannot survive.
constexpr DWORD MaxSurfaceSide = 16384;
// The software device draws into targets and depth buffers up to this size: its fixed-point
// edges and its guard band are sized for it.
constexpr DWORD MaxRenderTargetSide = 4096;
// The largest texture the software device samples, as its caps report.
constexpr DWORD MaxTextureSide = 2048;
