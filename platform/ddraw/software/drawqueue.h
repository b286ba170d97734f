// Drawing shared among threads: set-up triangles and fills wait here in the order they were
// made. The target's rows are dealt out to slices (see RowShare); a slice's commands are drawn
// in call order by one thread at a time, whichever holds it, so each pixel is drawn in call
// order and the picture is the same with any number of threads. The calling thread draws too
// whenever it waits, so it never sleeps while there is drawing it could do.
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

// Commands wait in a ring in the order they were made. A thread holds one slice at a time and
// draws a run of its published commands, then looks for the free slice furthest behind; the
// calling thread waits only when the ring is full, or in Finish, and draws free slices while it
// does.
class DrawQueue {
public:
    // threads >= 2: the calling thread and threads - 1 drawing threads of its own.
    explicit DrawQueue(int threads);
    ~DrawQueue();
    DrawQueue(const DrawQueue&) = delete;
    DrawQueue& operator=(const DrawQueue&) = delete;

    // Both may draw, or wait for the slowest slice, to make room.
    void AddTriangle(const SpanContext& context, const TriangleCorners& corners);
    void AddFill(const Fill& fill);
    // Returns when everything added is in memory.
    void Finish();
    // Whether anything added is not in memory yet.
    bool Pending() const { return Drawn() != added; }

private:
    // A triangle's corners come first: a slice with none of its rows reads nothing else. The
    // draw state is handed on once for the triangles that share it, by its serial number.
    struct alignas(64) Command {
        uint64_t state;  // FillCommand for a fill
        union {
            struct {
                TriangleCorners corners;
                SpanPlanes planes;
            } triangle;
            Fill fill;
        };
    };
    static constexpr uint64_t FillCommand = UINT64_MAX;
    // A slice's progress and whether a thread holds it, on a cache line of its own.
    struct alignas(64) Slice {
        std::atomic<uint64_t> drawn{0};  // commands this slice has finished
        std::atomic<bool> held{false};
    };

    Command& Next();
    // Makes the commands added so far visible to the drawing threads, waking any that sleep.
    void Publish();
    // Commands every slice has finished.
    uint64_t Drawn() const;
    // Draws, a run at a time, the commands published up to available of the slices no other
    // thread holds, the one furthest behind first. Returns whether it drew anything.
    bool DrawFreeSlices(uint64_t available);
    void DrawSlice(int index, uint64_t available);
    // Wakes the calling thread if it waits.
    void Wake();
    void WaitUntilDrawn(uint64_t count);
    // A drawing thread.
    void Work();

    const int slices;
    const int idleChecks;  // looks for new commands before a drawing thread sleeps
    std::vector<Command> ring;  // size fixed at construction
    uint64_t added = 0;         // commands added (the next one goes to ring[added % size])
    uint64_t drawnSeen = 0;     // what Drawn() gave when the calling thread last asked
    // Draw states by serial number, in a ring of the commands' size: a state's slot comes round
    // again only a whole ring of commands after the last one drawn with it.
    std::vector<SpanDrawState> states;
    uint64_t statesAdded = 0;
    std::atomic<uint64_t> published{0};
    std::unique_ptr<Slice[]> slice;
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
