// The library's side of the virtual music clock (the host's side is platform/musicclock.h).
#pragma once

#include <windows.h>

namespace audio {

bool VirtualClockRequested();
DWORD VirtualPosition();
// Raised once a stream has been started, cleared when the library is freed.
void SetMusicPlaying(bool playing);
// Back to the default output, position 0, nothing playing.
void ResetVirtualClock();

}  // namespace audio
