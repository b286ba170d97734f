// Where the audio library's position comes from, for tools and tests. By default it is the
// position being heard on the output device (or on the silent output when the machine has
// none). The virtual clock instead reports a position its host sets, frame by frame.
#pragma once

#include <windows.h>

namespace platform {

// Picks the virtual clock from the audio output table for the next BASS_Init, whatever device
// it names.
void UseVirtualMusicClock();

// Sets the position, in bytes of decoded audio, that BASS_ChannelGetPosition reports for a
// playing stream on the virtual clock.
void SetVirtualMusicPosition(DWORD position);

// True once BASS_StreamPlay has started a stream (until BASS_Free).
bool MusicPlaying();

}  // namespace platform
