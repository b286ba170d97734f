// The ffmpeg pipe on its own: frames and music in, an MP4 with a video and a looped sound track
// of the picture's length out. Needs Debian's ffmpeg and ffprobe, as the tool does.
#include "capturerun.h"
#include "pixels.h"
#include "videoencoder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "workfolder.h"

namespace {

// "codec_type duration" per stream.
std::string Streams(const std::string& file) {
    return Shell("ffprobe -v error -show_entries stream=codec_type,duration -of csv=p=0 '" + file + "'");
}

double DurationOf(const std::string& streams, const std::string& type) {
    const size_t at = streams.find(type + ",");
    return at == std::string::npos ? -1.0 : std::atof(streams.c_str() + at + type.size() + 1);
}

class VideoPipe : public ::testing::Test {
protected:
    void SetUp() override {
        ffmpeg = FindProgram("ffmpeg");
        if (ffmpeg.empty()) GTEST_SKIP() << "ffmpeg is not installed";
        // Half a second of tone: shorter than the picture, so the track must loop as the show's music does.
        music = folder.File("music.mp3");
        Shell(ffmpeg + " -v error -y -f lavfi -i sine=frequency=440:duration=0.5 -ar 44100 -ac 2 '" + music + "'");
    }
    std::string ffmpeg, music;
    TemporaryFolder folder;
};

TEST_F(VideoPipe, PictureAndLoopedMusicOfTheSameLength) {
    const std::string output = folder.File("show.mp4");
    VideoEncoder video;
    std::string error;
    FrameRate rate;
    rate.numerator = 30;
    ASSERT_TRUE(video.Start(ffmpeg, output, music, 33, 25, rate, VideoSettings(), error)) << error;
    std::vector<uint8_t> picture(video.PictureBytes());
    for (int frame = 0; frame < 60; ++frame) {
        for (size_t i = 0; i < picture.size(); ++i) picture[i] = uint8_t(frame * 4 + i % 7);
        ASSERT_TRUE(video.Write(picture, error)) << error;
    }
    // A picture of another size is refused, not written as part of the next frames.
    picture.pop_back();
    EXPECT_FALSE(video.Write(picture, error));
    ASSERT_TRUE(video.Finish(error)) << error;
    const std::string streams = Streams(output);
    EXPECT_NEAR(DurationOf(streams, "video"), 2.0, 0.05) << streams;
    EXPECT_NEAR(DurationOf(streams, "audio"), 2.0, 0.1) << streams;
}

TEST_F(VideoPipe, FfmpegFailingIsAFailure) {
    VideoEncoder video;
    std::string error;
    FrameRate rate;
    ASSERT_TRUE(video.Start(ffmpeg, folder.File("missing/folder/show.mp4"), music, 16, 16, rate, VideoSettings(), error))
        << error;
    const std::vector<uint8_t> picture(video.PictureBytes(), 0);
    bool written = true;
    for (int frame = 0; frame < 200 && written; ++frame) written = video.Write(picture, error);
    EXPECT_FALSE(video.Finish(error));
    EXPECT_NE(error.find("ffmpeg"), std::string::npos) << error;
}

TEST_F(VideoPipe, EveryCodecMakesAFileOfItsKind) {
    struct Case {
        const char* codec;
        const char* pixelFormat;
        const char* audio;
        const char* file;
        const char* probed;  // codec, pixel format, sound codec as ffprobe names them
    };
    const Case cases[] = {
        {"h264", "yuv444p", "mp3", "a.mp4", "h264,yuv444p\nmp3"},
        {"h265", "yuv420p", "aac", "b.mp4", "hevc,yuv420p\naac"},
        {"vp9", "yuv420p", "opus", "c.webm", "vp9,yuv420p\nopus"},
        {"ffv1", "yuv444p", "flac", "d.mkv", "ffv1,yuv444p\nflac"},
        {"prores", "yuv420p", "aac", "e.mov", "prores,yuv422p10le\naac"},
    };
    FrameRate rate;
    // Odd sides: shared chroma pads them, full chroma keeps them.
    for (const Case& c : cases) {
        VideoSettings settings;
        std::string error;
        ASSERT_TRUE(ParseVideoCodec(c.codec, settings, error) && ParsePixelFormat(c.pixelFormat, settings, error) &&
                    ParseAudioCodec(c.audio, settings, error) && CheckVideoSettings(settings, c.file, 17, 17, error))
            << error;
        VideoEncoder video;
        ASSERT_TRUE(video.Start(ffmpeg, folder.File(c.file), music, 17, 17, rate, settings, error)) << error;
        const std::vector<uint8_t> picture(video.PictureBytes(), 90);
        for (int frame = 0; frame < 3; ++frame) ASSERT_TRUE(video.Write(picture, error)) << error;
        ASSERT_TRUE(video.Finish(error)) << c.codec << ": " << error;
        const std::string probed =
            Shell("ffprobe -v error -show_entries stream=codec_name,pix_fmt -of csv=p=0 '" + folder.File(c.file) + "'");
        EXPECT_EQ(probed.substr(0, probed.find_last_not_of(",\n") + 1), c.probed);
    }
}

TEST_F(VideoPipe, ColoursComeBackAsDrawn) {
    // Every level of the 5-6-5 channels and their mixtures, through the capture's own YUV and
    // ffmpeg's lossless encoder, decoded by ffmpeg as players do: within a level of rounding.
    const unsigned width = 64, height = 16;
    std::vector<uint16_t> pixels(width * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint16_t(i * 0x9E37u + (i >> 6) * 0x0841u);
    platform::FrameImage frame{};
    frame.pixels = pixels.data();
    frame.pitch = width * 2;
    frame.width = width;
    frame.height = height;
    frame.format.dwFlags = DDPF_RGB;
    frame.format.dwRGBBitCount = 16;
    frame.format.dwRBitMask = 0xF800;
    frame.format.dwGBitMask = 0x07E0;
    frame.format.dwBBitMask = 0x001F;
    VideoSettings settings;
    std::string error;
    ASSERT_TRUE(ParseVideoCodec("ffv1", settings, error) && ParsePixelFormat("yuv444p", settings, error)) << error;
    const std::string output = folder.File("colours.mkv");
    VideoEncoder video;
    FrameRate rate;
    ASSERT_TRUE(video.Start(ffmpeg, output, "", width, height, rate, settings, error)) << error;
    ASSERT_FALSE(video.TakesRgb());
    std::vector<uint8_t> rgb, yuv;
    ASSERT_TRUE(FrameToYuv(frame, false, yuv));
    ASSERT_TRUE(video.Write(yuv, error)) << error;
    ASSERT_TRUE(video.Finish(error)) << error;
    ASSERT_TRUE(ConvertToRgb(frame, rgb));
    const std::string decoded = Shell(ffmpeg + " -v error -i '" + output + "' -f rawvideo -pix_fmt rgb24 -");
    ASSERT_EQ(decoded.size(), rgb.size());
    int worst = 0;
    for (size_t i = 0; i < rgb.size(); ++i) worst = std::max(worst, std::abs(int(uint8_t(decoded[i])) - int(rgb[i])));
    EXPECT_LE(worst, 3);
}

TEST(VideoProgram, MissingProgramIsNotFound) {
    EXPECT_EQ(FindProgram("no-such-program-heliotropic"), "");
    EXPECT_NE(FindProgram("sh"), "");
}

}  // namespace
