#include "options.h"

#include "director.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <thread>

namespace {

bool ParseUnsigned(const std::string& text, unsigned long limit, unsigned& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    const unsigned long parsed = std::strtoul(text.c_str(), nullptr, 10);
    if (parsed == 0 || parsed > limit) return false;
    value = static_cast<unsigned>(parsed);
    return true;
}

bool ParseSigned(const std::string& text, int64_t& value) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::string digits = negative ? text.substr(1) : text;
    if (digits.empty() || digits.size() > 15) return false;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    const int64_t magnitude = std::strtoll(digits.c_str(), nullptr, 10);
    value = negative ? -magnitude : magnitude;
    return true;
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

constexpr unsigned long MaxBenchFrames = 1000;

}  // namespace

bool ParseFrameRange(const std::string& text, FrameRange& range, std::string& error) {
    // The separator is the first '-' that follows a digit, so signs on either side are allowed.
    size_t dash = std::string::npos;
    for (size_t i = 1; i < text.size(); ++i)
        if (text[i] == '-' && std::isdigit(static_cast<unsigned char>(text[i - 1]))) {
            dash = i;
            break;
        }
    FrameRange parsed;
    bool ok;
    if (dash == std::string::npos) {
        ok = ParseSigned(text, parsed.first);
        parsed.last = parsed.first;
    } else {
        const std::string last = text.substr(dash + 1);
        ok = ParseSigned(text.substr(0, dash), parsed.first) && (last.empty() || ParseSigned(last, parsed.last));
    }
    if (!ok || parsed.first > parsed.last) {
        error = "frame range '" + text + "' is not FIRST-LAST, FIRST- or FRAME (loading frames are negative)";
        return false;
    }
    range = parsed;
    return true;
}

bool FrameSelection::Holds(int64_t frame) const {
    if (ranges.empty()) return true;
    for (const FrameRange& range : ranges)
        if (range.Holds(frame)) return true;
    return false;
}

int64_t FrameSelection::First() const {
    if (ranges.empty()) return INT64_MIN;
    int64_t first = INT64_MAX;
    for (const FrameRange& range : ranges) first = std::min(first, range.first);
    return first;
}

int64_t FrameSelection::Last() const {
    if (ranges.empty()) return INT64_MAX;
    int64_t last = INT64_MIN;
    for (const FrameRange& range : ranges) last = std::max(last, range.last);
    return last;
}

bool ParseFrameSelection(const std::string& text, FrameSelection& selection, std::string& error) {
    FrameSelection parsed;
    for (const std::string& part : SplitCommas(text)) {
        FrameRange range;
        if (!ParseFrameRange(part, range, error)) return false;
        parsed.ranges.push_back(range);
    }
    selection = parsed;
    return true;
}

