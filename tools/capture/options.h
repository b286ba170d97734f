// The capture tool's command line.
#pragma once

#include "musictime.h"
#include "videosettings.h"

#include <cstdint>
#include <string>
#include <vector>

struct FrameRange {
    int64_t first = INT64_MIN;
    int64_t last = INT64_MAX;
    bool Holds(int64_t frame) const { return frame >= first && frame <= last; }
};

// Several ranges ("600,1200-1210"); no ranges at all holds every frame.
struct FrameSelection {
    std::vector<FrameRange> ranges;
    bool Holds(int64_t frame) const;
    int64_t First() const;
    int64_t Last() const;
};

struct CaptureOptions {
    FrameRate rate;
    unsigned width = 640;
    unsigned height = 480;
    unsigned bits = 16;
    std::string device;  // empty: the dialog's first device
    bool dithering = true;
    bool perspectiveCorrection = true;
    bool textureFiltering = true;

    std::string framesDir;            // every show frame, or with stills: where the stills go
    std::string videoFile;            // .mp4, .mov, .mkv or .webm through ffmpeg
    VideoSettings video;
    unsigned supersample = 1;         // rendered at this many times the size, then reduced
    unsigned jobs = 1;                // processes sharing a capture of every frame
    std::vector<uint64_t> stills;     // music positions, ascending, without duplicates
    std::vector<uint64_t> loadingStills;  // loading-screen frames counted from its first, ascending
    std::string traceFile;            // JSON lines
    FrameSelection traceFrames;       // show frames are 0, 1, ...; loading frames negative
    bool stats = false;
    unsigned benchFrames = 0;         // frames drawn and timed per segment; 0: no benchmark
    uint64_t until = UINT64_MAX;      // stop at the first frame at or past this position
    bool help = false;
    bool listDevices = false;         // list the setup dialog's devices instead of running

    bool Stills() const { return !stills.empty() || !loadingStills.empty(); }
    // Only a run that writes every frame and nothing else can be split between processes.
    bool Splittable() const;
    unsigned RenderWidth() const { return width * supersample; }
    unsigned RenderHeight() const { return height * supersample; }
    // The music position the capture ends at: the show's last mark, or --until when earlier.
    uint64_t EndPosition() const;
};

// Largest mode side a capture accepts: the largest picture the devices render into.
constexpr unsigned MaxCaptureSide = 4096;
constexpr unsigned MaxSupersample = 4;
constexpr unsigned MaxJobs = 64;

// False with a message naming the offending option and value.
bool ParseOptions(int argc, const char* const* argv, CaptureOptions& options, std::string& error);

// What --help prints.
std::string UsageText();

// "A-B", "A-" (to the end), "-B" is a single negative frame, "N"; A and B may be negative
// ("-202--1" is the loading screen). False with a reason otherwise.
bool ParseFrameRange(const std::string& text, FrameRange& range, std::string& error);
// Ranges separated by commas.
bool ParseFrameSelection(const std::string& text, FrameSelection& selection, std::string& error);
