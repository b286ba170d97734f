// A capture of every frame shared between processes: the frames are split into contiguous
// ranges, each run by a process of its own that runs the show undrawn up to its range (the show
// keeps state from frame to frame, and its globals allow one show a process), then draws and
// writes its range. A process that ends takes the next range, or when none is left, the back half
// of the range with the most frames still to draw. PNG files go straight to the frames folder;
// the video's parts are joined into one file with the music. The frames are those one process
// makes.
#pragma once

#include "options.h"
#include "session.h"

#include <cstdint>
#include <vector>

// Frames 0 to count - 1 in at most jobs contiguous ranges whose lengths differ by one at most.
std::vector<FrameSpan> SplitFrames(uint64_t count, unsigned jobs);

// Runs the capture in options.jobs processes at a time when it can be split, in this one otherwise.
// Returns the process exit code as RunCapture does.
int RunCaptureJobs(const CaptureOptions& options);
