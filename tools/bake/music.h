// The show's music: an arrangement whose sections change at the timeline marks, on a beat of
// 81,250 bytes of decoded audio, encoded to MP3 with LAME.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output.h"

namespace bake {

constexpr int MusicSeconds = 252;
constexpr int64_t MusicFrames = int64_t(MusicSeconds) * 44100;
constexpr double BeatFrames = 81250.0 / 4.0;  // bytes of 16-bit stereo per beat / 4

// The 33 marks of the show's timeline, in bytes of decoded audio.
const std::vector<uint32_t>& TimelineMarks();
// The whole piece as interleaved 16-bit stereo.
std::vector<int16_t> RenderMusic();
void BakeMusic(const std::string& folder, Progress& progress);

}  // namespace bake
