// The capture tool run as a user runs it, on the baked show beside it: the virtual clock's
// positions, stills equal to the same frame of a full capture, the trace, the end of the show,
// the video, captures split between processes, supersampling, and clear failures.
#include "capturerun.h"
#include "jobs.h"
#include "musictime.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framecompare.h"
#include "workfolder.h"

namespace {

class ShowCapture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CaptureProgramReady()) GTEST_SKIP() << "needs heliotropic-capture and the baked data beside the tests";
    }
    TemporaryFolder temporary;
    const std::string folder = temporary.path;
};

TEST_F(ShowCapture, EachFrameAdvancesTheMusicByOneFrameOfAudio) {
    for (const char* fps : {"60", "50"}) {
        const std::string trace = folder + "/clock" + fps + ".jsonl";
        const Outcome run = Capture(std::string("--size 64x48 --fps ") + fps + " --until 12000 --trace " + trace);
        ASSERT_EQ(run.code, 0) << run.output;
        FrameRate rate;
        std::string error;
        ASSERT_TRUE(ParseFrameRate(fps, rate, error));
        std::vector<double> positions, deltas;
        for (const std::string& line : Lines(trace)) {
            if (Call(line) != "Frame" || line.find("\"loading\"") != std::string::npos) continue;
            EXPECT_EQ(Field(line, "frame"), double(positions.size()));
            EXPECT_EQ(Field(line, "pos"), Field(line, "musicPosition")) << line;
            positions.push_back(Field(line, "musicPosition"));
            deltas.push_back(Field(line, "frameDelta"));
        }
        // 12,000 bytes is first passed by frame 5 at 60 (14,700) and by frame 4 at 50 (14,112).
        ASSERT_EQ(positions.size(), std::string(fps) == "60" ? 6u : 5u) << fps;
        for (size_t n = 0; n < positions.size(); ++n) {
            EXPECT_EQ(positions[n], double(PositionOfFrame(n, rate))) << fps << " frame " << n;
        }
        EXPECT_EQ(positions[1], std::string(fps) == "60" ? 2940.0 : 3528.0);
        // The director's own clock: no delta on the first frame, one frame's audio on the next.
        EXPECT_EQ(deltas[0], 0.0);
        EXPECT_NEAR(deltas[1], positions[1] / 1580.0 / 110.0, 1e-6);
    }
}

TEST_F(ShowCapture, LoadingFramesComeFirstAndEveryFrameIsBracketed) {
    const std::string trace = folder + "/frames.jsonl";
    const Outcome run = Capture("--size 64x48 --until 3000 --trace " + trace);
    ASSERT_EQ(run.code, 0) << run.output;
    const std::vector<std::string> lines = Lines(trace);
    ASSERT_FALSE(lines.empty());
    // Loading frames are numbered back from -1 and carry no music position.
    EXPECT_NE(lines.front().find("\"loading\":true,\"pos\":null"), std::string::npos) << lines.front();
    double lastLoading = 0, firstShow = NAN;
    int loadingFrames = 0;
    for (const std::string& line : lines) {
        const bool loading = line.find("\"loading\":true") != std::string::npos;
        if (Call(line) == "Frame" && loading) {
            ++loadingFrames;
            lastLoading = Field(line, "frame");
        }
        if (!loading && std::isnan(firstShow)) firstShow = Field(line, "frame");
        if (!loading) {
            EXPECT_GE(Field(line, "frame"), 0.0) << line;
        }
    }
    EXPECT_EQ(lastLoading, -1.0);
    EXPECT_EQ(loadingFrames, 202) << "101 frames of fade-in and 101 of fade-out";
    EXPECT_EQ(firstShow, 0.0);
    // A show frame: the Frame line, then the clear of colour and depth, then BeginScene; EndScene last.
    std::vector<std::string> frame0;
    for (const std::string& line : lines)
        if (line.rfind("{\"frame\":0,", 0) == 0) frame0.push_back(line);
    ASSERT_GE(frame0.size(), 4u);
    EXPECT_EQ(Call(frame0[0]), "Frame");
    EXPECT_EQ(Call(frame0[1]), "Clear");
    EXPECT_EQ(Field(frame0[1], "flags"), 3.0);
    EXPECT_EQ(Field(frame0[1], "colour"), 0.0);
    EXPECT_EQ(Call(frame0[2]), "BeginScene");
    EXPECT_EQ(Call(frame0.back()), "EndScene");
}

