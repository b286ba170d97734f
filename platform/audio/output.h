// The outputs the mix can go to, all of one shape: open starts pulling audio through Mix at
// the given frequency (16-bit stereo), close stops it and returns once no Mix is running.
#pragma once

#include <string>

namespace audio {

struct AudioOutput {
    const char* name;
    bool (*open)(long frequency, std::string& error);
    void (*close)();
};

// The machine's default sound device, through SDL.
extern const AudioOutput sdlOutput;
// No sound: consumes the mix in real time, paced by the monotonic clock.
extern const AudioOutput silentOutput;
// Consumes nothing; positions are set by the host (platform/musicclock.h).
extern const AudioOutput virtualClockOutput;

}  // namespace audio
