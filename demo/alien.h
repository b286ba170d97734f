// The alien finale's state, kept between frames.
#pragma once

#include <windows.h>

extern float alienGlow;
extern float endFade;
extern float alienPulse;
extern DWORD alienFrame;
extern DWORD alienTicks1, alienTicks2, alienTicks3, alienTicks4, alienTicks5;