TEST_F(ShowCapture, StillEqualsTheSameFrameOfAFullCapture) {
    // Deep enough into the show that clocks, counters and object states have moved on.
    const std::string position = "6200000";
    const Outcome still = Capture("--size 96x72 --fps 12 --at " + position + " --frames " + folder + "/still");
    ASSERT_EQ(still.code, 0) << still.output;
    const Outcome full = Capture("--size 96x72 --fps 12 --until " + position + " --frames " + folder + "/full");
    ASSERT_EQ(full.code, 0) << full.output;

    FrameRate rate;
    rate.numerator = 12;
    char name[64];
    std::snprintf(name, sizeof name, "/full/frame_%06llu.png",
                  (unsigned long long)FirstFrameAtOrPast(std::stoull(position), rate));
    RgbFrame stillFrame, fullFrame;
    std::string error;
    ASSERT_TRUE(ReadPngFrame(folder + "/still/pos_" + position + ".png", stillFrame, error)) << error;
    ASSERT_TRUE(ReadPngFrame(folder + name, fullFrame, error)) << error;
    EXPECT_EQ(stillFrame.width, 96u);
    EXPECT_EQ(stillFrame.height, 72u);
    EXPECT_TRUE(stillFrame.rgb == fullFrame.rgb) << "the still differs from frame " << name << " of the full capture";
    // The full capture stopped at that frame: nothing after it was written.
    std::snprintf(name, sizeof name, "/full/frame_%06llu.png",
                  (unsigned long long)FirstFrameAtOrPast(std::stoull(position), rate) + 1);
    EXPECT_NE(access((folder + name).c_str(), F_OK), 0);
}

TEST_F(ShowCapture, WholeShowReachesItsEnd) {
    const std::string trace = folder + "/end.jsonl";
    FrameRate rate;
    rate.numerator = 30;
    const uint64_t last = FirstFrameAtOrPast(43000000, rate);
    // Only the last frame is drawn (as a still), so the whole show runs in seconds; every frame
    // before it is still run and counted.
    const Outcome run = Capture("--size 160x120 --fps 30 --stats --at 43000000 --frames " + folder + " --trace " +
                                trace + " --trace-frames " + std::to_string(last - 1) + "-");
    ASSERT_EQ(run.code, 0) << run.output;
    // Statistics: one line per show frame, then a summary row for every segment and the whole run.
    std::istringstream output(run.output);
    uint64_t frameLines = 0;
    std::vector<std::string> rows;
    for (std::string line; std::getline(output, line);) {
        unsigned long long frame, position;
        if (std::sscanf(line.c_str(), "%llu\t%llu\t", &frame, &position) == 2 && line.find('\t') != std::string::npos) {
            EXPECT_EQ(frame, frameLines);
            ++frameLines;
        } else if (!line.empty() && line.find('\t') == std::string::npos) {
            rows.push_back(line.substr(0, line.find(' ')));
        }
    }
    EXPECT_EQ(frameLines, last + 1);
    for (const char* row : {"0", "1", "2", "3", "4", "5", "6", "7", "all"})
        EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << "no summary row " << row << "\n" << run.output;

    std::vector<double> frames, positions;
    for (const std::string& line : Lines(trace)) {
        if (Call(line) != "Frame") continue;
        frames.push_back(Field(line, "frame"));
        positions.push_back(Field(line, "musicPosition"));
    }
    // The frame that reaches 43,000,000 is the last one drawn; the show stops by itself after it.
    ASSERT_EQ(frames.size(), 2u) << run.output;
    EXPECT_EQ(frames.back(), double(last));
    EXPECT_LT(positions.front(), 43000000.0);
    EXPECT_GE(positions.back(), 43000000.0);
    EXPECT_EQ(access((folder + "/pos_43000000.png").c_str(), R_OK), 0) << run.output;
}

