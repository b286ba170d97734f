// The command line: values, defaults, combinations and the messages for bad input.
#include "options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace {

bool Parse(std::vector<const char*> arguments, CaptureOptions& options, std::string& error) {
    arguments.insert(arguments.begin(), "heliotropic-capture");
    return ParseOptions(int(arguments.size()), arguments.data(), options, error);
}

TEST(CaptureOptions, DefaultsMatchTheDialogsFirstChoices) {
    CaptureOptions options;
    std::string error;
    ASSERT_TRUE(Parse({}, options, error));
    EXPECT_EQ(options.width, 640u);
    EXPECT_EQ(options.height, 480u);
    EXPECT_EQ(options.bits, 16u);
    EXPECT_EQ(options.rate.numerator, 60u);
    EXPECT_TRUE(options.dithering && options.perspectiveCorrection && options.textureFiltering);
    EXPECT_FALSE(options.Stills());
}

TEST(CaptureOptions, ReadsEveryOptionInBothSpellings) {
    CaptureOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--size", "160x120", "--bits=32", "--fps", "30000/1001", "--device", "Soft Device", "--no-dither",
                       "--no-perspective", "--no-filtering", "--frames=out", "--trace", "t.jsonl", "--trace-frames",
                       "-202--1", "--stats", "--until", "9500000", "--at", "9000000,4000000", "--at-seconds", "1.5",
                       "--loading", "150,7,150"},
                      options, error))
        << error;
    EXPECT_EQ(options.width, 160u);
    EXPECT_EQ(options.height, 120u);
    EXPECT_EQ(options.bits, 32u);
    EXPECT_EQ(options.rate.denominator, 1001u);
    EXPECT_EQ(options.device, "Soft Device");
    EXPECT_FALSE(options.dithering || options.perspectiveCorrection || options.textureFiltering);
    EXPECT_EQ(options.framesDir, "out");
    EXPECT_EQ(options.traceFile, "t.jsonl");
    EXPECT_EQ(options.traceFrames.First(), -202);
    EXPECT_EQ(options.traceFrames.Last(), -1);
    EXPECT_TRUE(options.stats);
    EXPECT_EQ(options.until, 9500000u);
    // Stills come out in order, whichever option and order they were given in.
    EXPECT_EQ(options.stills, (std::vector<uint64_t>{264600, 4000000, 9000000}));
    EXPECT_EQ(options.loadingStills, (std::vector<uint64_t>{7, 150}));
}

TEST(CaptureOptions, FrameRangesTakeSignsOnEitherSide) {
    FrameRange range;
    std::string error;
    ASSERT_TRUE(ParseFrameRange("100-200", range, error));
    EXPECT_TRUE(range.Holds(100) && range.Holds(200) && !range.Holds(99) && !range.Holds(201));
    ASSERT_TRUE(ParseFrameRange("-5", range, error));
    EXPECT_TRUE(range.Holds(-5) && !range.Holds(-4) && !range.Holds(5));
    ASSERT_TRUE(ParseFrameRange("-3-2", range, error));
    EXPECT_TRUE(range.Holds(-3) && range.Holds(0) && range.Holds(2) && !range.Holds(3));
    ASSERT_TRUE(ParseFrameRange("7000-", range, error));
    EXPECT_TRUE(range.Holds(1000000) && !range.Holds(6999));
    for (const char* bad : {"", "-", "5-3", "a-b", "1--", "--1", "1-2-3"}) EXPECT_FALSE(ParseFrameRange(bad, range, error)) << bad;

    FrameSelection selection;
    EXPECT_TRUE(selection.Holds(-202) && selection.Holds(1 << 30)) << "no ranges: every frame";
    ASSERT_TRUE(ParseFrameSelection("600,1200-1210,-1", selection, error));
    EXPECT_TRUE(selection.Holds(600) && selection.Holds(1205) && selection.Holds(-1));
    EXPECT_FALSE(selection.Holds(601) || selection.Holds(1211) || selection.Holds(0));
    EXPECT_EQ(selection.First(), -1);
    EXPECT_EQ(selection.Last(), 1210);
    EXPECT_FALSE(ParseFrameSelection("600,", selection, error));
}

TEST(CaptureOptions, BadInputIsRefusedWithTheOptionNamed) {
    struct Case {
        std::vector<const char*> arguments;
        const char* mentions;
    };
    const Case cases[] = {
        {{"--size", "640"}, "size"},
        {{"--size", "0x480"}, "size"},
        {{"--size", "640x480x"}, "size"},
        {{"--size", "99999x2"}, "size"},
        {{"--size", "4097x480"}, "1 to 4096"},
        {{"--at", "43000001"}, "past the end of the capture (43000000)"},
        {{"--at", "2000001", "--until", "2000000"}, "past the end of the capture (2000000)"},
        {{"--bits", "24"}, "bits"},
        {{"--fps", "0"}, "frame rate"},
        {{"--at", "1,,2"}, "position"},
        {{"--at-seconds", "x"}, "time"},
        {{"--loading", "-1"}, "loading frame"},
        {{"--until"}, "--until"},
        {{"--video", ""}, "--video"},
        {{"--stats=yes"}, "--stats"},
        {{"--whatever"}, "--whatever"},
        {{"--at", "5", "--video", "a.mp4"}, "--video"},
    };
    for (const Case& c : cases) {
        CaptureOptions options;
        std::string error;
        EXPECT_FALSE(Parse(c.arguments, options, error)) << c.mentions;
        EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    }
    CaptureOptions largest;
    std::string error;
    EXPECT_TRUE(Parse({"--size", "4096x4096", "--at", "43000000"}, largest, error)) << error;
}

