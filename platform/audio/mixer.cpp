#include "mixer.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <memory>
#include <mutex>

namespace audio {

namespace {

struct EndSync {
    HSYNC handle;
    SYNCPROC* procedure;
    DWORD user;
};

struct Stream {
    HSTREAM handle;
    std::vector<int16_t> samples;
    uint64_t length;  // bytes
    bool loopFromCreation;
    bool loop;
    bool started = false;
    bool playing = false;
    size_t cursor = 0;  // next frame to mix
    // Bytes mixed since the stream started, counted across loop passes.
    uint64_t mixed = 0;
    // What was being heard at anchorTime (may be negative while earlier audio still plays).
    bool anchored = false;
    int64_t anchorHeard = 0;
    int64_t anchorTime = 0;
    uint64_t lastHeard = 0;
    std::vector<EndSync> endSyncs;
};

struct PendingSync {
    EndSync sync;
    HSTREAM stream;
};

std::mutex mixerLock;
std::vector<std::unique_ptr<Stream>> streams;
long mixFrequency = 44100;
DWORD nextHandle = 1;

Stream* FindStream(DWORD handle) {
    for (auto& stream : streams)
        if (stream->handle == handle) return stream.get();
    return nullptr;
}

int16_t Saturate(int32_t value) {
    return int16_t(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
}

}  // namespace

int64_t MonotonicNanoseconds() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

void SetMixFrequency(long frequency) {
    std::lock_guard<std::mutex> guard(mixerLock);
    mixFrequency = frequency;
}

HSTREAM AddStream(std::vector<int16_t>&& samples, bool loop) {
    // A stream with no frame would end, and loop, without ever advancing.
    if (samples.size() < 2) return 0;
    auto stream = std::make_unique<Stream>();
    stream->length = uint64_t(samples.size() / 2) * BytesPerFrame;
    stream->samples = std::move(samples);
    stream->loopFromCreation = loop;
    stream->loop = loop;
    std::lock_guard<std::mutex> guard(mixerLock);
    stream->handle = nextHandle++;
    if (nextHandle == 0) nextHandle = 1;
    streams.push_back(std::move(stream));
    return streams.back()->handle;
}

bool StreamExists(DWORD handle) {
    std::lock_guard<std::mutex> guard(mixerLock);
    return FindStream(handle) != nullptr;
}

bool StreamStarted(DWORD handle) {
    std::lock_guard<std::mutex> guard(mixerLock);
    Stream* stream = FindStream(handle);
    return stream && stream->started;
}

bool AnyStreamStarted() {
    std::lock_guard<std::mutex> guard(mixerLock);
    for (const auto& stream : streams)
        if (stream->started) return true;
    return false;
}

bool PlayStream(DWORD handle, bool flush, bool loop) {
    std::lock_guard<std::mutex> guard(mixerLock);
    Stream* stream = FindStream(handle);
    if (!stream) return false;
    stream->loop = stream->loopFromCreation || loop;
    if (stream->playing && !flush) return true;
    stream->started = true;
    stream->playing = true;
    stream->cursor = 0;
    stream->mixed = 0;
    stream->anchored = false;
    stream->lastHeard = 0;
    return true;
}

HSYNC AddEndSync(DWORD handle, SYNCPROC* procedure, DWORD user) {
    std::lock_guard<std::mutex> guard(mixerLock);
    Stream* stream = FindStream(handle);
    if (!stream || !procedure) return 0;
    HSYNC sync = nextHandle++;
    if (nextHandle == 0) nextHandle = 1;
    stream->endSyncs.push_back({sync, procedure, user});
    return sync;
}

void Mix(uint8_t* output, size_t bytes, size_t queuedBytes, int64_t now) {
    int16_t* out = reinterpret_cast<int16_t*>(output);
    const size_t frames = bytes / BytesPerFrame;
    std::fill(output + frames * BytesPerFrame, output + bytes, uint8_t(0));

    // Syncs run after the lock is released, so a procedure may call back into the library.
    PendingSync pending[16];
    size_t pendingCount = 0;
    {
        std::lock_guard<std::mutex> guard(mixerLock);
        for (auto& stream : streams) {
            if (!stream->playing) continue;
            stream->anchored = true;
            stream->anchorHeard = int64_t(stream->mixed) - int64_t(queuedBytes);
            stream->anchorTime = now;
        }
        // Streams are summed at full width and clipped once, so the result does not depend
        // on their order.
        constexpr size_t BlockFrames = 512;
        int32_t sum[BlockFrames * 2];
        for (size_t blockStart = 0; blockStart < frames; blockStart += BlockFrames) {
            const size_t blockFrames = std::min(BlockFrames, frames - blockStart);
            std::fill(sum, sum + blockFrames * 2, 0);
            for (auto& owned : streams) {
                Stream& stream = *owned;
                const size_t totalFrames = stream.samples.size() / 2;
                size_t done = 0;
                while (done < blockFrames && stream.playing) {
                    const size_t take = std::min(blockFrames - done, totalFrames - stream.cursor);
                    const int16_t* source = stream.samples.data() + stream.cursor * 2;
                    int32_t* target = sum + done * 2;
                    for (size_t i = 0; i < take * 2; ++i) target[i] += source[i];
                    done += take;
                    stream.cursor += take;
                    stream.mixed += take * BytesPerFrame;
                    if (stream.cursor == totalFrames) {
                        for (const EndSync& sync : stream.endSyncs)
                            if (pendingCount < std::size(pending)) pending[pendingCount++] = {sync, stream.handle};
                        stream.cursor = 0;
                        if (!stream.loop) stream.playing = false;
                    }
                }
            }
            int16_t* target = out + blockStart * 2;
            for (size_t i = 0; i < blockFrames * 2; ++i) target[i] = Saturate(sum[i]);
        }
    }
    for (size_t i = 0; i < pendingCount; ++i)
        pending[i].sync.procedure(pending[i].sync.handle, pending[i].stream, 0, pending[i].sync.user);
}

DWORD StreamPosition(DWORD handle, int64_t now) {
    std::lock_guard<std::mutex> guard(mixerLock);
    Stream* stream = FindStream(handle);
    if (!stream || !stream->anchored || stream->length == 0) return 0;

    // Whole frames heard since the anchor, at the output's rate.
    int64_t elapsed = std::max<int64_t>(0, now - stream->anchorTime);
    constexpr int64_t second = 1000000000;
    int64_t frames = elapsed / second * mixFrequency + elapsed % second * mixFrequency / second;
    int64_t heard = stream->anchorHeard + frames * int64_t(BytesPerFrame);
    heard = std::min<int64_t>(heard, int64_t(stream->mixed));
    heard = std::max<int64_t>(heard, int64_t(stream->lastHeard));
    stream->lastHeard = uint64_t(heard);

    uint64_t position = stream->lastHeard % stream->length;
    // A stream that has played out stays at its end rather than reading as its start.
    if (position == 0 && stream->lastHeard > 0 && !stream->playing && stream->lastHeard == stream->mixed)
        position = stream->length;
    return DWORD(position);
}

DWORD HeardPosition(DWORD stream) { return StreamPosition(stream, MonotonicNanoseconds()); }

void RemoveAllStreams() {
    std::lock_guard<std::mutex> guard(mixerLock);
    streams.clear();
}

}  // namespace audio
