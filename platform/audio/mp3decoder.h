// Whole-file MP3 decoding to interleaved 16-bit stereo at a chosen rate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audio {

// Decodes every frame of the MP3 file at path into samples (left, right, left, ...), resampled
// to frequency and with mono duplicated to both channels. Encoder delay and padding recorded
// in the file's info tag are trimmed. Returns false, with a one-line reason in error, when the
// file cannot be read, is not MP3 or holds no audio.
bool DecodeMp3File(const char* path, long frequency, std::vector<int16_t>& samples, std::string& error);

}  // namespace audio
