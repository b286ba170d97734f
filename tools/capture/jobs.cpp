#include "jobs.h"

#include "pendingfile.h"
#include "progress.h"
#include "session.h"
#include "videoencoder.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

// Set by an interrupt or a request to end: the jobs are stopped and their leftovers removed.
volatile std::sig_atomic_t stopAsked = 0;

void AskToStop(int) { stopAsked = 1; }

std::string Contents(const std::string& path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Ranges a capture is split into for each process that runs at once: segments differ several
// times over in cost, so the ranges are taken one after another by whichever process is free.
// A process goes on from one range to the next ahead of it, running the frames between undrawn.
constexpr unsigned RangesPerJob = 4;

// Once every range is taken, a process that has passed its range takes the back half of the
// range with the most frames left ahead of it, when each half keeps at least this share of the
// capture's frames: a new part of the video costs a few frames' time.
constexpr uint64_t LeastHalfShare = 512;

// A process that has ended is replaced only while some range has this share of the capture's
// frames left to draw (to be halved again): a new process loads the show and runs it undrawn up
// to its range first (about 2 s at the end of the whole show, where a frame takes up to 25 ms on
// one thread, so 1/64 of it is 228 frames).
constexpr uint64_t LeastLeftForNewJob = 64;

constexpr uint64_t FirstUnclaimedBits = 0xFFFFFFFFu;

class SplitCapture {
public:
    SplitCapture(const CaptureOptions& options, const std::vector<FrameSpan>& spans)
        : options(options), board(spans, std::max<uint64_t>(1, (spans.back().last + 1) / LeastHalfShare)),
          totalFrames(spans.back().last + 1), leftForNewJob(std::max<uint64_t>(2, totalFrames / LeastLeftForNewJob)),
          atOnce(std::min<size_t>(options.jobs, spans.size())) {}
    ~SplitCapture();

    int Run();

private:
    bool MakeWorkFolder();
    bool StartJobs();
    bool StartJob();
    void StartSoundTrack();
    [[noreturn]] void RunJob(size_t index, pid_t parent);
    bool TakeRange(uint64_t frame, JobRange& range);
    void WaitForJobs();
    pid_t EndedJob(int& status);
    void StopJobs();
    uint64_t FramesWritten() const;
    bool JoinVideo();
    void ShowJobMessages();
    uint64_t EstimatedBytes() const;
    std::string PartPath(size_t range) const {
        return workFolder + "/part_" + std::to_string(range) + VideoPartExtension;
    }
    std::string LogPath(size_t index) const { return workFolder + "/job_" + std::to_string(index) + ".log"; }
    std::string SoundTrackPath() const { return workFolder + "/sound" + SoundTrackExtension; }

    const CaptureOptions& options;
    RangeBoard board;
    const uint64_t totalFrames;
    const uint64_t leftForNewJob;  // frames a range must have left for a new process to take half
    std::string ffmpeg;
    std::string workFolder;
    const size_t atOnce;          // processes running at the same time
    std::vector<pid_t> children;  // each process started: -1 once it has ended
    int failedJob = -1;
    bool stopped = false;
    // Encoded while the jobs draw, so that the join only copies.
    std::optional<SoundTrackEncoder> soundTrack;
    std::string soundTrackError;
};

SplitCapture::~SplitCapture() {
    soundTrack.reset();
    std::error_code ignored;
    if (!workFolder.empty()) fs::remove_all(workFolder, ignored);
}

bool SplitCapture::MakeWorkFolder() {
    // The video's parts can be large, so they are made beside the video rather than in /tmp.
    std::string folder;
    std::string stem = "heliotropic-capture";
    if (!options.videoFile.empty()) {
        const fs::path video(options.videoFile);
        folder = video.parent_path().string();
        stem = video.filename().string();
    } else {
        std::error_code unknown;
        folder = fs::temp_directory_path(unknown).string();
    }
    if (folder.empty()) folder = ".";
    std::string pattern = folder + "/" + stem + ".jobs-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "heliotropic-capture: cannot make a working folder in %s: %s\n", folder.c_str(),
                     std::strerror(errno));
        return false;
    }
    workFolder = pattern;
    return true;
}

