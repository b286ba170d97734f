#include "audio/output.h"
#include "audio/virtualclock.h"

#include <platform/musicclock.h>

#include <atomic>

namespace audio {

namespace {

std::atomic<bool> virtualRequested{false};
std::atomic<DWORD> virtualPosition{0};
std::atomic<bool> streamStarted{false};

bool OpenVirtual(long, std::string&) { return true; }
void CloseVirtual() {}

}  // namespace

const AudioOutput virtualClockOutput = {"virtual clock", OpenVirtual, CloseVirtual};

bool VirtualClockRequested() { return virtualRequested; }
DWORD VirtualPosition() { return virtualPosition; }
void SetMusicPlaying(bool playing) { streamStarted = playing; }

void ResetVirtualClock() {
    virtualRequested = false;
    virtualPosition = 0;
    streamStarted = false;
}

}  // namespace audio

namespace platform {

void UseVirtualMusicClock() { audio::virtualRequested = true; }
void SetVirtualMusicPosition(DWORD position) { audio::virtualPosition = position; }
bool MusicPlaying() { return audio::streamStarted; }

}  // namespace platform