bool ParseOptions(int argc, const char* const* argv, CaptureOptions& options, std::string& error) {
    bool jobsGiven = false, videoSettingsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        std::string value;
        const size_t equals = option.find('=');
        std::string name = option.substr(0, equals);
        const bool takesValue = name == "--fps" || name == "--size" || name == "--bits" || name == "--device" ||
                                name == "--frames" || name == "--video" || name == "--at" || name == "--at-seconds" ||
                                name == "--loading" || name == "--trace" || name == "--trace-frames" || name == "--until" ||
                                name == "--bench" || name == "--jobs" || name == "--codec" || name == "--crf" ||
                                name == "--pixel-format" || name == "--audio-codec" || name == "--audio-bitrate" ||
                                name == "--supersample";
        if (takesValue) {
            if (equals != std::string::npos) {
                value = option.substr(equals + 1);
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                error = name + " needs a value";
                return false;
            }
        } else if (equals != std::string::npos) {
            error = name + " takes no value";
            return false;
        }

        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--list-devices") {
            options.listDevices = true;
        } else if (name == "--fps") {
            if (!ParseFrameRate(value, options.rate, error)) return false;
        } else if (name == "--size") {
            const size_t x = value.find('x');
            if (x == std::string::npos || !ParseUnsigned(value.substr(0, x), MaxCaptureSide, options.width) ||
                !ParseUnsigned(value.substr(x + 1), MaxCaptureSide, options.height)) {
                error = "size '" + value + "' is not WIDTHxHEIGHT such as 640x480 (each side 1 to " +
                        std::to_string(MaxCaptureSide) + ")";
                return false;
            }
        } else if (name == "--bits") {
            if (value != "16" && value != "32") {
                error = "bits '" + value + "' must be 16 or 32";
                return false;
            }
            options.bits = value == "16" ? 16 : 32;
        } else if (name == "--device") {
            if (value.empty()) {
                error = "--device needs the device's description";
                return false;
            }
            options.device = value;
        } else if (name == "--no-dither") {
            options.dithering = false;
        } else if (name == "--no-perspective") {
            options.perspectiveCorrection = false;
        } else if (name == "--no-filtering") {
            options.textureFiltering = false;
        } else if (name == "--frames") {
            options.framesDir = value;
        } else if (name == "--video") {
            options.videoFile = value;
        } else if (name == "--at" || name == "--at-seconds") {
            for (const std::string& part : SplitCommas(value)) {
                uint64_t position = 0;
                const bool ok = name == "--at" ? ParsePosition(part, position, error) : ParseSeconds(part, position, error);
                if (!ok) return false;
                options.stills.push_back(position);
            }
        } else if (name == "--loading") {
            for (const std::string& part : SplitCommas(value)) {
                int64_t frame = -1;
                if (!ParseSigned(part, frame) || frame < 0) {
                    error = "loading frame '" + part + "' is not a frame number (0 is the loading screen's first)";
                    return false;
                }
                options.loadingStills.push_back(uint64_t(frame));
            }
        } else if (name == "--trace") {
            options.traceFile = value;
        } else if (name == "--trace-frames") {
            if (!ParseFrameSelection(value, options.traceFrames, error)) return false;
        } else if (name == "--stats") {
            options.stats = true;
        } else if (name == "--bench") {
            if (!ParseUnsigned(value, MaxBenchFrames, options.benchFrames)) {
                error = "--bench '" + value + "' must be a number of frames per segment, 1 to 1000";
                return false;
            }
        } else if (name == "--until") {
            if (!ParsePosition(value, options.until, error)) return false;
        } else if (name == "--jobs") {
            if (!ParseUnsigned(value, MaxJobs, options.jobs)) {
                error = "--jobs '" + value + "' must be a number of processes, 1 to " + std::to_string(MaxJobs);
                return false;
            }
            jobsGiven = true;
        } else if (name == "--supersample") {
            if (value != "1" && value != "2" && value != "3" && value != "4") {
                error = "--supersample '" + value + "' must be 2, 3 or 4 (1 is off)";
                return false;
            }
            options.supersample = unsigned(value[0] - '0');
        } else if (name == "--codec" || name == "--crf" || name == "--pixel-format" || name == "--audio-codec" ||
                   name == "--audio-bitrate") {
            VideoSettings& video = options.video;
            const bool ok = name == "--codec"          ? ParseVideoCodec(value, video, error)
                            : name == "--crf"          ? ParseCrf(value, video, error)
                            : name == "--pixel-format" ? ParsePixelFormat(value, video, error)
                            : name == "--audio-codec"  ? ParseAudioCodec(value, video, error)
                                                       : ParseAudioBitrate(value, video, error);
            if (!ok) return false;
            videoSettingsGiven = true;
        } else {
            error = "unknown option '" + option + "' (see --help)";
            return false;
        }
        if (takesValue && value.empty()) {
            error = name + " needs a value";
            return false;
        }
    }
    std::sort(options.stills.begin(), options.stills.end());
    options.stills.erase(std::unique(options.stills.begin(), options.stills.end()), options.stills.end());
    std::vector<uint64_t>& loading = options.loadingStills;
    std::sort(loading.begin(), loading.end());
    loading.erase(std::unique(loading.begin(), loading.end()), loading.end());
    if (options.benchFrames && (options.Stills() || options.stats || !options.framesDir.empty() ||
                                !options.videoFile.empty() || !options.traceFile.empty())) {
        error = "--bench times the drawing alone and goes with no output option";
        return false;
    }
    if (options.Stills() && !options.videoFile.empty()) {
        error = "--at or --loading and --video do not go together: a video holds every frame";
        return false;
    }
    if (options.videoFile.empty() && videoSettingsGiven) {
        error = "--codec, --crf, --pixel-format, --audio-codec and --audio-bitrate go with --video";
        return false;
    }
    if (!options.videoFile.empty() &&
        !CheckVideoSettings(options.video, options.videoFile, options.width, options.height, error))
        return false;
    if (options.RenderWidth() > MaxCaptureSide || options.RenderHeight() > MaxCaptureSide) {
        error = "--supersample " + std::to_string(options.supersample) + " renders " + std::to_string(options.width) +
                "x" + std::to_string(options.height) + " at " + std::to_string(options.RenderWidth()) + "x" +
                std::to_string(options.RenderHeight()) + ", past the display's largest, " +
                std::to_string(MaxCaptureSide) + "x" + std::to_string(MaxCaptureSide);
        return false;
    }
    if (!options.Splittable()) {
        if (jobsGiven && options.jobs > 1) {
            error = "--jobs splits a capture of every frame to --video or --frames, with no other output";
            return false;
        }
        options.jobs = 1;
    } else if (!jobsGiven) {
        const unsigned cores = std::thread::hardware_concurrency();
        options.jobs = std::clamp(cores, 1u, MaxJobs);
    }
    // Known before the run: a still past the end would only be found missing after all of it.
    if (!options.stills.empty() && options.stills.back() > options.EndPosition()) {
        error = "position " + std::to_string(options.stills.back()) + " is past the end of the capture (" +
                std::to_string(options.EndPosition()) + ")";
        return false;
    }
    return true;
}