TEST(CaptureOptions, VideoJobsAndSupersampleValuesDefaultsAndMistakes) {
    CaptureOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--video", "show.mkv", "--codec", "vp9", "--crf=40", "--pixel-format", "yuv444p",
                       "--audio-codec", "opus", "--audio-bitrate", "96k", "--supersample", "3", "--size", "320x200",
                       "--jobs", "5"},
                      options, error))
        << error;
    EXPECT_EQ(options.video.codec, "vp9");
    EXPECT_EQ(options.video.Crf(), 40u);
    EXPECT_EQ(options.video.pixelFormat, "yuv444p");
    EXPECT_EQ(options.video.audioCodec, "opus");
    EXPECT_EQ(options.video.AudioKbps(), 96u);
    EXPECT_EQ(options.RenderWidth(), 960u);
    EXPECT_EQ(options.RenderHeight(), 600u);
    EXPECT_EQ(options.jobs, 5u);

    // Video-site defaults; one job a core for a capture of every frame, one for anything else.
    CaptureOptions defaults;
    ASSERT_TRUE(Parse({"--video", "show.mp4"}, defaults, error)) << error;
    EXPECT_EQ(defaults.video.codec, "h264");
    EXPECT_EQ(defaults.video.Crf(), 18u);
    EXPECT_EQ(defaults.video.pixelFormat, "yuv420p");
    EXPECT_EQ(defaults.video.audioCodec, "aac");
    EXPECT_EQ(defaults.video.AudioKbps(), 192u);
    EXPECT_EQ(defaults.supersample, 1u);
    EXPECT_EQ(defaults.jobs, std::clamp(std::thread::hardware_concurrency(), 1u, MaxJobs));
    CaptureOptions traced;
    ASSERT_TRUE(Parse({"--frames", "out", "--trace", "t.jsonl"}, traced, error)) << error;
    EXPECT_EQ(traced.jobs, 1u);

    struct Case {
        std::vector<const char*> arguments;
        const char* mentions;
    };
    const Case cases[] = {
        {{"--video", "a.mp4", "--codec", "mpeg2"}, "--codec 'mpeg2' must be h264, h265, vp9, ffv1 or prores"},
        {{"--video", "a.mp4", "--crf", "-1"}, "--crf '-1'"},
        {{"--video", "a.mp4", "--crf", "52"}, "past h264's largest, 51"},
        {{"--video", "a.mkv", "--codec", "ffv1", "--crf", "0"}, "lossless"},
        {{"--video", "a.mkv", "--codec", "prores", "--crf", "10"}, "--crf does not apply to prores"},
        {{"--video", "a.mp4", "--pixel-format", "rgb24"}, "yuv420p or yuv444p"},
        {{"--video", "a.mp4", "--audio-codec", "wav"}, "--audio-codec 'wav'"},
        {{"--video", "a.mp4", "--audio-bitrate", "16k"}, "32k to 512k"},
        {{"--video", "a.mp4", "--audio-bitrate", "fast"}, "--audio-bitrate 'fast'"},
        {{"--video", "a.mkv", "--audio-codec", "flac", "--audio-bitrate", "320k"}, "does not apply to flac"},
        {{"--video", "a.mp4", "--codec", "ffv1"}, "a .mp4 file cannot hold ffv1 video with aac sound"},
        {{"--video", "a.webm"}, "a .webm file cannot hold h264"},
        {{"--video", "a.avi"}, "must end in .mp4, .mov, .mkv or .webm"},
        {{"--video", "a.mp4", "--codec", "h265", "--size", "640x8"}, "h265 needs a picture of at least 16x16"},
        {{"--frames", "out", "--codec", "h265"}, "go with --video"},
        {{"--supersample", "5"}, "must be 2, 3 or 4"},
        {{"--supersample", "2", "--size", "2049x100"}, "renders 2049x100 at 4098x200, past the display's largest"},
        {{"--jobs", "0"}, "--jobs '0'"},
        {{"--jobs", "65"}, "1 to 64"},
        {{"--jobs", "2", "--frames", "out", "--stats"}, "--jobs splits a capture of every frame"},
        {{"--jobs", "2", "--at", "5"}, "--jobs splits"},
    };
    for (const Case& c : cases) {
        CaptureOptions refused;
        EXPECT_FALSE(Parse(c.arguments, refused, error)) << c.mentions;
        EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    }
}

}  // namespace
