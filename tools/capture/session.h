// One headless run of the show: the real WinMain on the virtual display, the virtual music clock
// and the scripted setup dialog, with the outputs the options ask for.
#pragma once

#include "options.h"

#include <atomic>
#include <cstdint>
#include <string>

// What one process of a split capture tells the process that started it, in memory they share.
struct JobReport {
    std::atomic<uint64_t> framesWritten{0};
    std::atomic<uint64_t> bytesWritten{0};
};

// One process's share of a split capture: the frames before its range are run undrawn and not
// written, and the run stops after the range.
struct CaptureJob {
    uint64_t firstFrame = 0;
    uint64_t lastFrame = 0;
    JobReport* report = nullptr;
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