TEST_F(ShowCapture, VideoHasPictureAndMusicOfTheSameLength) {
    const std::string video = folder + "/show.mp4";
    // One second of show at 30 frames a second: frames 0 to 30.
    const Outcome run = Capture("--size 96x72 --fps 30 --until 176400 --video " + video);
    ASSERT_EQ(run.code, 0) << run.output;
    const std::string streams = Shell("ffprobe -v error -show_entries stream=codec_type,duration -of csv=p=0 '" + video + "'");
    const size_t videoAt = streams.find("video,"), audioAt = streams.find("audio,");
    ASSERT_NE(videoAt, std::string::npos) << streams;
    ASSERT_NE(audioAt, std::string::npos) << streams;
    EXPECT_NEAR(std::atof(streams.c_str() + videoAt + 6), 31.0 / 30.0, 0.01) << streams;
    EXPECT_NEAR(std::atof(streams.c_str() + audioAt + 6), 31.0 / 30.0, 0.1) << streams;
}

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// One checksum line per decoded frame, exactly as stored (no frame repeated or dropped for timing).
std::vector<std::string> DecodedFrames(const std::string& video) {
    std::istringstream lines(
        Shell("ffmpeg -v error -i '" + video + "' -map 0:v -fps_mode passthrough -f framemd5 - | grep -v '^#'"));
    std::vector<std::string> checksums;
    for (std::string line; std::getline(lines, line);) checksums.push_back(line.substr(line.rfind(',') + 1));
    return checksums;
}

TEST(CaptureJobs, RangesAreContiguousAndEven) {
    const std::vector<FrameSpan> spans = SplitFrames(11, 3);
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[0].first, 0u);
    EXPECT_EQ(spans[0].last, 3u);
    EXPECT_EQ(spans[1].first, 4u);
    EXPECT_EQ(spans[1].last, 7u);
    EXPECT_EQ(spans[2].first, 8u);
    EXPECT_EQ(spans[2].last, 10u);
    EXPECT_EQ(SplitFrames(2, 8).size(), 2u) << "never a job without a frame";
}

TEST(CaptureJobs, ARangeTakenBackWhileItsJobClaimsFramesLosesAndRepeatsNone) {
    constexpr uint64_t first = 1000, last = 400999, least = 3;
    FrameClaims claims;
    claims.Assign({first, last});
    std::vector<uint64_t> claimed;
    std::thread job([&] {
        // Frames before the range are run undrawn and always go on.
        for (uint64_t frame = 0; claims.Claim(frame); ++frame)
            if (frame >= first) claimed.push_back(frame);
    });
    std::vector<FrameSpan> taken;
    for (FrameSpan span; claims.TakeBack(least, 0, span); std::this_thread::yield()) taken.push_back(span);
    job.join();
    ASSERT_FALSE(claimed.empty());
    EXPECT_EQ(claims.Unclaimed(), 0u);
    // The job drew a run from the first frame; the taken halves follow it without a gap.
    std::sort(taken.begin(), taken.end(), [](FrameSpan a, FrameSpan b) { return a.first < b.first; });
    uint64_t next = first;
    for (uint64_t frame : claimed) ASSERT_EQ(frame, next++);
    for (const FrameSpan& span : taken) {
        EXPECT_EQ(span.first, next);
        EXPECT_GE(span.last - span.first + 1, least);
        next = span.last + 1;
    }
    EXPECT_EQ(next, last + 1) << "every frame claimed or taken";
}

