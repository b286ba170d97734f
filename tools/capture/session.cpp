#include "session.h"

#include "framestats.h"
#include "framewriter.h"
#include "pixels.h"
#include "pngfile.h"
#include "pendingfile.h"
#include "progress.h"
#include "tracejson.h"
#include "videoencoder.h"

#include <platform/devicetrace.h>
#include <platform/dialogscript.h>
#include <platform/virtualdisplay.h>
#include <platform/musicclock.h>

#include "d3denum.h"
#include "director.h"
#include "setupdialog.h"

#include <windows.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <algorithm>

namespace {

constexpr int SegmentCount = 8;

using Clock = std::chrono::steady_clock;

int SegmentOf(uint64_t position) {
    if (position > UINT32_MAX) return -1;
    for (int segment = 0; segment < SegmentCount; ++segment)
        if (SegmentWindowHolds(segment, static_cast<DWORD>(position))) return segment;
    return -1;
}

class Session {
public:
    Session(const CaptureOptions& options, const CaptureJob* job)
        : options(options),
          job(job),
          endPosition(options.EndPosition()),
          totalFrames(FramesToRun(options)),
          stats(SegmentOf, SegmentCount),
          progress(totalFrames, job ? nullptr : stderr, [this](uint64_t) { return EstimatedBytes(); }) {
        if (job) range = written = job->range;
        if (options.benchFrames)
            bench = PlanBench(
                totalFrames, [&](uint64_t frame) { return SegmentOf(PositionOfFrame(frame, options.rate)); },
                SegmentCount, options.benchFrames);
    }

    ~Session() {
        if (trace) std::fclose(trace);
    }

    bool Prepare();
    int Run();

private:
    void OnCall(const platform::TraceRecord& record);
    void OnFlip();
    void OnPicture(const platform::FrameImage& frame);
    void CountBenchFrame(uint64_t frame, uint64_t position, double milliseconds, uint64_t triangles);
    void ChooseTraceSink(uint64_t nextFrame);
    std::string BenchSummary() const;
    void EnterShow();
    void OpenFrameInTrace();
    void WriteTraceLine(int64_t frame, const std::string& tail);
    void FlushLoadingTrace();
    bool NeedsRaster(uint64_t frame) const;
    bool NeedsLoadingRaster() const;
    void WriteLoadingStill(uint64_t frameIndex, const platform::FrameImage& frame);
    void WriteShowPicture(uint64_t index, const platform::FrameImage& frame);
    bool WantsMoreFrames(uint64_t nextFrame);
    bool ClaimFrame(uint64_t nextFrame);
    bool StartNextPart();
    bool StartWriting(std::string& error);
    bool FinishWriting();
    bool Convert(const platform::FrameImage& frame);
    uint64_t OutputBytes() const;
    uint64_t EstimatedBytes() const;
    void Report();
    void Fail(const std::string& message);
    void Stop();
    std::vector<platform::DialogAction> DialogScript() const;
    std::string StartFailure() const;

    const CaptureOptions& options;
    const CaptureJob* const job;
    // A job's range, as it goes from one to the next, and the one whose frames are being written:
    // the earlier one until the next flip after the job has passed it.
    JobRange range, written;
    bool partEnded = false;
    const uint64_t endPosition;
    const uint64_t totalFrames;
    std::string ffmpeg;

    // Where the run stands: loading frames come before the music starts, then show frames.
    bool inShow = false;
    uint64_t loadingFrame = 0;
    uint64_t showFrame = 0;
    bool frameOpened = false;
    uint64_t trianglesBefore = 0;  // asked for before the current show frame
    // Stills are chosen at their frame's flip and written when its picture comes, which for a
    // picture read back from the GPU is a flip later.
    size_t nextStill = 0, stillsWritten = 0;
    size_t nextLoadingStill = 0, loadingStillsWritten = 0;
    uint64_t picturesTaken = 0;  // pictures come in the order of the flips, loading frames first
    bool stopped = false;
    bool failed = false;
    bool sinkInstalled = false;
    Clock::time_point frameStart = Clock::now();

