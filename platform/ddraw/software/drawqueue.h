// Drawing shared among threads: set-up triangles and fills wait here in the order they were
// made, and every drawing thread draws, of each in turn, the rows it owns (see RowShare). Each
// pixel is drawn by one thread in call order, so the picture is the same with any number of
// threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "ddraw/software/rasteriser.h"

namespace software {

// Threads the software device draws with: HELIOTROPIC_THREADS (1 to MaxDrawingThreads) when
// set, else one per processor core; decided once per run.
constexpr int MaxDrawingThreads = 64;
int DrawingThreads();

// A rectangle of surface memory set to one value (a clear).
struct Fill {
    uint8_t* memory;  // pixel (0, 0)
    ptrdiff_t pitch;
    int bytesPerPixel;  // 2 or 4
    uint32_t value;
    Scissor rect;
};

void FillRows(const Fill& fill, const RowShare& rows);

// Commands wait in a ring in the order they were made. Each drawing thread works through them at
// its own pace, so a thread that drew a light share of one command goes straight on to the next
// instead of waiting for the others at the end of a batch; the calling thread waits only when
// the ring is full, or in Finish.
class DrawQueue {
public:
    // threads >= 1 drawing threads of its own.
    explicit DrawQueue(int threads);
    ~DrawQueue();
    DrawQueue(const DrawQueue&) = delete;
    DrawQueue& operator=(const DrawQueue&) = delete;

    // Both may wait for the slowest drawing thread, to make room.
    void AddTriangle(const SpanContext& context, const TriangleCorners& corners);
    void AddFill(const Fill& fill);
    // Returns when everything added is in memory.
    void Finish();
    // Whether anything added is not in memory yet.
    bool Pending() const { return Drawn() != added; }

private:
    struct Command {
        bool isFill;
        SpanContext context;
        TriangleCorners corners;
        Fill fill;
    };
    // Where a drawing thread is, on a cache line of its own.
    struct alignas(64) Progress {
        std::atomic<uint64_t> drawn{0};  // commands this thread has finished
    };

    Command& Next();
    // Makes the commands added so far visible to the drawing threads, waking any that sleep.
    void Publish();
    // Commands every drawing thread has finished.
    uint64_t Drawn() const;
    void WaitUntilDrawn(uint64_t count);
    void Work(int thread);

    const int threads;
    std::vector<Command> ring;  // size fixed at construction
    uint64_t added = 0;         // commands added (the next one goes to ring[added % size])
    std::atomic<uint64_t> published{0};
    std::unique_ptr<Progress[]> progress;
    std::vector<std::thread> workers;
    std::mutex mutex;
    std::condition_variable work, drawn;
    std::atomic<int> sleepingWorkers{0};
    // Commands the caller waits to see drawn, if it waits.
    static constexpr uint64_t NothingAwaited = UINT64_MAX;
    std::atomic<uint64_t> awaited{NothingAwaited};
    bool stopping = false;
};

}  // namespace software
