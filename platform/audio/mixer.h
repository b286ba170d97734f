// The streams being played and the mix the output pulls from them. Outputs call Mix from their
// own thread; the position of a stream is what the output has been handed minus what it had
// not yet played at that moment, carried forward by the monotonic clock between two mixes.
#pragma once

#include <bass.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace audio {

constexpr DWORD BytesPerFrame = 4;  // 16-bit stereo

// Monotonic clock in nanoseconds, the time base of Mix and StreamPosition.
int64_t MonotonicNanoseconds();

// Output frequency in frames per second; positions advance at four bytes per frame.
void SetMixFrequency(long frequency);

// Takes ownership of decoded samples (interleaved 16-bit stereo) and returns the stream's
// handle; 0 when there is not one whole frame.
HSTREAM AddStream(std::vector<int16_t>&& samples, bool loop);

bool StreamExists(DWORD stream);

// True once PlayStream has started the stream.
bool StreamStarted(DWORD stream);
// True once PlayStream has started any stream.
bool AnyStreamStarted();

// Starts a stream from its beginning, or, when it is already playing and flush is false,
// only updates its loop flag. A stream created looping keeps looping. Returns false for an unknown stream.
bool PlayStream(DWORD stream, bool flush, bool loop);

// Registers a procedure called (from the output's thread) each time the stream reaches its end.
HSYNC AddEndSync(DWORD stream, SYNCPROC* procedure, DWORD user);

// Fills bytes of output with the mix of every playing stream. queuedBytes is how much audio
// the output still holds, handed earlier and not yet heard, at time now.
void Mix(uint8_t* output, size_t bytes, size_t queuedBytes, int64_t now);

// The position being heard at time now, in bytes of the stream's decoded audio. Never moves
// backwards within one pass and never passes what has been mixed.
DWORD StreamPosition(DWORD stream, int64_t now);

// StreamPosition now: the position of an output that plays the mix as it is handed over.
DWORD HeardPosition(DWORD stream);

// Forgets every stream and sync.
void RemoveAllStreams();

}  // namespace audio