    // Declared before the encoder, so ffmpeg has ended before an unfinished video is removed.
    PendingFile traceOutput;
    PendingFile videoOutput;
    FILE* trace = nullptr;
    std::string line;
    // Loading frames are numbered back from the first show frame, so their lines wait until
    // the number of loading frames is known.
    std::vector<std::pair<uint64_t, std::string>> loadingLines;
    VideoEncoder video;
    bool videoRunning = false;
    // Every show frame for the video and the frames folder; ends before the encoder does.
    std::unique_ptr<FrameWriter> writer;
    std::vector<uint8_t> fullRgb, rgb;
    FrameStats stats;
    Progress progress;

    BenchPlan bench;
    uint64_t recordOnlyFrames = 0;
    double recordOnlyMilliseconds = 0;
};

void Session::Fail(const std::string& message) {
    progress.Clear();
    if (!failed) std::fprintf(stderr, "heliotropic-capture: %s\n", message.c_str());
    failed = true;
    Stop();
}

void Session::Stop() {
    if (stopped) return;
    stopped = true;
    // Ends the show's message loop the way closing its window would, after this frame.
    PostQuitMessage(0);
}

bool Session::NeedsRaster(uint64_t frame) const {
    if (options.benchFrames) return std::binary_search(bench.frames.begin(), bench.frames.end(), frame);
    // Pictures are drawn only where something takes them: a trace alone needs no pixels. A run
    // with no output at all still draws, as a benchmark of the whole show.
    if (!options.Stills())
        return frame >= range.firstFrame && (!options.framesDir.empty() || !options.videoFile.empty() ||
                                             options.stats || options.traceFile.empty());
    return nextStill < options.stills.size() && PositionOfFrame(frame, options.rate) >= options.stills[nextStill];
}

bool Session::NeedsLoadingRaster() const {
    return nextLoadingStill < options.loadingStills.size() && options.loadingStills[nextLoadingStill] == loadingFrame;
}

bool Session::WantsMoreFrames(uint64_t nextFrame) {
    if (PositionOfFrame(nextFrame - 1, options.rate) >= options.until) return false;
    if (job && !ClaimFrame(nextFrame)) return false;
    if (!options.Stills() || options.stats) return true;
    if (nextStill < options.stills.size()) return true;
    return !options.traceFile.empty() && int64_t(nextFrame) <= options.traceFrames.Last();
}

// A job claims each frame before drawing it. Past its range it takes the next one ahead of it,
// if any; the range's part is finished at the next flip, by which its last picture has come.
bool Session::ClaimFrame(uint64_t nextFrame) {
    if (partEnded && !StartNextPart()) return false;
    if (range.report->frames.Claim(nextFrame)) return true;
    if (!job->takeRange(nextFrame, range)) return false;
    partEnded = true;
    return range.report->frames.Claim(nextFrame);
}

bool Session::StartNextPart() {
    partEnded = false;
    if (!FinishWriting()) return false;
    std::string error;
    if (videoOutput.Active() && !videoOutput.Commit(error)) {
        Fail(error);
        return false;
    }
    written = range;
    if (StartWriting(error)) return true;
    Fail(error);
    return false;
}

bool Session::Prepare() {
    namespace fs = std::filesystem;
    std::error_code error;
    // Everything that can be checked is checked before anything is created.
    if (!options.videoFile.empty()) {
        std::string reason;
        if (!FindVideoTools(ffmpeg, reason)) {
            std::fprintf(stderr, "heliotropic-capture: %s\n", reason.c_str());
            return false;
        }
    }
    // Made first: the trace or the video may be asked for inside it.
    if (!options.framesDir.empty() && !fs::is_directory(options.framesDir, error)) {
        fs::create_directories(options.framesDir, error);
        if (error) {
            std::fprintf(stderr, "heliotropic-capture: cannot make the folder %s: %s\n", options.framesDir.c_str(),
                         error.message().c_str());
            return false;
        }
    }
    if (!options.traceFile.empty()) {
        traceOutput.Begin(options.traceFile);
        trace = std::fopen(traceOutput.PartialPath().c_str(), "w");
        if (trace == nullptr) {
            std::fprintf(stderr, "heliotropic-capture: cannot write %s: %s\n", options.traceFile.c_str(),
                         std::strerror(errno));
            return false;
        }
        std::setvbuf(trace, nullptr, _IOFBF, 1 << 20);
    }
    if (!options.videoFile.empty()) {
        const fs::path folder = fs::path(options.videoFile).parent_path();
        if (!folder.empty() && !fs::is_directory(folder, error)) {
            std::fprintf(stderr, "heliotropic-capture: the folder %s does not exist\n", folder.c_str());
            return false;
        }
    }
    std::string reason;
    if (StartWriting(reason)) return true;
    std::fprintf(stderr, "heliotropic-capture: %s\n", reason.c_str());
    return false;
}

// The video (a job's part of it) and the writer that hands it every frame.
bool Session::StartWriting(std::string& error) {
    const std::string& videoFile = job ? written.videoPart : options.videoFile;
    if (!videoFile.empty()) {
        videoOutput.Begin(videoFile);
        // A job's part of the video gets its music when the parts are joined.
        if (!video.Start(ffmpeg, videoOutput.PartialPath(), job ? "" : MusicFile, options.width, options.height,
                         options.rate, options.video, error))
            return false;
        videoRunning = true;
    }
    const bool everyFrame = !options.Stills() && !options.framesDir.empty();
    if (videoRunning || everyFrame)
        writer = std::make_unique<FrameWriter>(videoRunning ? &video : nullptr, everyFrame ? options.framesDir : "",
                                               options.supersample);
    return true;
}

// Writes out every frame handed over and ends the video; false when either failed.
bool Session::FinishWriting() {
    std::string error;
    if (writer && !writer->Finish(error)) Fail(error);
    if (job) Report();
    writer.reset();
    if (videoRunning) {
        videoRunning = false;
        if (!video.Finish(error)) Fail(error);
    }
    return !failed;
}

std::vector<platform::DialogAction> Session::DialogScript() const {
    std::vector<platform::DialogAction> script;
    // A device choice refills the mode list, so it comes first.
    if (!options.device.empty()) script.push_back(platform::SelectItemText(DeviceListControl, options.device));
    const std::string mode = std::to_string(options.RenderWidth()) + "x" + std::to_string(options.RenderHeight()) +
                             " " + std::to_string(options.bits) + "bpp";
    script.push_back(platform::SelectItemText(ModeListControl, mode));
    script.push_back(platform::SetCheck(TextureFilteringControl, options.textureFiltering));
    script.push_back(platform::SetCheck(PerspectiveCorrectionControl, options.perspectiveCorrection));
    script.push_back(platform::SetCheck(DitheringControl, options.dithering));
    script.push_back(platform::PressButton(IDOK));
    return script;
}

void Session::WriteTraceLine(int64_t frame, const std::string& tail) {
    std::fprintf(trace, "{\"frame\":%lld%s", (long long)frame, tail.c_str());
}

void Session::FlushLoadingTrace() {
    for (const auto& [index, tail] : loadingLines) {
        const int64_t frame = int64_t(index) - int64_t(loadingFrame);
        if (options.traceFrames.Holds(frame)) WriteTraceLine(frame, tail);
    }
    loadingLines.clear();
    loadingLines.shrink_to_fit();
}

void Session::EnterShow() {
    inShow = true;
    frameOpened = false;
    if (nextLoadingStill < options.loadingStills.size())
        return Fail("the loading screen has " + std::to_string(loadingFrame) + " frames, so there is no loading frame " +
                    std::to_string(options.loadingStills[nextLoadingStill]));
    if (trace) FlushLoadingTrace();
    platform::SetDeviceRasterising(NeedsRaster(0));
    trianglesBefore = platform::TrianglesAskedFor();
    frameStart = Clock::now();
}

void Session::OpenFrameInTrace() {
    frameOpened = true;
    if (trace == nullptr) return;
    line.clear();
    FramePlace place{!inShow, PositionOfFrame(showFrame, options.rate)};
    AppendFrameTail(line, place, musicPosition, frameClock, frameDelta);
    if (!inShow) {
        if (options.traceFrames.First() < 0) loadingLines.emplace_back(loadingFrame, line);
    } else if (options.traceFrames.Holds(int64_t(showFrame))) {
        WriteTraceLine(int64_t(showFrame), line);
    }
}

void Session::OnCall(const platform::TraceRecord& record) {
    if (stopped) return;
    if (!inShow && platform::MusicPlaying()) EnterShow();
    if (!frameOpened) OpenFrameInTrace();
    if (trace == nullptr) return;
    const bool keep = inShow ? options.traceFrames.Holds(int64_t(showFrame)) : options.traceFrames.First() < 0;
    if (!keep) return;
    line.clear();
    AppendCallTail(line, record, FramePlace{!inShow, PositionOfFrame(showFrame, options.rate)});
    if (inShow)
        WriteTraceLine(int64_t(showFrame), line);
    else
        loadingLines.emplace_back(loadingFrame, line);
}

uint64_t Session::OutputBytes() const {
    uint64_t bytes = writer ? writer->PngBytes() : 0;
    struct stat partial;
    if (videoOutput.Active() && stat(videoOutput.PartialPath().c_str(), &partial) == 0)
        bytes += uint64_t(partial.st_size);
    return bytes;
}

uint64_t Session::EstimatedBytes() const {
    return writer ? Progress::Extrapolate(OutputBytes(), writer->FramesWritten(), totalFrames) : 0;
}

void Session::Report() {
    written.report->framesWritten.store(writer ? writer->FramesWritten() : 0, std::memory_order_relaxed);
    written.report->bytesWritten.store(OutputBytes(), std::memory_order_relaxed);
}

bool Session::Convert(const platform::FrameImage& frame) {
    if (FrameToRgb(frame, options.supersample, fullRgb, rgb)) return true;
    Fail("the display presented a frame in a pixel format the capture cannot read");
    return false;
}

void Session::OnFlip() {
    if (stopped) return;
    if (!inShow && platform::MusicPlaying()) EnterShow();
    if (!frameOpened) OpenFrameInTrace();
    frameOpened = false;
    if (!inShow) {
        if (NeedsLoadingRaster()) ++nextLoadingStill;
        ++loadingFrame;
        platform::SetDeviceRasterising(NeedsLoadingRaster());
        return;
    }

    // The frame is counted, and its stills chosen, before its picture can come.
    const uint64_t index = showFrame++;
    const uint64_t position = PositionOfFrame(index, options.rate);
    while (nextStill < options.stills.size() && options.stills[nextStill] <= position) ++nextStill;
    // A benchmarked frame is drawn alone, among undrawn ones: its time ends with its picture in
    // memory, not with its read-back handed to the next frame.
    if (options.benchFrames && platform::DeviceRasterising()) platform::FinishPresenting();
    const double milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - frameStart).count();
    const uint64_t frameTriangles = platform::TrianglesAskedFor() - trianglesBefore;
    trianglesBefore += frameTriangles;
    if (options.stats) {
        if (index == 0) std::fputs(FrameStats::Header().c_str(), stdout);
        std::fputs(stats.Add(index, position, milliseconds, frameTriangles).c_str(), stdout);
    }
    if (options.benchFrames) CountBenchFrame(index, position, milliseconds, frameTriangles);
    progress.Update(index + 1);

