// Drawing shared among threads: set-up triangles and fills wait here in the order they were
// made, and every drawing thread draws, of each in turn, the rows it owns (see RowShare). Each
// pixel is drawn by one thread in call order, so the picture is the same with any number of
// threads.
#pragma once

#include <atomic>
#include <condition_variable>
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

// Two batches take turns: the drawing threads draw one while the calling thread fills the other,
// so setting triangles up overlaps drawing them. A batch is handed over as soon as the drawing
// threads are idle and it holds a few commands, so they rarely wait for the end of a frame.
class DrawQueue {
public:
    // threads >= 1 drawing threads of its own.
    explicit DrawQueue(int threads);
    ~DrawQueue();
    DrawQueue(const DrawQueue&) = delete;
    DrawQueue& operator=(const DrawQueue&) = delete;

    // Both may wait for the batch being drawn, to make room.
    void AddTriangle(const SpanContext& context, const TriangleCorners& corners);
    void AddFill(const Fill& fill);
    // Returns when everything added is in memory.
    void Finish();
    // Whether anything added is not in memory yet.
    bool Pending() const { return !batches[filling].empty() || drawing; }

private:
    struct Command {
        bool isFill;
        SpanContext context;
        TriangleCorners corners;
        Fill fill;
    };

    Command& Next();
    // Hands the batch being filled to the drawing threads, once they are done with the other.
    void Submit();
    // Whether the drawing threads are done with the batch handed out last (never waits).
    bool Idle() const { return !drawing || working.load(std::memory_order_acquire) == 0; }
    void WaitForDrawing();
    void DrawShare(const std::vector<Command>& batch, int thread) const;
    void Work(int thread);

    const int threads;
    std::vector<Command> batches[2];  // capacities fixed at construction
    int filling = 0;                  // the batch commands are added to
    bool drawing = false;             // whether the other batch is handed out and not yet drawn
    std::vector<std::thread> workers;
    std::mutex mutex;
    std::condition_variable wake, done;
    unsigned generation = 0;  // counts batches handed to the drawing threads
    int handedOut = 0;        // the batch handed out last
    std::atomic<int> working{0};  // threads still drawing the batch handed out last
    bool stopping = false;
};

}  // namespace software
