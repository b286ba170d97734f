#include "frametimer.h"

FrameTimerState frameTimerState;

namespace {

float CounterMode(FrameTimerState& s, int command) {
    LARGE_INTEGER now;
    if (s.stopTicks != 0 && command != TimerResume && command != TimerAbsolute) {
        now.QuadPart = s.stopTicks;  // paused: time stands at the pause point
    } else {
        QueryPerformanceCounter(&now);
    }
    const double frequency = static_cast<double>(s.frequency);
    switch (command) {
    case TimerReset:
        s.baseTicks = now.QuadPart;
        s.lastTicks = now.QuadPart;
        return 0.0f;
    case TimerResume:
        s.baseTicks += now.QuadPart - s.stopTicks;
        s.stopTicks = 0;
        s.lastTicks = now.QuadPart;
        return 0.0f;
    case TimerPause:
        s.stopTicks = now.QuadPart;
        s.lastTicks = now.QuadPart;
        return 0.0f;
    case TimerStep:
        s.stopTicks += s.frequency / 10;
        return 0.0f;
    case TimerAbsolute:
        return static_cast<float>(static_cast<double>(now.QuadPart) / frequency);
    case TimerSinceReset:
        return static_cast<float>(static_cast<double>(now.QuadPart - s.baseTicks) / frequency);
    case TimerDelta: {
        const double elapsed = static_cast<double>(now.QuadPart - s.lastTicks) / frequency;
        s.lastTicks = now.QuadPart;
        return static_cast<float>(elapsed);
    }
    default:
        return -1.0f;
    }
}

float MillisecondMode(FrameTimerState& s, int command) {
    double now;
    if (s.stopSeconds != 0.0 && command != TimerResume && command != TimerAbsolute) {
        now = s.stopSeconds;
    } else {
        now = static_cast<double>(timeGetTime()) * 0.001;
    }
    switch (command) {
    case TimerReset:
        s.baseSeconds = now;
        s.lastSeconds = now;
        return 0.0f;
    case TimerResume:
        s.baseSeconds += now - s.stopSeconds;
        s.stopSeconds = 0.0;
        s.lastSeconds = now;
        return 0.0f;
    case TimerPause:
        // Unlike the counter mode, the last delta time stays where it was.
        s.stopSeconds = now;
        return 0.0f;
    case TimerStep:
        s.stopSeconds += 0.1f;
        return 0.0f;
    case TimerAbsolute:
        return static_cast<float>(now);
    case TimerSinceReset:
        return static_cast<float>(now - s.baseSeconds);
    case TimerDelta: {
        const double elapsed = now - s.lastSeconds;
        s.lastSeconds = now;
        return static_cast<float>(elapsed);
    }
    default:
        return -1.0f;
    }
}

}  // namespace

float FrameTimer(int command) {
    FrameTimerState& s = frameTimerState;
    if (!s.initialised) {
        s.initialised = 1;
        LARGE_INTEGER frequency;
        // A counter that claims no ticks per second would divide by zero: fall back instead.
        s.counterAvailable = QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0 ? 1 : 0;
        s.frequency = s.counterAvailable ? frequency.QuadPart : 0;
    }
    return s.counterAvailable ? CounterMode(s, command) : MillisecondMode(s, command);
}