bool SplitCapture::StartJobs() {
    if (!board.Shared()) {
        std::fprintf(stderr, "heliotropic-capture: cannot share memory with the jobs: %s\n", std::strerror(errno));
        return false;
    }
    while (children.size() < atOnce)
        if (!StartJob()) return false;
    return true;
}

bool SplitCapture::StartJob() {
    // Nothing buffered may be written twice, once by each process.
    std::fflush(nullptr);
    const pid_t self = getpid();
    const size_t index = children.size();
    const pid_t child = fork();
    if (child < 0) {
        std::fprintf(stderr, "heliotropic-capture: cannot start job %zu: %s\n", index + 1, std::strerror(errno));
        return false;
    }
    if (child == 0) RunJob(index, self);
    children.push_back(child);
    return true;
}

void SplitCapture::RunJob(size_t index, pid_t parent) {
    // A job outlives no parent: stopped (or killed) alone, it would go on writing for nobody.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) std::_Exit(1);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);
    // Every job would say the same thing: their messages are kept and shown once by the parent.
    const int log = open(LogPath(index).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log >= 0) dup2(log, STDERR_FILENO);
    // The jobs share the cores rather than each drawing and encoding with threads for all of them.
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t share = std::max<size_t>(1, cores / atOnce);
    if (std::getenv("HELIOTROPIC_THREADS") == nullptr) setenv("HELIOTROPIC_THREADS", std::to_string(share).c_str(), 1);
    CaptureOptions jobOptions = options;
    jobOptions.video.encoderThreads = static_cast<unsigned>(share);
    CaptureJob job;
    // The others may have taken what was left while this process started.
    if (!TakeRange(0, job.range)) std::_Exit(0);
    job.takeRange = [this](uint64_t frame, JobRange& next) { return TakeRange(frame, next); };
    const int code = RunCapture(jobOptions, &job);
    std::fflush(nullptr);
    std::_Exit(code);
}

bool SplitCapture::TakeRange(uint64_t frame, JobRange& range) {
    size_t index = 0;
    if (!board.Take(frame, index)) return false;
    range.firstFrame = board.Report(index).frames.Span().first;
    range.report = &board.Report(index);
    range.videoPart = options.videoFile.empty() ? "" : PartPath(index);
    return true;
}

uint64_t SplitCapture::FramesWritten() const {
    uint64_t frames = 0;
    for (size_t index = 0; index < board.Count(); ++index)
        frames += board.Report(index).framesWritten.load(std::memory_order_relaxed);
    return frames;
}

uint64_t SplitCapture::EstimatedBytes() const {
    uint64_t bytes = 0;
    for (size_t index = 0; index < board.Count(); ++index)
        bytes += board.Report(index).bytesWritten.load(std::memory_order_relaxed);
    const uint64_t picture = Progress::Extrapolate(bytes, FramesWritten(), totalFrames);
    if (picture == 0 || options.videoFile.empty()) return picture;
    return picture + AudioBytes(options.video, double(totalFrames) / options.rate.PerSecond());
}

// A job that has ended, 0 when none has, -1 on an error. Only the jobs are waited for: the sound
// track's ffmpeg is this process's child too, and its end is waited for by the join.
pid_t SplitCapture::EndedJob(int& status) {
    for (pid_t child : children) {
        if (child <= 0) continue;
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended != 0) return ended;
    }
    return 0;
}

