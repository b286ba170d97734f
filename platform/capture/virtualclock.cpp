// The virtual music clock: an audio output that consumes nothing and reports, for a stream that
// has been started, the position its host sets frame by frame.
#include "mixer.h"

#include <platform/audiooutput.h>
#include <platform/musicclock.h>

#include <atomic>

namespace {

std::atomic<DWORD> virtualPosition{0};

// Only ever picked by name.
bool NeverByDefault() { return false; }
bool Open(long, std::string&) { return true; }
DWORD Position(DWORD stream) { return audio::StreamStarted(stream) ? DWORD(virtualPosition) : 0; }
// The next run starts from the beginning again.
void Close() { virtualPosition = 0; }

}  // namespace

namespace platform {

const AudioOutputRecord virtualClockOutput = {"virtual clock", NeverByDefault, Open, Position, Close};

void UseVirtualMusicClock() { SelectAudioOutput(virtualClockOutput.name); }
void SetVirtualMusicPosition(DWORD position) { virtualPosition = position; }
bool MusicPlaying() { return audio::AnyStreamStarted(); }

}  // namespace platform
