// A small synthesiser: drums, bass, pads, leads and effects rendered into stereo float buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bake {

constexpr int SampleRate = 44100;

struct Stereo {
    std::vector<float> left, right;
    explicit Stereo(size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t Frames() const { return left.size(); }
    void Mix(const Stereo& other, float gain);
};

double NoteFrequency(int midiNote);

// One-shot instruments, added into the buffer at a start frame.
void Kick(Stereo& out, int64_t start, float level);
void Clap(Stereo& out, int64_t start, float level, uint32_t seed);
void HiHat(Stereo& out, int64_t start, float level, float decaySeconds, float pan, uint32_t seed);
void Tom(Stereo& out, int64_t start, float level, float pitch, float pan);
void Crash(Stereo& out, int64_t start, float level, uint32_t seed);
// A noise sweep that rises in pitch and level from start to end.
void Riser(Stereo& out, int64_t start, int64_t end, float level, uint32_t seed);

// Tonal voices: frequency in hertz, length in frames.
void BassNote(Stereo& out, int64_t start, int64_t length, double frequency, float level, float brightness);
void PadNote(Stereo& out, int64_t start, int64_t length, double frequency, float level, float pan, float brightness);
void PluckNote(Stereo& out, int64_t start, int64_t length, double frequency, float level, float pan, float brightness);
void LeadNote(Stereo& out, int64_t start, int64_t length, double frequency, float level, float pan);

// Effects in place.
void PingPongDelay(Stereo& buffer, int delayFrames, float feedback, float wet);
// Adds the reverberation of the send buffer into the output buffer.
void Reverb(const Stereo& send, Stereo& buffer, float wet, float roomSize);

}  // namespace bake