void SplitCapture::WaitForJobs() {
    Progress progress(totalFrames, stderr, [this](uint64_t) { return EstimatedBytes(); });
    size_t running = size_t(std::count_if(children.begin(), children.end(), [](pid_t child) { return child > 0; }));
    while (running > 0) {
        int status = 0;
        const pid_t ended = EndedJob(status);
        if (ended > 0) {
            for (size_t index = 0; index < children.size(); ++index) {
                if (children[index] != ended) continue;
                children[index] = -1;
                --running;
                const bool succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
                if (succeeded && !stopped && board.WorkLeft(leftForNewJob)) {
                    if (StartJob()) {
                        ++running;
                    } else {
                        failedJob = int(children.size());
                        StopJobs();
                    }
                }
                if (succeeded || failedJob >= 0) break;
                // One failed job fails the capture: the others stop now rather than run on.
                failedJob = int(index);
                StopJobs();
            }
            continue;
        }
        if (stopAsked && !stopped) StopJobs();
        if (ended < 0 && errno != EINTR) break;
        progress.Update(FramesWritten());
        // Between looks the jobs have the processor.
        struct timespec pause = {0, 200 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    progress.Finish(FramesWritten());
}

void SplitCapture::StopJobs() {
    stopped = true;
    for (pid_t child : children)
        if (child > 0) kill(child, SIGTERM);
}

void SplitCapture::ShowJobMessages() {
    if (failedJob >= 0) {
        // The others were stopped by the failure: only its own messages explain it.
        const std::string messages = Contents(LogPath(size_t(failedJob)));
        std::fputs(messages.c_str(), stderr);
        if (messages.empty())
            std::fprintf(stderr, "heliotropic-capture: job %d of %zu ended without a word\n", failedJob + 1,
                         children.size());
        return;
    }
    std::set<std::string> shown;
    for (size_t index = 0; index < children.size(); ++index) {
        const std::string messages = Contents(LogPath(index));
        if (!messages.empty() && shown.insert(messages).second) std::fputs(messages.c_str(), stderr);
    }
}

void SplitCapture::StartSoundTrack() {
    soundTrack.emplace();
    const double seconds = double(totalFrames) / options.rate.PerSecond();
    soundTrack->Start(ffmpeg, MusicFile, seconds, SoundTrackPath(), options.video, soundTrackError);
}

bool SplitCapture::JoinVideo() {
    // The parts in the order of their frames: taken halves were numbered as they were taken.
    std::vector<std::pair<FrameSpan, size_t>> ranges;
    for (size_t index = 0; index < board.Count(); ++index) ranges.push_back({board.Report(index).frames.Span(), index});
    std::sort(ranges.begin(), ranges.end(), [](const auto& a, const auto& b) { return a.first.first < b.first.first; });
    std::vector<VideoPart> parts;
    for (const auto& [span, index] : ranges) parts.push_back({PartPath(index), span.last - span.first + 1});
    std::fprintf(stderr, "heliotropic-capture: joining the %zu parts of the video\n", parts.size());
    std::string error = soundTrackError;
    if (!error.empty() || !soundTrack->Finish(error)) {
        std::fprintf(stderr, "heliotropic-capture: %s\n", error.c_str());
        return false;
    }
    PendingFile output;
    output.Begin(options.videoFile);
    if (!JoinVideoParts(ffmpeg, parts, options.rate, workFolder + "/parts.txt", SoundTrackPath(), output.PartialPath(),
                        options.video, error) ||
        !output.Commit(error)) {
        std::fprintf(stderr, "heliotropic-capture: %s\n", error.c_str());
        return false;
    }
    std::fprintf(stderr, "heliotropic-capture: wrote %s (%llu frames)\n", options.videoFile.c_str(),
                 (unsigned long long)totalFrames);
    return true;
}

int SplitCapture::Run() {
    if (!options.videoFile.empty()) {
        std::string error;
        if (!FindVideoTools(ffmpeg, error)) {
            std::fprintf(stderr, "heliotropic-capture: %s\n", error.c_str());
            return 1;
        }
    }
    if (!MakeWorkFolder()) return 1;
    struct sigaction stop = {};
    stop.sa_handler = AskToStop;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &stop, nullptr);
    const bool started = StartJobs();
    if (started && !options.videoFile.empty()) StartSoundTrack();
    if (!started) StopJobs();
    WaitForJobs();
    if (!started) return 1;
    if (stopAsked) {
        std::fprintf(stderr, "heliotropic-capture: stopped by a signal before the end\n");
        return 1;
    }
    ShowJobMessages();
    if (failedJob >= 0) return 1;
    if (!options.videoFile.empty() && !JoinVideo()) return 1;
    if (!options.framesDir.empty())
        std::fprintf(stderr, "heliotropic-capture: wrote %llu frames to %s\n", (unsigned long long)totalFrames,
                     options.framesDir.c_str());
    return 0;
}

}  // namespace

