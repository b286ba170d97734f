// A capture of every frame shared between processes: the frames are split into contiguous
// ranges, which the processes take one after another, each running the show undrawn up to the
// range it takes (the show keeps state from frame to frame, and its globals allow one show a
// process), then drawing and writing it. A process that has passed its range takes the next one
// ahead of it; once every range is taken, the back half of the range with the most frames left
// ahead of it; and when none is left ahead of a process, it ends, and a new one is started while
// enough frames are left behind it. PNG files go straight to the frames folder; the video's
// parts, one a range, are joined into one file with the music. The frames are those one process
// makes.
#pragma once

#include "options.h"
#include "session.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

// The ranges of a split capture, in memory shared by its processes: those of the first split in
// order, then halves taken back from them.
class RangeBoard {
public:
    // The halves taken back keep at least `least` frames each.
    RangeBoard(const std::vector<FrameSpan>& spans, uint64_t least);
    RangeBoard(const RangeBoard&) = delete;
    RangeBoard& operator=(const RangeBoard&) = delete;
    ~RangeBoard();
    // False when the shared memory could not be had (errno says why).
    bool Shared() const { return counters != nullptr; }

    // A range for a run about to present frame `from`: the next of the first split, else the
    // back half of the one with the most unclaimed frames at or past `from`; false when none
    // is left.
    bool Take(uint64_t from, size_t& index);
    // Whether a range of the first split is left, or one with at least `frames` unclaimed.
    bool WorkLeft(uint64_t frames) const;
    size_t Count() const { return counters->count.load(std::memory_order_acquire); }
    JobReport& Report(size_t index) { return reports[index]; }
    const JobReport& Report(size_t index) const { return reports[index]; }

private:
    struct Counters {
        std::atomic<size_t> started{0};  // ranges of the first split taken
        std::atomic<size_t> count{0};    // ranges: the first split's and the halves taken
    };
    const size_t split;
    const uint64_t least;
    const size_t capacity;
    const size_t bytes;
    Counters* counters = nullptr;
    JobReport* reports = nullptr;
};

// Frames 0 to count - 1 in at most jobs contiguous ranges whose lengths differ by one at most.
std::vector<FrameSpan> SplitFrames(uint64_t count, unsigned jobs);

// Runs the capture in options.jobs processes at a time when it can be split, in this one otherwise.
// Returns the process exit code as RunCapture does.
int RunCaptureJobs(const CaptureOptions& options);
