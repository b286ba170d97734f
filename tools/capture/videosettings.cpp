#include "videosettings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

struct Codec {
    const char* name;
    const char* encoder;
    unsigned maxCrf;  // 0: lossless or fixed-quality, no --crf
};
const Codec codecs[] = {
    {"h264", "libx264", 51}, {"h265", "libx265", 51}, {"vp9", "libvpx-vp9", 63},
    {"ffv1", "ffv1", 0},     {"prores", "prores_ks", 0},
};

struct AudioCodec {
    const char* name;
    const char* encoder;
    bool lossy;
};
const AudioCodec audioCodecs[] = {
    {"aac", "aac", true}, {"opus", "libopus", true}, {"mp3", "libmp3lame", true}, {"flac", "flac", false}};

// What each container takes, as Debian's ffmpeg writes them.
struct Container {
    const char* extension;
    std::vector<std::string> video;
    std::vector<std::string> audio;
};
const Container containers[] = {
    {".mp4", {"h264", "h265", "vp9"}, {"aac", "opus", "mp3"}},
    {".mov", {"h264", "h265", "ffv1", "prores"}, {"aac", "mp3"}},
    {".mkv", {"h264", "h265", "vp9", "ffv1", "prores"}, {"aac", "opus", "mp3", "flac"}},
    {".webm", {"vp9"}, {"opus"}},
};

constexpr unsigned MinAudioKbps = 32, MaxAudioKbps = 512;
// x265 refuses anything smaller.
constexpr unsigned MinH265Side = 16;

const Codec& CodecOf(const VideoSettings& settings) {
    for (const Codec& codec : codecs)
        if (settings.codec == codec.name) return codec;
    return codecs[0];
}

const AudioCodec& AudioCodecOf(const VideoSettings& settings) {
    for (const AudioCodec& codec : audioCodecs)
        if (settings.audioCodec == codec.name) return codec;
    return audioCodecs[0];
}

const Container* ContainerOf(const std::string& file) {
    const size_t dot = file.rfind('.');
    if (dot == std::string::npos || file.find('/', dot) != std::string::npos) return nullptr;
    std::string extension = file.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (const Container& container : containers)
        if (extension == container.extension) return &container;
    return nullptr;
}

bool Holds(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool ParseWhole(const std::string& text, unsigned long limit, unsigned& value) {
    if (text.empty() || text.size() > 6) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    const unsigned long parsed = std::strtoul(text.c_str(), nullptr, 10);
    if (parsed > limit) return false;
    value = unsigned(parsed);
    return true;
}

}  // namespace

bool ParseVideoCodec(const std::string& text, VideoSettings& settings, std::string& error) {
    for (const Codec& codec : codecs)
        if (text == codec.name) {
            settings.codec = text;
            return true;
        }
    error = "--codec '" + text + "' must be h264, h265, vp9, ffv1 or prores";
    return false;
}

bool ParseCrf(const std::string& text, VideoSettings& settings, std::string& error) {
    unsigned crf = 0;
    if (!ParseWhole(text, 63, crf)) {
        error = "--crf '" + text + "' must be a whole number, 0 to 51 (0 to 63 for vp9)";
        return false;
    }
    settings.crf = crf;
    return true;
}

bool ParsePixelFormat(const std::string& text, VideoSettings& settings, std::string& error) {
    if (text != "yuv420p" && text != "yuv444p") {
        error = "--pixel-format '" + text + "' must be yuv420p or yuv444p";
        return false;
    }
    settings.pixelFormat = text;
    return true;
}

bool ParseAudioCodec(const std::string& text, VideoSettings& settings, std::string& error) {
    for (const AudioCodec& codec : audioCodecs)
        if (text == codec.name) {
            settings.audioCodec = text;
            return true;
        }
    error = "--audio-codec '" + text + "' must be aac, opus, mp3 or flac";
    return false;
}

bool ParseAudioBitrate(const std::string& text, VideoSettings& settings, std::string& error) {
    // "192k" or "192": kilobits a second either way.
    const bool suffixed = !text.empty() && (text.back() == 'k' || text.back() == 'K');
    const std::string digits = suffixed ? text.substr(0, text.size() - 1) : text;
    unsigned kbps = 0;
    if (!ParseWhole(digits, MaxAudioKbps, kbps) || kbps < MinAudioKbps) {
        error = "--audio-bitrate '" + text + "' must be kilobits a second, " + std::to_string(MinAudioKbps) + "k to " +
                std::to_string(MaxAudioKbps) + "k";
        return false;
    }
    settings.audioKbps = kbps;
    return true;
}

