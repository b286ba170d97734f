// The flare swarm segment's state, kept between frames.
#pragma once

#include <windows.h>

extern DWORD segment4Ticks;
extern DWORD liteTicks;
extern float segment4Pulse;
extern float segment4Fade;