bool FrameClaims::Claim(uint64_t frame) {
    uint64_t current = word.load(std::memory_order_acquire);
    for (;;) {
        const uint64_t first = current & FirstUnclaimedBits, last = current >> 32;
        if (frame < first) return true;  // run undrawn up to the range
        if (frame > last) return false;
        if (word.compare_exchange_weak(current, last << 32 | (frame + 1), std::memory_order_acq_rel)) return true;
    }
}

bool FrameClaims::TakeBack(uint64_t least, uint64_t from, FrameSpan& taken) {
    uint64_t current = word.load(std::memory_order_acquire);
    for (;;) {
        const uint64_t unclaimed = current & FirstUnclaimedBits, last = current >> 32;
        // The frames behind the taker stay with the job, as do the front half of the others, with
        // the odd frame: the job has already run up to them.
        const uint64_t start = std::max(unclaimed, from);
        if (start > last || last - start + 1 < 2 * least) return false;
        const uint64_t kept = start + (last - start + 1 + 1) / 2 - 1;
        if (word.compare_exchange_weak(current, kept << 32 | unclaimed, std::memory_order_acq_rel)) {
            taken = {kept + 1, last};
            return true;
        }
    }
}

uint64_t FrameClaims::Unclaimed() const { return UnclaimedFrom(0); }

uint64_t FrameClaims::UnclaimedFrom(uint64_t from) const {
    const uint64_t current = word.load(std::memory_order_acquire);
    const uint64_t start = std::max(current & FirstUnclaimedBits, from), last = current >> 32;
    return start > last ? 0 : last - start + 1;
}

RangeBoard::RangeBoard(const std::vector<FrameSpan>& spans, uint64_t least)
    : split(spans.size()), least(least),
      // Taken halves share no frame and keep `least` each, so no more than this can be taken.
      capacity(spans.size() + (spans.empty() ? 0 : (spans.back().last + 1) / least) + 1),
      bytes(sizeof(Counters) + sizeof(JobReport) * capacity) {
    void* shared = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) return;
    counters = new (shared) Counters;
    reports = reinterpret_cast<JobReport*>(static_cast<char*>(shared) + sizeof(Counters));
    for (size_t index = 0; index < capacity; ++index) new (&reports[index]) JobReport;
    for (size_t index = 0; index < split; ++index) reports[index].frames.Assign(spans[index]);
    counters->count.store(split);
}

RangeBoard::~RangeBoard() {
    if (counters != nullptr) munmap(counters, bytes);
}

bool RangeBoard::Take(uint64_t from, size_t& index) {
    for (size_t next = counters->started.load(); next < split;)
        if (counters->started.compare_exchange_weak(next, next + 1)) {
            index = next;
            return true;
        }
    for (;;) {
        size_t busiest = 0;
        uint64_t most = 0;
        for (size_t range = 0; range < Count(); ++range) {
            const uint64_t left = reports[range].frames.UnclaimedFrom(from);
            if (left > most) most = left, busiest = range;
        }
        if (most < 2 * least) return false;
        FrameSpan taken;
        // Lost to the job or to another taker meanwhile: look again.
        if (!reports[busiest].frames.TakeBack(least, from, taken)) continue;
        index = counters->count.fetch_add(1);
        reports[index].frames.Assign(taken);
        return true;
    }
}

bool RangeBoard::WorkLeft(uint64_t frames) const {
    if (counters->started.load() < split) return true;
    for (size_t range = 0; range < Count(); ++range)
        if (reports[range].frames.Unclaimed() >= frames) return true;
    return false;
}

std::vector<FrameSpan> SplitFrames(uint64_t count, unsigned jobs) {
    std::vector<FrameSpan> spans;
    if (count == 0 || jobs == 0) return spans;
    const uint64_t shares = std::min<uint64_t>(count, jobs);
    uint64_t first = 0;
    for (uint64_t share = 0; share < shares; ++share) {
        const uint64_t length = count / shares + (share < count % shares ? 1 : 0);
        spans.push_back({first, first + length - 1});
        first += length;
    }
    return spans;
}

int RunCaptureJobs(const CaptureOptions& options) {
    if (options.jobs <= 1) return RunCapture(options);
    std::vector<FrameSpan> spans = SplitFrames(FramesToRun(options), options.jobs * RangesPerJob);
    if (spans.size() <= 1) return RunCapture(options);
    return SplitCapture(options, std::move(spans)).Run();
}
