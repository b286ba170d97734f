// How the video is encoded: the codecs, quality and pixel format asked for on the command line,
// checked against each other and the container the file name picks, and turned into ffmpeg's
// arguments.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct VideoSettings {
    std::string codec = "h264";         // h264 | h265 | vp9 | ffv1 | prores
    std::optional<unsigned> crf;        // quality for h264, h265 and vp9; 18 when not given
    std::string pixelFormat = "yuv420p";  // yuv420p | yuv444p
    std::string audioCodec = "aac";     // aac | opus | mp3 | flac
    std::optional<unsigned> audioKbps;  // lossy audio only; 192 when not given
    unsigned encoderThreads = 0;        // 0: as many as the encoder likes

    unsigned Crf() const { return crf.value_or(18); }
    unsigned AudioKbps() const { return audioKbps.value_or(192); }
};

// Each false with a message naming the option and the values it takes.
bool ParseVideoCodec(const std::string& text, VideoSettings& settings, std::string& error);
bool ParseCrf(const std::string& text, VideoSettings& settings, std::string& error);
bool ParsePixelFormat(const std::string& text, VideoSettings& settings, std::string& error);
bool ParseAudioCodec(const std::string& text, VideoSettings& settings, std::string& error);
bool ParseAudioBitrate(const std::string& text, VideoSettings& settings, std::string& error);

// Whether the settings go together, with the container the file's extension names and with
// the picture's size.
bool CheckVideoSettings(const VideoSettings& settings, const std::string& videoFile, unsigned width, unsigned height,
                        std::string& error);

// ffmpeg's output arguments for the picture (padding to the sides the pixel format needs, the
// encoder and its quality) and for the sound.
std::vector<std::string> VideoCodecArguments(const VideoSettings& settings);
// The pixel format ffmpeg is handed the picture in: the one the codec encodes, or rgb24 for
// ProRes, whose 10-bit formats the capture does not make.
std::string InputPixelFormat(const VideoSettings& settings);
std::vector<std::string> AudioCodecArguments(const VideoSettings& settings);
// What the container of this file needs beside the codecs (the index first in MP4 and MOV).
std::vector<std::string> ContainerArguments(const VideoSettings& settings, const std::string& videoFile);

// The sound track's bytes for so many seconds, for the size estimate; 0 when it cannot be told.
uint64_t AudioBytes(const VideoSettings& settings, double seconds);