bool CheckVideoSettings(const VideoSettings& settings, const std::string& videoFile, unsigned width, unsigned height,
                        std::string& error) {
    const Codec& codec = CodecOf(settings);
    if (settings.crf && codec.maxCrf == 0) {
        error = std::string("--crf does not apply to ") + codec.name +
                (settings.codec == "ffv1" ? ", which is lossless" : ", which has a fixed quality");
        return false;
    }
    if (settings.crf && *settings.crf > codec.maxCrf) {
        error = "--crf " + std::to_string(*settings.crf) + " is past " + codec.name + "'s largest, " +
                std::to_string(codec.maxCrf);
        return false;
    }
    if (settings.audioKbps && !AudioCodecOf(settings).lossy) {
        error = "--audio-bitrate does not apply to " + settings.audioCodec + ", which is lossless";
        return false;
    }
    if (settings.codec == "h265" && (width < MinH265Side || height < MinH265Side)) {
        error = "h265 needs a picture of at least " + std::to_string(MinH265Side) + "x" + std::to_string(MinH265Side);
        return false;
    }
    const Container* container = ContainerOf(videoFile);
    if (container == nullptr) {
        error = "--video '" + videoFile + "' must end in .mp4, .mov, .mkv or .webm (the container)";
        return false;
    }
    if (!Holds(container->video, settings.codec) || !Holds(container->audio, settings.audioCodec)) {
        error = std::string("a ") + container->extension + " file cannot hold " + settings.codec + " video with " +
                settings.audioCodec + " sound (.mkv holds every codec)";
        return false;
    }
    return true;
}

std::vector<std::string> VideoCodecArguments(const VideoSettings& settings) {
    const bool full = settings.pixelFormat == "yuv444p";
    std::vector<std::string> arguments;
    // Shared chroma needs even sides; an odd size gains one black row or column.
    if (!full) arguments = {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2"};
    const Codec& codec = CodecOf(settings);
    arguments.insert(arguments.end(), {"-c:v", codec.encoder});
    if (settings.encoderThreads)
        arguments.insert(arguments.end(), {"-threads", std::to_string(settings.encoderThreads)});
    const std::string crf = std::to_string(settings.Crf());
    if (settings.codec == "h264") {
        arguments.insert(arguments.end(), {"-preset", "veryfast", "-profile:v", full ? "high444" : "high", "-crf", crf,
                                           "-pix_fmt", settings.pixelFormat});
    } else if (settings.codec == "h265") {
        arguments.insert(arguments.end(), {"-preset", "fast", "-crf", crf, "-pix_fmt", settings.pixelFormat,
                                           "-x265-params", "log-level=error"});
    } else if (settings.codec == "vp9") {
        // Constant quality: the bit rate is left free.
        arguments.insert(arguments.end(), {"-crf", crf, "-b:v", "0", "-deadline", "good", "-cpu-used", "4",
                                           "-row-mt", "1", "-pix_fmt", settings.pixelFormat});
    } else if (settings.codec == "ffv1") {
        arguments.insert(arguments.end(), {"-level", "3", "-g", "1", "-pix_fmt", settings.pixelFormat});
    } else {
        // ProRes has no 4:2:0: HQ (4:2:2) by default, 4444 for full chroma, both 10-bit.
        arguments.insert(arguments.end(), {"-profile:v", full ? "4" : "3", "-vendor", "apl0", "-pix_fmt",
                                           full ? "yuv444p10le" : "yuv422p10le"});
    }
    return arguments;
}

std::string InputPixelFormat(const VideoSettings& settings) {
    return settings.codec == "prores" ? "rgb24" : settings.pixelFormat;
}

std::vector<std::string> AudioCodecArguments(const VideoSettings& settings) {
    const AudioCodec& codec = AudioCodecOf(settings);
    std::vector<std::string> arguments = {"-c:a", codec.encoder};
    if (codec.lossy) arguments.insert(arguments.end(), {"-b:a", std::to_string(settings.AudioKbps()) + "k"});
    return arguments;
}

std::vector<std::string> ContainerArguments(const VideoSettings& settings, const std::string& videoFile) {
    const Container* container = ContainerOf(videoFile);
    if (container == nullptr) return {};
    const std::string extension = container->extension;
    if (extension != ".mp4" && extension != ".mov") return {};
    std::vector<std::string> arguments = {"-movflags", "+faststart"};
    // The tag Apple's players look for.
    if (settings.codec == "h265") arguments.insert(arguments.end(), {"-tag:v", "hvc1"});
    return arguments;
}

uint64_t AudioBytes(const VideoSettings& settings, double seconds) {
    if (!AudioCodecOf(settings).lossy || seconds <= 0) return 0;
    return uint64_t(double(settings.AudioKbps()) * 1000.0 / 8.0 * seconds);
}
