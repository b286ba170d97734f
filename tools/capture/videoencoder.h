// The show as an MP4 file: raw RGB frames piped into Debian's ffmpeg, which encodes them with
// H.264 and muxes in the music from its first byte. The video holds the show frames only (not
// the loading screen), so frame n is shown at n / fps seconds, exactly where the music is.
#pragma once

#include "musictime.h"

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// The path of a program found on PATH, or empty when there is none.
std::string FindProgram(const std::string& name);

class VideoEncoder {
public:
    VideoEncoder() = default;
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;
    ~VideoEncoder();

    // Starts ffmpeg; false with the reason when it cannot be run.
    bool Start(const std::string& ffmpeg, const std::string& output, const std::string& music, unsigned width,
               unsigned height, FrameRate rate, std::string& error);
    // One frame of width x height x 3 bytes; false (with the reason) once ffmpeg has gone away.
    bool Write(const std::vector<uint8_t>& rgb, std::string& error);
    // Closes the pipe and waits for ffmpeg; false when it did not finish cleanly.
    bool Finish(std::string& error);

private:
    // The arguments ffmpeg is given (without the program name).
    static std::vector<std::string> Arguments(const std::string& output, const std::string& music, unsigned width,
                                              unsigned height, FrameRate rate);

    pid_t child = -1;
    int pipe = -1;
};
