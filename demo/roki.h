// The roki segment's state, kept between frames.
#pragma once

#include <windows.h>

extern DWORD segment5Ticks;
extern DWORD rokiFrame;
extern DWORD rokiCamera1Ticks;
extern DWORD rokiCamera2Ticks;
extern DWORD zoomTicks;
