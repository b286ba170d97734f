#include "videoencoder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
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

std::vector<std::string> VideoEncoder::Arguments(const std::string& output, const std::string& music, unsigned width,
                                                 unsigned height, FrameRate rate) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string fps = std::to_string(rate.numerator) + "/" + std::to_string(rate.denominator);
    return {
        "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        "-f", "rawvideo", "-pixel_format", "rgb24", "-video_size", size, "-framerate", fps, "-i", "pipe:0",
        // The show loops the music, so the sound track does too; -shortest ends it with the picture.
        "-stream_loop", "-1", "-i", music,
        "-map", "0:v:0", "-map", "1:a:0",
        // H.264 in 4:2:0 needs even sides; an odd size gains one black row or column.
        "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2",
        "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p",
        "-c:a", "aac", "-b:a", "192k",
        "-shortest", "-movflags", "+faststart", output,
    };
}

VideoEncoder::~VideoEncoder() {
    std::string ignored;
    if (child > 0) Finish(ignored);
}

bool VideoEncoder::Start(const std::string& ffmpeg, const std::string& output, const std::string& music,
                         unsigned width, unsigned height, FrameRate rate, std::string& error) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
        return false;
    }
    std::vector<std::string> arguments = Arguments(output, music, width, height, rate);
    arguments.insert(arguments.begin(), ffmpeg);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    const int result = posix_spawn(&child, ffmpeg.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[0]);
    if (result != 0) {
        ::close(ends[1]);
        child = -1;
        error = "cannot run " + ffmpeg + ": " + std::strerror(result);
        return false;
    }
    pipe = ends[1];
    // A closed pipe must come back as an error from write, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool VideoEncoder::Write(const std::vector<uint8_t>& rgb, std::string& error) {
    if (pipe < 0) {
        error = "ffmpeg is not running";
        return false;
    }
    const uint8_t* at = rgb.data();
    size_t left = rgb.size();
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
