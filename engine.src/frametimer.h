// A process-wide stopwatch: the performance counter when there is one, else the millisecond timer.
#pragma once

#include <windows.h>

enum TimerCommand {
    TimerReset = 0,
    TimerResume = 1,
    TimerPause = 2,
    TimerStep = 3,
    TimerAbsolute = 4,
    TimerSinceReset = 5,
    TimerDelta = 6,
};

// The stopwatch's state, set up by the first command.
struct FrameTimerState {
    int initialised;
    int counterAvailable;
    LONGLONG frequency;
    LONGLONG stopTicks;   // 0 while running
    LONGLONG lastTicks;
    LONGLONG baseTicks;
    double stopSeconds;   // millisecond-timer mode; 0.0 while running
    double lastSeconds;
    double baseSeconds;
};

extern FrameTimerState frameTimerState;

float FrameTimer(int command);
