// Small MP3 files made on the spot for the audio tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audiotest {

// Interleaved 16-bit samples of a sine tone: frames frames of channels channels.
std::vector<int16_t> Tone(size_t frames, int channels, int frequency, double hertz);

// Encodes the samples as MP3 at the given sample rate, with an info tag that records the
// encoder delay and padding. Returns false if LAME refuses.
bool WriteMp3(const std::string& path, const std::vector<int16_t>& samples, int channels, int frequency);

}  // namespace audiotest