    const uint64_t next = PositionOfFrame(showFrame, options.rate);
    platform::SetVirtualMusicPosition(next > UINT32_MAX ? UINT32_MAX : DWORD(next));
    // A job may go on to another range here, which decides what is drawn next.
    const bool more = WantsMoreFrames(showFrame);
    platform::SetDeviceRasterising(NeedsRaster(showFrame));
    ChooseTraceSink(showFrame);
    if (!more) Stop();
    frameStart = Clock::now();
}

void Session::OnPicture(const platform::FrameImage& frame) {
    // Pictures of flips made after the run stopped are not the run's.
    if (failed || picturesTaken == loadingFrame + showFrame) return;
    const uint64_t sequence = picturesTaken++;
    if (sequence < loadingFrame) {
        if (loadingStillsWritten < nextLoadingStill && options.loadingStills[loadingStillsWritten] == sequence)
            WriteLoadingStill(sequence, frame);
        return;
    }
    WriteShowPicture(sequence - loadingFrame, frame);
}

void Session::WriteShowPicture(uint64_t index, const platform::FrameImage& frame) {
    if (frame.width != options.RenderWidth() || frame.height != options.RenderHeight())
        return Fail("the display presented a " + std::to_string(frame.width) + "x" + std::to_string(frame.height) +
                    " frame, not the mode asked for");
    std::string error;
    if (writer && index >= written.firstFrame && !writer->Add(index, frame, error)) return Fail(error);
    if (job) Report();
    const uint64_t position = PositionOfFrame(index, options.rate);
    while (stillsWritten < nextStill && options.stills[stillsWritten] <= position) {
        const uint64_t wanted = options.stills[stillsWritten++];
        const std::string folder = options.framesDir.empty() ? "." : options.framesDir;
        const std::string path = folder + "/pos_" + std::to_string(wanted) + ".png";
        if (!Convert(frame)) return;
        if (!WritePng(path, rgb, options.width, options.height, error)) return Fail(error);
        progress.Clear();
        std::fprintf(stderr, "heliotropic-capture: wrote %s (show frame %llu at position %llu)\n", path.c_str(),
                     (unsigned long long)index, (unsigned long long)position);
    }
}

