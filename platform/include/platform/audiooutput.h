// Where the audio library's mix goes. Every output is one record in the audio output table: the
// machine's sound device through SDL, a silent output that keeps real time, and the capture
// component's virtual music clock. BASS_Init opens an output picked by name or handed over as a
// record (tests); otherwise it tries the available ones in table order.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

struct AudioOutputRecord {
    const char* name;
    // Whether BASS_Init's default device tries this output.
    bool (*available)();
    // Starts pulling audio through the mix at the given frequency (16-bit stereo); false with
    // the reason in error.
    bool (*open)(long frequency, std::string& error);
    // The position of a stream, in bytes of its decoded audio, as BASS_ChannelGetPosition
    // reports it.
    DWORD (*position)(DWORD stream);
    // Stops pulling audio; returns once no mix is running.
    void (*close)();
};

// The machine's default sound device, through SDL.
extern const AudioOutputRecord sdlOutput;
// No sound: consumes the mix in real time, paced by the monotonic clock.
extern const AudioOutputRecord silentOutput;
// Consumes nothing; positions are set by the host (platform/musicclock.h).
extern const AudioOutputRecord virtualClockOutput;
// Every output, in the order the default device tries them; ends with null.
extern const AudioOutputRecord* const audioOutputTable[];

// The output the next BASS_Init opens, whatever device it names; BASS_Free forgets the choice.
// False when the table has no output of this name.
bool SelectAudioOutput(const char* name);
// The same with any record, a test's own included; null goes back to the table.
void UseAudioOutput(const AudioOutputRecord* record);

}  // namespace platform
