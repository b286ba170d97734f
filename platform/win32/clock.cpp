// The performance counter and the multimedia millisecond timer, both on the monotonic clock.
#include <windows.h>

#include <ctime>

namespace {

LONGLONG MonotonicNs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<LONGLONG>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

}  // namespace

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (frequency == nullptr) return FALSE;
    frequency->QuadPart = 1000000000LL;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* counter) {
    if (counter == nullptr) return FALSE;
    counter->QuadPart = MonotonicNs();
    return TRUE;
}

// Milliseconds of the monotonic clock, wrapping at 2^32 like the system's own.
DWORD timeGetTime() {
    return static_cast<DWORD>(static_cast<uint64_t>(MonotonicNs()) / 1000000u);
}
