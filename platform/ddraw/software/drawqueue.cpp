#include "ddraw/software/drawqueue.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>

namespace software {

namespace {

// Commands the ring holds: enough that a frame's draws rarely wait for room, few enough that
// it stays a few megabytes.
constexpr size_t RingCommands = 8192;
// Commands are made visible to the drawing threads this many at a time, so that sleeping
// threads are woken for a worthwhile amount of work and not for every triangle.
constexpr uint64_t PublishCommands = 64;

int ChooseThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    const int fallback = cores == 0 ? 1 : (cores > MaxDrawingThreads ? MaxDrawingThreads : static_cast<int>(cores));
    const char* wanted = std::getenv("HELIOTROPIC_THREADS");
    if (!wanted || !*wanted) return fallback;
    char* end = nullptr;
    const long count = std::strtol(wanted, &end, 10);
    if (*end == '\0' && count >= 1 && count <= MaxDrawingThreads) return static_cast<int>(count);
    std::fprintf(stderr, "HELIOTROPIC_THREADS=%s is not a number of threads from 1 to %d; drawing with %d\n", wanted,
                 MaxDrawingThreads, fallback);
    return fallback;
}

}  // namespace

int DrawingThreads() {
    static const int threads = ChooseThreads();
    return threads;
}

void FillRows(const Fill& fill, const RowShare& rows) {
    // Locals, so the compiler need not reload them after every store and can fill in vector steps.
    const Scissor rect = fill.rect;
    const int width = rect.right - rect.left;
    const ptrdiff_t pitch = fill.pitch;
    uint8_t* const first = fill.memory + rect.left * static_cast<ptrdiff_t>(fill.bytesPerPixel);
    if (width <= 0) return;
    rows.ForEachRun(rect.top, rect.bottom, [&](int top, int end) {
        for (int y = top; y < end; ++y) {
            if (fill.bytesPerPixel == 2)
                std::fill_n(reinterpret_cast<uint16_t*>(first + y * pitch), width, static_cast<uint16_t>(fill.value));
            else
                std::fill_n(reinterpret_cast<uint32_t*>(first + y * pitch), width, fill.value);
        }
    });
}

DrawQueue::DrawQueue(int threads) : threads(threads), ring(RingCommands), progress(new Progress[threads]) {
    for (int thread = 0; thread < threads; ++thread) workers.emplace_back(&DrawQueue::Work, this, thread);
}

DrawQueue::~DrawQueue() {
    Finish();
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    work.notify_all();
    for (std::thread& worker : workers) worker.join();
}

uint64_t DrawQueue::Drawn() const {
    uint64_t least = progress[0].drawn.load();
    for (int thread = 1; thread < threads; ++thread) least = std::min(least, progress[thread].drawn.load());
    return least;
}

void DrawQueue::Publish() {
    if (published.load(std::memory_order_relaxed) == added) return;
    published.store(added);
    // A worker counts itself asleep before it looks at published a last time, so either it sees
    // the new count or this sees it asleep (both orders are sequentially consistent).
    if (sleepingWorkers.load() == 0) return;
    { std::lock_guard<std::mutex> lock(mutex); }
    work.notify_all();
}

// The caller says what it waits for before it looks at the threads' progress, and a thread looks
// at that after each command it finishes, so one of them sees the other; a thread wakes the
// caller only once it has drawn what the caller waits for.
void DrawQueue::WaitUntilDrawn(uint64_t count) {
    if (Drawn() >= count) return;
    std::unique_lock<std::mutex> lock(mutex);
    awaited.store(count);
    drawn.wait(lock, [&] { return Drawn() >= count; });
    awaited.store(NothingAwaited);
}

DrawQueue::Command& DrawQueue::Next() {
    if (added % PublishCommands == 0) Publish();
    // The slot is free once every thread has finished the command a whole ring ago; when full,
    // the ring is let drain by a publishing step, not woken up for every slot.
    if (added >= ring.size() && Drawn() <= added - ring.size()) WaitUntilDrawn(added - ring.size() + PublishCommands);
    return ring[added++ % ring.size()];
}

void DrawQueue::AddTriangle(const SpanContext& context, const TriangleCorners& corners) {
    Command& command = Next();
    command.isFill = false;
    command.context = context;
    command.corners = corners;
}

void DrawQueue::AddFill(const Fill& fill) {
    Command& command = Next();
    command.isFill = true;
    command.fill = fill;
}

void DrawQueue::Finish() {
    Publish();
    WaitUntilDrawn(added);
}

void DrawQueue::Work(int thread) {
    const RowShare rows{thread, threads};
    std::atomic<uint64_t>& done = progress[thread].drawn;
    uint64_t next = 0;
    for (;;) {
        uint64_t available = published.load(std::memory_order_acquire);
        if (next == available) {
            std::unique_lock<std::mutex> lock(mutex);
            sleepingWorkers.fetch_add(1);
            work.wait(lock, [&] { return stopping || (available = published.load()) != next; });
            sleepingWorkers.fetch_sub(1);
            if (next == available) return;  // stopping with nothing left
        }
        for (; next < available; ++next) {
            const Command& command = ring[next % ring.size()];
            if (command.isFill)
                FillRows(command.fill, rows);
            else
                RasteriseTriangle(command.context, command.corners, rows);
            done.store(next + 1);
            if (next + 1 >= awaited.load()) {
                { std::lock_guard<std::mutex> lock(mutex); }
                drawn.notify_one();
            }
        }
    }
}

}  // namespace software
