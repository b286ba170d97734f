// The show as a video file: raw frames piped into Debian's ffmpeg, which encodes them with
// the codecs asked for and muxes in the music from its first byte. The video holds the show
// frames only (not the loading screen), so frame n is shown at n / fps seconds, exactly where
// the music is.
#pragma once

#include "musictime.h"
#include "videosettings.h"

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

    // Starts ffmpeg; false with the reason when it cannot be run. With no music the output is
    // a picture-only part of a video, in a container of ffmpeg's own that keeps every frame's
    // time exact, to be joined by JoinVideoParts.
    bool Start(const std::string& ffmpeg, const std::string& output, const std::string& music, unsigned width,
               unsigned height, FrameRate rate, const VideoSettings& settings, std::string& error);
    // The picture ffmpeg takes: planar YUV in the pixel format the codec encodes (see FrameToYuv),
    // so that ffmpeg has nothing to convert, or packed RGB for the codecs whose pixel formats
    // the capture does not make (ProRes).
    bool TakesRgb() const { return takesRgb; }
    bool HalvesChroma() const { return halvesChroma; }
    // One frame of PictureBytes() bytes; false (with the reason) once ffmpeg has gone away.
    bool Write(const std::vector<uint8_t>& picture, std::string& error);
    size_t PictureBytes() const { return pictureBytes; }
    // Closes the pipe and waits for ffmpeg; false when it did not finish cleanly.
    bool Finish(std::string& error);

private:
    pid_t child = -1;
    int pipe = -1;
    bool takesRgb = true;
    bool halvesChroma = false;
    size_t pictureBytes = 0;
};

// The file name extension of a picture-only part.
constexpr const char VideoPartExtension[] = ".nut";

struct VideoPart {
    std::string path;
    uint64_t frames = 0;
};

// The music under a video made of parts, looped to the video's length and encoded as the
// settings ask: made while the parts are still being drawn, so that the join only copies.
class SoundTrackEncoder {
public:
    SoundTrackEncoder() = default;
    SoundTrackEncoder(const SoundTrackEncoder&) = delete;
    SoundTrackEncoder& operator=(const SoundTrackEncoder&) = delete;
    ~SoundTrackEncoder();

    // Starts ffmpeg on the track; false with the reason when it cannot be run.
    bool Start(const std::string& ffmpeg, const std::string& music, double seconds, const std::string& output,
               const VideoSettings& settings, std::string& error);
    // Waits for the track; false when ffmpeg did not finish cleanly.
    bool Finish(std::string& error);

private:
    pid_t child = -1;
};

// The file name extension of an encoded sound track; the container takes every audio codec.
constexpr const char SoundTrackExtension[] = ".mka";

// Joins the parts, in order, into one video with the sound track under it, copying both as they
// are. listFile is written with the parts' names and lengths for ffmpeg. False with the reason.
bool JoinVideoParts(const std::string& ffmpeg, const std::vector<VideoPart>& parts, FrameRate rate,
                    const std::string& listFile, const std::string& soundTrack, const std::string& output,
                    const VideoSettings& settings, std::string& error);