TEST(CaptureJobs, RangesAreTakenInOrderThenHalvesAheadOfTheTakerUntilNoneIsWorthHalving) {
    RangeBoard board(SplitFrames(100, 4), 5);
    ASSERT_TRUE(board.Shared());
    size_t index = 99;
    for (size_t expected = 0; expected < 4; ++expected) {
        ASSERT_TRUE(board.Take(0, index));
        EXPECT_EQ(index, expected);
    }
    // Range 0's job has drawn its frames; the next ranges ahead of it hold 25 each.
    for (uint64_t frame = 0; frame < 25; ++frame) ASSERT_TRUE(board.Report(0).frames.Claim(frame));
    ASSERT_FALSE(board.Report(0).frames.Claim(25));
    ASSERT_TRUE(board.Take(25, index));
    EXPECT_EQ(index, 4u);
    EXPECT_EQ(board.Report(1).frames.Span().last, 37u);
    EXPECT_EQ(board.Report(4).frames.Span().first, 38u);
    EXPECT_EQ(board.Report(4).frames.Span().last, 49u);
    // A taker at frame 90 halves only what lies ahead of it: range 3's frames 90 to 99.
    ASSERT_TRUE(board.Take(90, index));
    EXPECT_EQ(board.Report(index).frames.Span().first, 95u);
    EXPECT_EQ(board.Report(3).frames.Span().last, 94u);
    EXPECT_FALSE(board.Take(96, index)) << "fewer than twice the least ahead";
    EXPECT_TRUE(board.WorkLeft(25));
    EXPECT_FALSE(board.WorkLeft(26));
    // Halved until no range is worth it: the ranges still cover every frame once.
    while (board.Take(0, index)) {}
    std::vector<FrameSpan> spans;
    for (size_t range = 0; range < board.Count(); ++range) spans.push_back(board.Report(range).frames.Span());
    std::sort(spans.begin(), spans.end(), [](FrameSpan a, FrameSpan b) { return a.first < b.first; });
    uint64_t next = 0;
    for (const FrameSpan& span : spans) {
        EXPECT_EQ(span.first, next);
        EXPECT_GE(span.last, span.first);
        next = span.last + 1;
    }
    EXPECT_EQ(next, 100u);
    EXPECT_FALSE(board.WorkLeft(10));
}

TEST_F(ShowCapture, JobsMakeTheFramesOfOneProcess) {
    // Past the first segment's opening, so the later jobs run real state up to their ranges.
    const std::string common = " --size 96x72 --fps 30 --until 400000 --codec ffv1 ";
    Outcome run = Capture("--jobs 1" + common + "--frames " + folder + "/one --video " + folder + "/one.mkv");
    ASSERT_EQ(run.code, 0) << run.output;
    run = Capture("--jobs 3" + common + "--frames " + folder + "/three --video " + folder + "/three.mkv");
    ASSERT_EQ(run.code, 0) << run.output;

    const std::vector<std::string> names = Listing(folder + "/one");
    EXPECT_EQ(names.size(), FirstFrameAtOrPast(400000, FrameRate{30, 1}) + 1);
    EXPECT_EQ(Listing(folder + "/three"), names);
    for (const std::string& name : names)
        EXPECT_TRUE(Contents(folder + "/one/" + name) == Contents(folder + "/three/" + name)) << name;
    const std::vector<std::string> frames = DecodedFrames(folder + "/one.mkv");
    EXPECT_EQ(frames.size(), names.size());
    EXPECT_EQ(DecodedFrames(folder + "/three.mkv"), frames);
    // Nothing of the jobs' own is left beside the video.
    EXPECT_EQ(Listing(folder), (std::vector<std::string>{"one", "one.mkv", "three", "three.mkv"}));
}

TEST_F(ShowCapture, OpenGlFramesReadBackMeanwhileEqualTheBlockingOnesToTheLast) {
    if (Capture("--list-devices").output.find("\"Direct3D HAL (OpenGL)\" hardware") == std::string::npos)
        GTEST_SKIP() << "no OpenGL device on this machine";
    const std::string common = "--device 'Direct3D HAL (OpenGL)' --size 64x48 --fps 20 ";
    const std::string blocking = "HELIOTROPIC_READBACK=blocking";
    const std::string range = "--until 300000 --frames " + folder;
    for (const auto& [arguments, environment] : std::vector<std::pair<std::string, std::string>>{
             {range + "/async", ""},
             {range + "/blocking", blocking},
             {"--jobs 2 " + range + "/jobs", ""},
             {"--at 150000,300000 --loading 101 --frames " + folder + "/stills", ""},
             {"--loading 101 --frames " + folder + "/blockingstill", blocking}}) {
        const Outcome run = Capture(common + arguments, environment);
        ASSERT_EQ(run.code, 0) << arguments << "\n" << run.output;
    }
    // Frame 35 is the first at or past 300,000 bytes: the last, still on its way when the show ends.
    const std::vector<std::string> names = Listing(folder + "/blocking");
    ASSERT_EQ(names.size(), 36u);
    EXPECT_EQ(Listing(folder + "/async"), names);
    EXPECT_EQ(Listing(folder + "/jobs"), names);
    for (const std::string& name : names) {
        const std::string expected = Contents(folder + "/blocking/" + name);
        EXPECT_TRUE(Contents(folder + "/async/" + name) == expected) << name;
        EXPECT_TRUE(Contents(folder + "/jobs/" + name) == expected) << name;
    }
    EXPECT_TRUE(Contents(folder + "/stills/pos_150000.png") == Contents(folder + "/blocking/frame_000018.png"));
    EXPECT_TRUE(Contents(folder + "/stills/pos_300000.png") == Contents(folder + "/blocking/frame_000035.png"));
    EXPECT_TRUE(Contents(folder + "/stills/loading_101.png") == Contents(folder + "/blockingstill/loading_101.png"));
}