bool CaptureOptions::Splittable() const {
    return (!framesDir.empty() || !videoFile.empty()) && !Stills() && traceFile.empty() && !stats && !benchFrames;
}

uint64_t CaptureOptions::EndPosition() const {
    return std::min<uint64_t>(until, timelineMarks[TimelineMarkCount - 1]);
}

std::string UsageText() {
    return R"(Usage: heliotropic-capture [options]

Runs the show headless on a virtual display and a virtual music clock: each presented frame
advances the music by exactly 1/fps seconds of audio, so captures are frame-exact and repeatable.

Display mode and setup (chosen in the setup dialog, as a user would):
  --size WxH            mode size (default 640x480; each side 1 to 4096)
  --bits 16|32          mode depth (default 16)
  --device TEXT         the device with this description (default: the first one)
  --list-devices        list the devices the dialog offers: description, hardware or
                        software, number of modes; then exit
  --no-dither --no-perspective --no-filtering
                        untick the dialog's options
  --fps RATE            frames per second of music (default 60; 50, 60000/1001, 29.97)

Output (any together, except --at with --video):
  --video FILE          the show as video with the music, through ffmpeg; the container
                        follows the name: .mp4, .mov, .mkv (takes every codec) or .webm
  --frames DIR          every show frame as DIR/frame_NNNNNN.png
  --at POS[,POS...]     only the first frame at or past each music position (bytes), as
                        pos_POSITION.png in the --frames folder (default: the current folder)
  --at-seconds S[,S...] the same with positions in seconds of music
  --loading N[,N...]    loading-screen frames (0 is its first), as loading_NNN.png in the
                        --frames folder (default: the current folder)
  --trace FILE.jsonl    every Direct3D device call, one JSON object a line
  --trace-frames A-B[,C-D...]
                        only these frames in the trace (N, A-B or A-; loading frames are negative)
  --stats               per-frame render time and triangles, summary per segment
  --until POS           stop at the first frame at or past this music position

Video (with --video):
  --codec NAME          h264 (default, high profile), h265, vp9, ffv1 (lossless) or prores
                        (HQ 4:2:2, 4444 with yuv444p; 10-bit)
  --crf N               quality of h264 and h265 (0 to 51) and vp9 (0 to 63); default 18,
                        lower is better
  --pixel-format F      yuv420p (default) or yuv444p (full colour resolution)
  --audio-codec NAME    aac (default), opus, mp3 or flac (lossless)
  --audio-bitrate RATE  kilobits a second of lossy sound, 32k to 512k (default 192k)

Quality and speed:
  --supersample N       render at 2, 3 or 4 times the size and average each N x N block into
                        one pixel, for smooth edges; the picture is then no longer the live
                        show's pixel for pixel, and the rendered size is at most 4096x4096
  --jobs N              split a capture of every frame (--video and --frames, nothing else)
                        into N ranges run by N processes at once, each running the show
                        undrawn up to its range; the same frames as one process makes
                        (default: one per core; 1 to 64)

Benchmark:
  --bench N             draw N evenly spaced frames of each segment, run the others record-only,
                        and print mean and worst milliseconds and frames per second per segment,
                        then the record-only speed

The show ends as it does live, at the last mark of its timeline. A progress line goes to stderr,
with the estimated size of the output.
)";
}
