#include "ddraw/software/drawqueue.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace software {

namespace {

// Commands a batch holds: enough that a frame's draws rarely wait for room, few enough that a
// batch stays a few megabytes.
constexpr size_t BatchCommands = 4096;
// Commands worth waking the drawing threads for when they are idle; checked every so many
// commands, so the check costs nothing measurable.
constexpr size_t HandOverCommands = 256;

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
    const Scissor& rect = fill.rect;
    rows.ForEachRun(rect.top, rect.bottom, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            uint8_t* row = fill.memory + y * fill.pitch + rect.left * static_cast<ptrdiff_t>(fill.bytesPerPixel);
            if (fill.bytesPerPixel == 2) {
                const uint16_t value = static_cast<uint16_t>(fill.value);
                for (int x = rect.left; x < rect.right; ++x, row += 2) std::memcpy(row, &value, 2);
            } else {
                for (int x = rect.left; x < rect.right; ++x, row += 4) std::memcpy(row, &fill.value, 4);
            }
        }
    });
}

DrawQueue::DrawQueue(int threads) : threads(threads) {
    for (std::vector<Command>& batch : batches) batch.reserve(BatchCommands);
    for (int thread = 0; thread < threads; ++thread) workers.emplace_back(&DrawQueue::Work, this, thread);
}

DrawQueue::~DrawQueue() {
    Finish();
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    for (std::thread& worker : workers) worker.join();
}

DrawQueue::Command& DrawQueue::Next() {
    std::vector<Command>& batch = batches[filling];
    if (batch.size() == batch.capacity() || (batch.size() % HandOverCommands == 0 && !batch.empty() && Idle()))
        Submit();
    batches[filling].emplace_back();
    return batches[filling].back();
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

void DrawQueue::DrawShare(const std::vector<Command>& batch, int thread) const {
    const RowShare rows{thread, threads};
    for (const Command& command : batch) {
        if (command.isFill)
            FillRows(command.fill, rows);
        else
            RasteriseTriangle(command.context, command.corners, rows);
    }
}

void DrawQueue::WaitForDrawing() {
    if (!drawing) return;
    std::unique_lock<std::mutex> lock(mutex);
    done.wait(lock, [this] { return working.load(std::memory_order_relaxed) == 0; });
    drawing = false;
}

void DrawQueue::Submit() {
    WaitForDrawing();
    if (batches[filling].empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        ++generation;
        working.store(threads, std::memory_order_relaxed);
        handedOut = filling;
    }
    wake.notify_all();
    drawing = true;
    filling = 1 - filling;
    batches[filling].clear();
}

void DrawQueue::Finish() {
    Submit();
    WaitForDrawing();
}

void DrawQueue::Work(int thread) {
    unsigned seen = 0;
    for (;;) {
        const std::vector<Command>* batch;
        {
            std::unique_lock<std::mutex> lock(mutex);
            wake.wait(lock, [&] { return stopping || generation != seen; });
            if (stopping) return;
            seen = generation;
            batch = &batches[handedOut];
        }
        DrawShare(*batch, thread);
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (working.fetch_sub(1, std::memory_order_acq_rel) == 1) done.notify_one();
        }
    }
}

}  // namespace software