void Session::ChooseTraceSink(uint64_t nextFrame) {
    // Records are made only where they are written: the calls reach the device all the same.
    const bool wanted = trace != nullptr && options.traceFrames.Holds(int64_t(nextFrame));
    if (wanted == sinkInstalled) return;
    platform::SetTraceSink(wanted ? platform::TraceSink([this](const platform::TraceRecord& record) { OnCall(record); })
                                  : platform::TraceSink());
    sinkInstalled = wanted;
}

void Session::CountBenchFrame(uint64_t frame, uint64_t position, double milliseconds, uint64_t triangles) {
    if (platform::DeviceRasterising()) {
        stats.Add(frame, position, milliseconds, triangles);
    } else {
        ++recordOnlyFrames;
        recordOnlyMilliseconds += milliseconds;
    }
}

std::string Session::BenchSummary() const {
    // The whole show's mean: each segment's mean counted as often as the segment has frames.
    double weighted = 0;
    uint64_t showFrames = 0;
    for (int segment = 0; segment < SegmentCount; ++segment) {
        const uint64_t length = bench.segmentLengths[size_t(segment)];
        weighted += stats.MeanMilliseconds(segment) * double(length);
        showFrames += length;
    }
    const double mean = showFrames ? weighted / double(showFrames) : 0.0;
    char lines[240];
    std::snprintf(lines, sizeof lines,
                  "show %llu frames, mean %.3f ms, %.1f frames/s (segments weighted by their frames)\n"
                  "record-only %llu frames, %.0f frames/s\n",
                  (unsigned long long)showFrames, mean, mean > 0 ? 1000.0 / mean : 0.0,
                  (unsigned long long)recordOnlyFrames,
                  recordOnlyMilliseconds > 0 ? 1000.0 * double(recordOnlyFrames) / recordOnlyMilliseconds : 0.0);
    return stats.Summary() + lines;
}

