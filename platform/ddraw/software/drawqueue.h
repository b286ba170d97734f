// Drawing shared among threads: set-up triangles and fills wait here in the order they were
// made, and every thread draws, of each in turn, the rows it owns (see RowShare). Each pixel is
// drawn by one thread in call order, so the picture is the same with any number of threads.
#pragma once

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

class DrawQueue {
public:
    // threads >= 2, the calling thread being one of them.
    explicit DrawQueue(int threads);
    ~DrawQueue();
    DrawQueue(const DrawQueue&) = delete;
    DrawQueue& operator=(const DrawQueue&) = delete;

    // Both may draw what waits first, to make room.
    void AddTriangle(const SpanContext& context, const TriangleCorners& corners);
    void AddFill(const Fill& fill);
    // Returns when everything added is in memory.
    void Finish();
    bool Empty() const { return commands.empty(); }

private:
    struct Command {
        bool isFill;
        SpanContext context;
        TriangleCorners corners;
        Fill fill;
    };

    Command& Next();
    void DrawShare(int thread) const;
    void Work(int thread);

    const int threads;
    std::vector<Command> commands;  // capacity fixed at construction
    std::vector<std::thread> workers;
    std::mutex mutex;
    std::condition_variable wake, done;
    unsigned generation = 0;  // counts batches handed to the workers
    int working = 0;          // workers still drawing the current batch
    bool stopping = false;
};

}  // namespace software
