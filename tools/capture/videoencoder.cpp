#include "videoencoder.h"

#include "pixels.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <cstring>

extern char** environ;

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    for (;;) {
        const size_t colon = folders.find(':', start);
        std::string folder = folders.substr(start, colon - start);
        if (folder.empty()) folder = ".";
        const std::string candidate = folder + "/" + name;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (colon == std::string::npos) return "";
        start = colon + 1;
    }
}

namespace {

std::vector<std::string> Concatenated(std::vector<std::string> arguments, const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

// Starts the program with the arguments (the first is the program), its input from the given
// descriptor when there is one. False with the reason.
bool Spawn(std::vector<std::string> arguments, int input, pid_t& child, std::string& error) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input >= 0) posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    const int result = posix_spawn(&child, arguments[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result == 0) return true;
    child = -1;
    error = "cannot run " + arguments[0] + ": " + std::strerror(result);
    return false;
}

bool Wait(pid_t& child, std::string& error) {
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    child = -1;
    if (waited < 0) {
        error = std::string("lost track of ffmpeg: ") + std::strerror(errno);
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    error = WIFEXITED(status) ? "ffmpeg failed with exit code " + std::to_string(WEXITSTATUS(status))
                              : "ffmpeg ended by signal " + std::to_string(WTERMSIG(status));
    return false;
}

const std::vector<std::string> Quiet = {"-hide_banner", "-loglevel", "error", "-nostdin", "-y"};

// The show loops the music, so the sound track does too, ended with the picture.
std::vector<std::string> LoopedMusic(const std::string& music) { return {"-stream_loop", "-1", "-i", music}; }

}  // namespace

VideoEncoder::~VideoEncoder() {
    std::string ignored;
    if (child > 0) Finish(ignored);
}

bool VideoEncoder::Start(const std::string& ffmpeg, const std::string& output, const std::string& music,
                         unsigned width, unsigned height, FrameRate rate, const VideoSettings& settings,
                         std::string& error) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string fps = std::to_string(rate.numerator) + "/" + std::to_string(rate.denominator);
    const std::string input = InputPixelFormat(settings);
    takesRgb = input == "rgb24";
    halvesChroma = input == "yuv420p";
    pictureBytes = takesRgb ? size_t(width) * height * 3 : YuvBytes(width, height, halvesChroma);
    std::vector<std::string> arguments = Concatenated({ffmpeg}, Quiet);
    arguments = Concatenated(arguments, {"-f", "rawvideo", "-pixel_format", input, "-video_size", size,
                                         "-framerate", fps, "-i", "pipe:0"});
    if (!music.empty()) {
        arguments = Concatenated(arguments, LoopedMusic(music));
        arguments = Concatenated(arguments, {"-map", "0:v:0", "-map", "1:a:0"});
    }
    arguments = Concatenated(arguments, VideoCodecArguments(settings));
    if (!music.empty()) {
        arguments = Concatenated(arguments, AudioCodecArguments(settings));
        arguments = Concatenated(arguments, ContainerArguments(settings, output));
        arguments.push_back("-shortest");
    }
    arguments.push_back(output);

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
        return false;
    }
    const bool started = Spawn(arguments, ends[0], child, error);
    ::close(ends[0]);
    if (!started) {
        ::close(ends[1]);
        return false;
    }
    pipe = ends[1];
    // Room for a whole frame, or the most a user may ask for (1 MiB by default): with 64 KiB
    // both sides were woken a dozen times a frame. Refused, the pipe works as it is, only slower.
    const int frameBytes = int(std::min<uint64_t>(pictureBytes, 1u << 30));
    if (::fcntl(pipe, F_GETPIPE_SZ) < frameBytes && ::fcntl(pipe, F_SETPIPE_SZ, frameBytes) < 0)
        ::fcntl(pipe, F_SETPIPE_SZ, std::min(frameBytes, 1 << 20));
    // A closed pipe must come back as an error from write, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool VideoEncoder::Write(const std::vector<uint8_t>& picture, std::string& error) {
    if (pipe < 0) {
        error = "ffmpeg is not running";
        return false;
    }
    // A picture of another size would shift every frame after it.
    if (picture.size() != pictureBytes) {
        error = "a picture of " + std::to_string(picture.size()) + " bytes for a video that takes " +
                std::to_string(pictureBytes);
        return false;
    }
    const uint8_t* at = picture.data();
    size_t left = picture.size();
    while (left > 0) {
        const ssize_t written = ::write(pipe, at, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            error = std::string("ffmpeg stopped taking frames (") + std::strerror(errno) + "); see its message above";
            return false;
        }
        at += written;
        left -= size_t(written);
    }
    return true;
}

bool VideoEncoder::Finish(std::string& error) {
    if (pipe >= 0) ::close(pipe);
    pipe = -1;
    if (child <= 0) return false;
    return Wait(child, error);
}

SoundTrackEncoder::~SoundTrackEncoder() {
    // Unfinished, the track is not wanted any more.
    if (child <= 0) return;
    kill(child, SIGTERM);
    std::string ignored;
    Wait(child, ignored);
}

bool SoundTrackEncoder::Start(const std::string& ffmpeg, const std::string& music, double seconds,
                              const std::string& output, const VideoSettings& settings, std::string& error) {
    char length[32];
    std::snprintf(length, sizeof length, "%.6f", seconds);
    std::vector<std::string> arguments = Concatenated({ffmpeg}, Quiet);
    arguments = Concatenated(arguments, LoopedMusic(music));
    arguments = Concatenated(arguments, {"-map", "0:a:0"});
    arguments = Concatenated(arguments, AudioCodecArguments(settings));
    arguments = Concatenated(arguments, {"-t", length, output});
    return Spawn(arguments, -1, child, error);
}

bool SoundTrackEncoder::Finish(std::string& error) {
    if (child <= 0) {
        error = "the sound track was not started";
        return false;
    }
    if (Wait(child, error)) return true;
    error = "encoding the sound track: " + error;
    return false;
}

bool JoinVideoParts(const std::string& ffmpeg, const std::vector<VideoPart>& parts, FrameRate rate,
                    const std::string& listFile, const std::string& soundTrack, const std::string& output,
                    const VideoSettings& settings, std::string& error) {
    FILE* list = std::fopen(listFile.c_str(), "w");
    if (list == nullptr) {
        error = "cannot write " + listFile + ": " + std::strerror(errno);
        return false;
    }
    for (const VideoPart& part : parts) {
        // Quoted for ffmpeg's list: a quote inside the name becomes '\''.
        std::string quoted;
        for (char c : part.path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        // Each part's length, given rather than read from the part: a part that starts with a
        // delay for reordered frames would otherwise push the next one a frame late.
        const double seconds = double(part.frames) * double(rate.denominator) / double(rate.numerator);
        std::fprintf(list, "file '%s'\nduration %.6f\n", quoted.c_str(), seconds);
    }
    if (std::fclose(list) != 0) {
        error = "cannot write " + listFile + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::string> arguments = Concatenated({ffmpeg}, Quiet);
    arguments = Concatenated(arguments, {"-f", "concat", "-safe", "0", "-i", listFile});
    arguments = Concatenated(arguments, {"-i", soundTrack, "-map", "0:v:0", "-map", "1:a:0", "-c", "copy"});
    arguments = Concatenated(arguments, ContainerArguments(settings, output));
    arguments = Concatenated(arguments, {"-shortest", output});
    pid_t child = -1;
    if (!Spawn(arguments, -1, child, error)) return false;
    if (Wait(child, error)) return true;
    error = "joining the video's parts: " + error;
    return false;
}