void Session::WriteLoadingStill(uint64_t frameIndex, const platform::FrameImage& frame) {
    ++loadingStillsWritten;
    char name[48];
    std::snprintf(name, sizeof name, "/loading_%03llu.png", (unsigned long long)frameIndex);
    const std::string path = (options.framesDir.empty() ? "." : options.framesDir) + name;
    std::string error;
    if (!Convert(frame)) return;
    if (!WritePng(path, rgb, options.width, options.height, error)) return Fail(error);
    progress.Clear();
    std::fprintf(stderr, "heliotropic-capture: wrote %s (loading frame %llu)\n", path.c_str(),
                 (unsigned long long)frameIndex);
}

std::string Session::StartFailure() const {
    const platform::ScriptedDialogOutcome& dialog = platform::LastScriptedDialog();
    if (dialog.ran && !dialog.error.empty()) {
        // The dialog has already said what it could not do and what its lists hold.
        if (dialog.error.find("control " + std::to_string(DeviceListControl)) != std::string::npos)
            return "--device must name one of the devices the setup dialog lists above";
        if (dialog.error.find("control " + std::to_string(ModeListControl)) != std::string::npos)
            return "--size and --bits must give one of the modes the setup dialog lists above";
        return "the setup dialog could not be answered: " + dialog.error;
    }
    if (!dialog.ran) return "the show ended before its setup dialog";
    return "the show did not start (see the messages above)";
}

