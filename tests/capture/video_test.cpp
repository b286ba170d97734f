// The ffmpeg pipe on its own: frames and music in, an MP4 with a video and a looped sound track
// of the picture's length out. Needs Debian's ffmpeg and ffprobe, as the tool does.
#include "capturerun.h"
#include "videoencoder.h"

#include <gtest/gtest.h>

#include <unistd.h>

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
    std::vector<uint8_t> rgb(33 * 25 * 3);
    for (int frame = 0; frame < 60; ++frame) {
        for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(frame * 4 + i % 7);
        ASSERT_TRUE(video.Write(rgb, error)) << error;
    }
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
    std::vector<uint8_t> rgb(16 * 16 * 3, 0);
    bool written = true;
    for (int frame = 0; frame < 200 && written; ++frame) written = video.Write(rgb, error);
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
    std::vector<uint8_t> rgb(17 * 17 * 3, 90);
    for (const Case& c : cases) {
        VideoSettings settings;
        std::string error;
        ASSERT_TRUE(ParseVideoCodec(c.codec, settings, error) && ParsePixelFormat(c.pixelFormat, settings, error) &&
                    ParseAudioCodec(c.audio, settings, error) && CheckVideoSettings(settings, c.file, 17, 17, error))
            << error;
        VideoEncoder video;
        ASSERT_TRUE(video.Start(ffmpeg, folder.File(c.file), music, 17, 17, rate, settings, error)) << error;
        for (int frame = 0; frame < 3; ++frame) ASSERT_TRUE(video.Write(rgb, error)) << error;
        ASSERT_TRUE(video.Finish(error)) << c.codec << ": " << error;
        const std::string probed =
            Shell("ffprobe -v error -show_entries stream=codec_name,pix_fmt -of csv=p=0 '" + folder.File(c.file) + "'");
        EXPECT_EQ(probed.substr(0, probed.find_last_not_of(",\n") + 1), c.probed);
    }
}

TEST(VideoProgram, MissingProgramIsNotFound) {
    EXPECT_EQ(FindProgram("no-such-program-heliotropic"), "");
    EXPECT_NE(FindProgram("sh"), "");
}

}  // namespace