TEST_F(ShowCapture, SupersampledFlatFrameEqualsThePlainOne) {
    // The loading screen's first frame is flat black at any size.
    Outcome run = Capture("--size 64x48 --loading 0 --frames " + folder + "/plain");
    ASSERT_EQ(run.code, 0) << run.output;
    run = Capture("--size 64x48 --supersample 2 --loading 0 --frames " + folder + "/super");
    ASSERT_EQ(run.code, 0) << run.output;
    RgbFrame plain, super;
    std::string error;
    ASSERT_TRUE(ReadPngFrame(folder + "/plain/loading_000.png", plain, error)) << error;
    ASSERT_TRUE(ReadPngFrame(folder + "/super/loading_000.png", super, error)) << error;
    EXPECT_EQ(super.width, 64u);
    EXPECT_TRUE(super.rgb == plain.rgb);
}

TEST_F(ShowCapture, FailuresAreClearAndNotSuccess) {
    Outcome run = Capture("--video " + folder + "/x.mp4", "PATH=/nonexistent");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("ffmpeg"), std::string::npos) << run.output;

    run = Capture("--size 64x48 --device 'No Such Device' --until 1");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("No Such Device"), std::string::npos) << run.output;


    run = Capture("--size 64x48 --until 1 --trace " + folder + "/no/such/folder/t.jsonl");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("t.jsonl"), std::string::npos) << run.output;

    // The frames before the missing one are still written.
    run = Capture("--size 64x48 --loading 5,202 --frames " + folder + "/loading");
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.output.find("no loading frame 202"), std::string::npos) << run.output;
    EXPECT_EQ(access((folder + "/loading/loading_005.png").c_str(), R_OK), 0) << run.output;

    run = Capture("--fps nope");
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.output.find("frame rate"), std::string::npos) << run.output;
}

TEST_F(ShowCapture, AFailedRunLeavesEarlierOutputsAsTheyWereAndNothingPartial) {
    const std::string trace = folder + "/t.jsonl", video = folder + "/v.mp4";
    std::ofstream(trace) << "earlier trace\n";
    std::ofstream(video) << "earlier video";
    const std::vector<std::string> before = Listing(folder);

    // Both outputs are started, then the show fails at its setup dialog.
    Outcome run = Capture("--size 64x48 --device 'No Such Device' --trace " + trace + " --video " + video);
    EXPECT_EQ(run.code, 1) << run.output;
    // A trace that cannot be opened stops the run before any video is made.
    run = Capture("--size 64x48 --until 1 --video " + folder + "/new.mp4 --trace " + folder + "/no/such/t.jsonl");
    EXPECT_EQ(run.code, 1) << run.output;
    // Every job fails alike: the reason is told once, and no job's part is left.
    run = Capture("--size 64x48 --jobs 2 --device 'No Such Device' --video " + video);
    EXPECT_EQ(run.code, 1) << run.output;
    const std::string reason = "--device must name one of the devices";
    ASSERT_NE(run.output.find(reason), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(reason, run.output.find(reason) + 1), std::string::npos) << run.output;
    // A still past the end is a bad command line, found before anything is made.
    run = Capture("--at 50000000 --frames " + folder + "/stills");
    EXPECT_EQ(run.code, 2) << run.output;
    EXPECT_NE(run.output.find("past the end"), std::string::npos) << run.output;

    EXPECT_EQ(Listing(folder), before);
    EXPECT_EQ(Contents(trace), "earlier trace\n");
    EXPECT_EQ(Contents(video), "earlier video");

    // A run that succeeds replaces the earlier trace whole.
    run = Capture("--size 64x48 --until 1 --trace " + trace);
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_EQ(Listing(folder), before);
    EXPECT_EQ(Call(Lines(trace).front()), "Frame");
}

}  // namespace
