#include "mixer.h"

#include <platform/audiooutput.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace audio {

namespace {

constexpr size_t ChunkFrames = 1024;
// How long the pacing thread sleeps between checks; well under one chunk (23 ms at 44.1 kHz).
constexpr auto Tick = std::chrono::milliseconds(5);

std::thread pacer;
std::mutex pacerLock;
std::condition_variable pacerWake;
bool stopping = false;

void Pace(long frequency) {
    static uint8_t chunk[ChunkFrames * BytesPerFrame];
    const int64_t start = MonotonicNanoseconds();
    uint64_t consumedFrames = 0;
    std::unique_lock<std::mutex> lock(pacerLock);
    while (!stopping) {
        lock.unlock();
        // Keep one chunk ahead of the frames a real device would have played by now, and tell
        // the mix exactly how much of what it handed is still unheard.
        const int64_t now = MonotonicNanoseconds();
        const int64_t elapsed = now - start;
        constexpr int64_t second = 1000000000;
        const uint64_t playedFrames = uint64_t(elapsed / second * frequency + elapsed % second * frequency / second);
        while (consumedFrames < playedFrames + ChunkFrames) {
            const uint64_t queuedFrames = consumedFrames > playedFrames ? consumedFrames - playedFrames : 0;
            Mix(chunk, sizeof chunk, size_t(queuedFrames * BytesPerFrame), now);
            // Had the thread been held up, the frames it missed were played as silence.
            consumedFrames = std::max(consumedFrames, playedFrames) + ChunkFrames;
        }
        lock.lock();
        pacerWake.wait_for(lock, Tick, [] { return stopping; });
    }
}

void CloseSilent();

bool OpenSilent(long frequency, std::string& error) {
    // A program may end without closing the library (the show never does at its end): stop the
    // pacer before the mix it feeds from is destroyed, instead of aborting on a running thread.
    static const bool closedAtExit = std::atexit(CloseSilent) == 0;
    (void)closedAtExit;
    {
        std::lock_guard<std::mutex> guard(pacerLock);
        stopping = false;
    }
    try {
        pacer = std::thread(Pace, frequency);
    } catch (const std::system_error& failure) {
        error = std::string("cannot start the silent output: ") + failure.what();
        return false;
    }
    return true;
}

void CloseSilent() {
    {
        std::lock_guard<std::mutex> guard(pacerLock);
        stopping = true;
    }
    pacerWake.notify_all();
    if (pacer.joinable()) pacer.join();
}

// Always worth trying: an output that cannot start says why.
bool Tried() { return true; }

}  // namespace

}  // namespace audio

const platform::AudioOutputRecord platform::silentOutput = {"silent", audio::Tried, audio::OpenSilent, audio::HeardPosition, audio::CloseSilent};