int Session::Run() {
    platform::UseVirtualDisplay(
        options.RenderWidth(), options.RenderHeight(), [this](const platform::FrameImage& frame) { OnPicture(frame); },
        [this] { OnFlip(); });
    platform::UseVirtualMusicClock();
    platform::SetVirtualMusicPosition(0);
    platform::ScriptDialogs(DialogScript());
    // The loading screen is run for its state and trace; only the frames asked for are drawn.
    platform::SetDeviceRasterising(NeedsLoadingRaster());
    // Through the loading screen every call is watched, for the loading trace and for the first
    // call of the show, which the show frames are counted from.
    platform::SetTraceSink([this](const platform::TraceRecord& record) { OnCall(record); });
    sinkInstalled = true;

    static char moduleTag;
    WinMain(reinterpret_cast<HINSTANCE>(&moduleTag), nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
    // The last frame's picture may still be on its way from the GPU.
    platform::FinishPresenting();

    platform::SetTraceSink(nullptr);
    if (trace && !loadingLines.empty()) FlushLoadingTrace();
    progress.Finish(showFrame);

    if (!inShow && !failed) Fail(StartFailure());
    if (!failed && picturesTaken < loadingFrame + showFrame) Fail("the device never handed over the last frame's picture");
    if (!failed && nextStill < options.stills.size())
        Fail("the show ended at frame " + std::to_string(showFrame) + " before reaching position " +
             std::to_string(options.stills[nextStill]));
    if (options.stats && showFrame > 0) std::fputs(stats.Summary().c_str(), stdout);
    if (options.benchFrames && !failed) std::fputs(BenchSummary().c_str(), stdout);

    FinishWriting();
    std::string error;
    if (trace) {
        const bool flushed = std::fflush(trace) == 0 && !std::ferror(trace);
        if (std::fclose(trace) != 0 || !flushed) Fail("writing " + options.traceFile + " failed: " + std::strerror(errno));
        trace = nullptr;
    }
    // Only a run that did all it was asked for replaces the files under their real names.
    if (!failed && videoOutput.Active()) {
        if (!videoOutput.Commit(error)) Fail(error);
        else if (!job) std::fprintf(stderr, "heliotropic-capture: wrote %s (%llu frames)\n", options.videoFile.c_str(), (unsigned long long)showFrame);
    }
    if (!failed && traceOutput.Active() && !traceOutput.Commit(error)) Fail(error);
    if (!options.Stills() && !options.framesDir.empty() && !failed && !job)
        std::fprintf(stderr, "heliotropic-capture: wrote %llu frames to %s\n", (unsigned long long)showFrame,
                     options.framesDir.c_str());
    std::fflush(stdout);
    return failed ? 1 : 0;
}

}  // namespace

bool FindVideoTools(std::string& ffmpeg, std::string& error) {
    ffmpeg = FindProgram("ffmpeg");
    if (ffmpeg.empty()) {
        error = "--video needs ffmpeg, which is not on PATH; install it (apt-get install ffmpeg) or capture PNG "
                "frames with --frames";
        return false;
    }
    std::error_code unknown;
    if (!std::filesystem::is_regular_file(MusicFile, unknown)) {
        error = std::string("the music ") + MusicFile + " is missing beside the program";
        return false;
    }
    return true;
}

uint64_t FramesToRun(const CaptureOptions& options) {
    const uint64_t endPosition = options.EndPosition();
    const bool stillsOnly = options.Stills() && !options.stats && options.traceFile.empty();
    const uint64_t last = !stillsOnly ? endPosition : options.stills.empty() ? 0 : options.stills.back();
    return FirstFrameAtOrPast(std::min(last, endPosition), options.rate) + 1;
}

int RunCapture(const CaptureOptions& options, const CaptureJob* job) {
    Session session(options, job);
    if (!session.Prepare()) return 1;
    return session.Run();
}

int ListDevices(const CaptureOptions& options) {
    platform::UseVirtualDisplay(options.width, options.height, nullptr);
    if (EnumerateDevices(nullptr) < 0) {
        std::fprintf(stderr, "heliotropic-capture: no Direct3D device can draw on this machine\n");
        return 1;
    }
    DeviceEntry* list = nullptr;
    DWORD count = 0;
    GetDeviceList(&list, &count);
    for (DWORD i = 0; i < count; ++i)
        std::printf("\"%s\" %s %lu\n", list[i].description, list[i].hardware ? "hardware" : "software",
                    static_cast<unsigned long>(list[i].modeCount));
    return 0;
}
