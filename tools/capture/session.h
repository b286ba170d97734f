// One headless run of the show: the real WinMain on the virtual display, the virtual music clock
// and the scripted setup dialog, with the outputs the options ask for.
#pragma once

#include "options.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

struct FrameSpan {
    uint64_t first = 0;
    uint64_t last = 0;
};

// The frames of a range a job has not drawn yet, in memory shared by the processes of a split
// capture: the job claims each frame before it draws it, and another job may take the back half
// of what is left. One word holds both ends, so a frame is never both claimed and taken. Frames
// are counted in 32 bits (a show of years at any frame rate).
class FrameClaims {
public:
    void Assign(FrameSpan span) {
        first = span.first;
        word.store(span.last << 32 | span.first, std::memory_order_relaxed);
    }
    // The job, before each frame in order: false once the frame lies past its range.
    bool Claim(uint64_t frame);
    // The back half of the unclaimed frames, when each half has at least `least` and the taken
    // one starts at or past `from` (where the taker's run stands).
    bool TakeBack(uint64_t least, uint64_t from, FrameSpan& taken);
    uint64_t Unclaimed() const;
    // The unclaimed frames at or past `from`.
    uint64_t UnclaimedFrom(uint64_t from) const;
    // The frames the range holds now: from its first to its last not taken back.
    FrameSpan Span() const { return {first, word.load(std::memory_order_acquire) >> 32}; }

private:
    uint64_t first = 0;
    // The range's last frame, then the first unclaimed one: empty until assigned.
    std::atomic<uint64_t> word{1};
};

// What a range of a split capture shares with the other processes.
struct JobReport {
    std::atomic<uint64_t> framesWritten{0};
    std::atomic<uint64_t> bytesWritten{0};
    FrameClaims frames;
};

// A range a job draws: the frames before it are run undrawn and not written, and the range may
// shrink while it runs.
struct JobRange {
    uint64_t firstFrame = 0;
    JobReport* report = nullptr;
    std::string videoPart;  // where its part of the video goes (none without a video)
};

// One process's share of a split capture: a range, then each next one it takes, ahead of where
// its run stands, until none is left and the run stops.
struct CaptureJob {
    JobRange range;
    // The next range for a run about to present frame; false when none is left.
    std::function<bool(uint64_t frame, JobRange& next)> takeRange;
};

// Where the show's music is, from the program's folder.
constexpr char MusicFile[] = "music/clone.mp3";

// Runs the show from the current folder (where gfx/, scenes/ and music/ are). Output paths in
// the options must be absolute or relative to that folder. Returns the process exit code:
// 0 when everything asked for was written, 1 otherwise (with the reason on stderr). A job
// prints no progress and no summary, and its video is a picture-only part (JoinVideoParts).
int RunCapture(const CaptureOptions& options, const CaptureJob* job = nullptr);

// ffmpeg's path and the music a video needs; false with the reason when one is missing.
bool FindVideoTools(std::string& ffmpeg, std::string& error);

// How many show frames the run presents.
uint64_t FramesToRun(const CaptureOptions& options);

// Prints one line per device the setup dialog would offer on the virtual display of the
// options' size: its description in double quotes, "hardware" or "software", and its number of
// display modes. Returns the process exit code.
int ListDevices(const CaptureOptions& options);
