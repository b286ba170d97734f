#include "ddraw/software/drawqueue.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <type_traits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace software {

namespace {

// Commands the ring holds: enough that a frame's draws rarely wait for room, few enough that
// it stays a few megabytes.
constexpr size_t RingCommands = 8192;
// Commands are made visible to the drawing threads this many at a time, so that sleeping
// threads are woken for a worthwhile amount of work and not for every triangle.
constexpr uint64_t PublishCommands = 64;
// Slices a drawing thread has on average: a thread that finishes its slice early in a frame's
// last commands takes another rather than wait for the others.
constexpr int SlicesPerThread = 2;
// Commands a thread draws of one slice before it looks again for the slice furthest behind: the
// slices keep pace with each other, so none is left with a long run at a frame's end.
constexpr uint64_t RunCommands = 1024;
// Times a drawing thread with nothing to draw looks for more before it sleeps (some tens of
// microseconds): waking a sleeping thread costs the publishing thread a system call and the
// sleeper a good part of a millisecond on a virtual machine, and the next commands usually come
// sooner.
constexpr int IdleChecks = 1000;

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#endif
}

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

DrawQueue::DrawQueue(int threads)
    : slices(threads * SlicesPerThread),
      // Looking again only pays while every thread has a core of its own.
      idleChecks(static_cast<unsigned>(threads) <= std::thread::hardware_concurrency() ? IdleChecks : 0),
      ring(RingCommands), states(RingCommands), slice(new Slice[slices]) {
    for (int thread = 1; thread < threads; ++thread) workers.emplace_back(&DrawQueue::Work, this);
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
    uint64_t least = slice[0].drawn.load();
    for (int index = 1; index < slices; ++index) least = std::min(least, slice[index].drawn.load());
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

bool DrawQueue::DrawFreeSlices(uint64_t available) {
    bool drew = false;
    for (;;) {
        // The free slice furthest behind, so that the slices finish a frame together.
        int index = -1;
        uint64_t least = available;
        for (int k = 0; k < slices; ++k) {
            const uint64_t drawnSoFar = slice[k].drawn.load(std::memory_order_relaxed);
            if (drawnSoFar < least && !slice[k].held.load(std::memory_order_relaxed)) {
                least = drawnSoFar;
                index = k;
            }
        }
        if (index < 0) return drew;
        Slice& s = slice[index];
        if (s.held.exchange(true, std::memory_order_acquire)) continue;  // another thread took it
        // Holding it, this thread sees every pixel the slice's last holder wrote.
        const uint64_t from = s.drawn.load(std::memory_order_relaxed);
        if (from < available) {
            DrawSlice(index, std::min(available, from + RunCommands));
            drew = true;
        }
        s.held.store(false, std::memory_order_release);
    }
}

// The caller says what it waits for before it looks at the slices' progress, and a thread looks
// at that after each command it draws, so that it wakes the caller as soon as its slice reaches
// what the caller waits for. Progress is published without a barrier, which would stall on the
// pixel stores: a thread may then miss what the caller has just said, so it looks again behind a
// barrier after each run, and one of them sees the other.
void DrawQueue::DrawSlice(int index, uint64_t available) {
    const RowShare rows{index, slices};
    std::atomic<uint64_t>& done = slice[index].drawn;
    SpanContext context;
    uint64_t contextState = FillCommand;  // the draw state in context, none yet
    for (uint64_t next = done.load(std::memory_order_relaxed); next < available; ++next) {
        const Command& command = ring[next % ring.size()];
        if (command.state == FillCommand) {
            FillRows(command.fill, rows);
        } else if (rows.Crosses(command.triangle.corners.box.top, command.triangle.corners.box.bottom)) {
            if (command.state != contextState) {
                static_cast<SpanDrawState&>(context) = states[command.state % states.size()];
                contextState = command.state;
            }
            static_cast<SpanPlanes&>(context) = command.triangle.planes;
            RasteriseTriangle(context, command.triangle.corners, rows);
        }
        done.store(next + 1, std::memory_order_release);
        if (next + 1 == awaited.load(std::memory_order_relaxed)) Wake();
    }
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (done.load(std::memory_order_relaxed) >= awaited.load()) Wake();
}

void DrawQueue::Wake() {
    { std::lock_guard<std::mutex> lock(mutex); }
    drawn.notify_one();
}

// The calling thread draws what it can; it sleeps only while other threads hold every slice
// that has commands left.
void DrawQueue::WaitUntilDrawn(uint64_t count) {
    while (Drawn() < count) {
        if (DrawFreeSlices(std::min(count, published.load(std::memory_order_acquire)))) continue;
        std::unique_lock<std::mutex> lock(mutex);
        awaited.store(count);
        drawn.wait(lock, [&] { return Drawn() >= count; });
        awaited.store(NothingAwaited);
    }
}

DrawQueue::Command& DrawQueue::Next() {
    if (added % PublishCommands == 0) Publish();
    // The slot is free once every slice has finished the command a whole ring ago; when full,
    // the ring is let drain by a publishing step, not woken up for every slot. The slices'
    // progress is read again only when what was last read does not free the slot, so that their
    // counters stay in the drawing threads' caches.
    if (added >= ring.size() && drawnSeen <= added - ring.size()) {
        drawnSeen = Drawn();
        if (drawnSeen <= added - ring.size()) {
            WaitUntilDrawn(added - ring.size() + PublishCommands);
            drawnSeen = Drawn();
        }
    }
    return ring[added++ % ring.size()];
}

void DrawQueue::AddTriangle(const SpanContext& context, const TriangleCorners& corners) {
    Command& command = Next();
    // Bytewise: the state has no padding, and a change in any stage or pointer is a new state.
    static_assert(std::has_unique_object_representations_v<SpanDrawState>, "draw states compare bytewise");
    const SpanDrawState& state = context;
    if (statesAdded == 0 ||
        std::memcmp(&states[(statesAdded - 1) % states.size()], &state, sizeof(SpanDrawState)) != 0)
        states[statesAdded++ % states.size()] = state;
    command.state = statesAdded - 1;
    command.triangle.corners = corners;
    command.triangle.planes = context;
}

void DrawQueue::AddFill(const Fill& fill) {
    Command& command = Next();
    command.state = FillCommand;
    command.fill = fill;
}

void DrawQueue::Finish() {
    Publish();
    WaitUntilDrawn(added);
}

void DrawQueue::Work() {
    for (;;) {
        const uint64_t available = published.load(std::memory_order_acquire);
        if (DrawFreeSlices(available)) continue;
        int checks = 0;
        while (checks < idleChecks && published.load(std::memory_order_relaxed) == available) {
            Pause();
            ++checks;
        }
        if (checks < idleChecks) continue;
        // Every slice has drawn what was published or is held by a thread that will look again
        // when it lets go: sleep until more is published.
        std::unique_lock<std::mutex> lock(mutex);
        sleepingWorkers.fetch_add(1);
        work.wait(lock, [&] { return stopping || published.load() != available; });
        sleepingWorkers.fetch_sub(1);
        if (stopping && published.load() == available) return;
    }
}

}  // namespace software
