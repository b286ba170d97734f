// The king and cube swarm segment's state, kept between frames.
#pragma once

#include <windows.h>

extern DWORD segment6Ticks;
extern float segment6Crossfade;
extern float segment6Swell;
extern float segment6Wave;
extern float segment6Fade;
extern float ringGrowth;
