// The show's picture pinned: frames of every phase, drawn by the software device at 160x120,
// must equal the golden frames in tests/golden/frames to the last bit. One capture run per depth
// draws all of that depth's frames in order.
//
// With HELIOTROPIC_UPDATE_GOLDEN=1 in the environment the frames are written as the new golden
// frames instead (scripts/update-golden.sh).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capturerun.h"
#include "framecompare.h"
#include "workfolder.h"

namespace {

struct GoldenFrame {
    unsigned bits;
    bool loading;     // a loading-screen frame counted from its first, else a music position
    uint64_t at;
};

// At least one frame in every window and sub-window of the timeline, a few at both depths.
const GoldenFrame AllGoldenFrames[] = {
    {16, true, 30}, {16, true, 101}, {32, true, 70}, {32, true, 170},  // loading fade in, full, fade out
    {16, false, 1500000},   // opening: overlay follows the clock
    {32, false, 3400000},   // after mark 0: etest2.3d fading out
    {16, false, 4600000},   // echoes, levels pulsing
    {32, false, 5780000},   // after mark 2: levels fading
    {32, false, 5980000},   // compe, tessik2.jpg echoes, no pulse yet
    {16, false, 6400000},   // after mark 4: pulse, vision.jpg echoes
    {32, false, 6800000},   // echoes over, fourth compe view still on
    {16, false, 7100000},   // fourth view over
    {32, false, 7600000},   // after mark 6: vision.jpg overlay, rise turned to fall
    {16, false, 8000000},   // figure burst: stretch passes, camera 2
    {32, false, 8500000},   // stretch over, camera 2
    {16, false, 9300000},   // camera 1
    {32, false, 10200000},  // camera 4, susp.jpg overlay
    {16, false, 11100000},  // camera 5
    {32, false, 11650000},  // after mark 13: fading, freedom.jpg zooming
    {16, false, 12500000},  // flare swarm
    {32, false, 14200000},
    {16, false, 15300000},  // after mark 15: fading
    {32, false, 16100000},  // roki: camera 0 before the field-of-view swing
    {16, false, 17100000},  // the swing, tribes.3d layers
    {32, false, 17900000},  // camera 1, bars
    {16, false, 18400000},  // camera 2
    {32, false, 18900000},  // camera 1 again, later frames
    {16, false, 19400000},  // camera 2 again
    {32, false, 21000000},  // king and cube swarm
    {16, false, 25000000},
    {16, false, 28000000},  // after mark 22: the king dimming, flares shrinking, the ring growing
    {32, false, 28000000},
    {32, false, 28900000},
    {16, false, 29500000},  // after mark 23: panel and ring only
    {32, false, 30800000},  // after mark 24: panel and ring fading
    {16, false, 32300000},  // alien: camera 0
    {32, false, 34300000},  // camera 3
    {16, false, 35800000},  // after mark 27: six stacked copies, camera 2
    {32, false, 36800000},  // camera 4
    {16, false, 37700000},  // camera 2, half eye
    {32, false, 38700000},  // camera 3, half eye
    {16, false, 40000000},  // after mark 31: end fade, scratches, end panel
    {32, false, 41800000},
    {16, false, 42990000},  // the last frame of the show
};

// The name the capture writes the frame under.
std::string CaptureName(const GoldenFrame& frame) {
    char name[32];
    std::snprintf(name, sizeof name, frame.loading ? "loading_%03llu.png" : "pos_%llu.png",
                  (unsigned long long)frame.at);
    return name;
}

std::string GoldenName(const GoldenFrame& frame) { return std::to_string(frame.bits) + "_" + CaptureName(frame); }

std::string Join(const std::vector<uint64_t>& values) {
    std::string text;
    for (uint64_t value : values) text += (text.empty() ? "" : ",") + std::to_string(value);
    return text;
}

// Runs the capture for every frame of one depth.
Outcome CaptureFrames(unsigned bits, const std::string& folder) {
    std::vector<uint64_t> positions, loading;
    for (const GoldenFrame& frame : AllGoldenFrames)
        if (frame.bits == bits) (frame.loading ? loading : positions).push_back(frame.at);
    return Capture("--size 160x120 --fps 30 --bits " + std::to_string(bits) + " --at " + Join(positions) +
                   " --loading " + Join(loading) + " --frames '" + folder + "'");
}

class GoldenFrames : public ::testing::TestWithParam<unsigned> {};

TEST_P(GoldenFrames, EveryFrameMatches) {
    if (!CaptureProgramReady()) GTEST_SKIP() << "needs the baked data beside the capture program";
    const unsigned bits = GetParam();
    const TemporaryFolder temporary;
    const std::string& folder = temporary.path;
    const Outcome run = CaptureFrames(bits, folder);
    ASSERT_EQ(run.code, 0) << run.output;

    const bool update = std::getenv("HELIOTROPIC_UPDATE_GOLDEN") != nullptr;
    for (const GoldenFrame& frame : AllGoldenFrames) {
        if (frame.bits != bits) continue;
        const std::string golden = std::string(GOLDEN_FRAMES_FOLDER) + "/" + GoldenName(frame);
        RgbFrame got;
        std::string error;
        if (!ReadPngFrame(folder + "/" + CaptureName(frame), got, error)) {
            ADD_FAILURE() << "the capture wrote no frame: " << error;
        } else if (update) {
            EXPECT_TRUE(WritePngFrame(golden, got, error)) << error;
        } else {
            EXPECT_TRUE(MatchesGoldenFrame(golden, got, FrameTolerance(), GOLDEN_MISMATCH_FOLDER));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, GoldenFrames, ::testing::Values(16u, 32u),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return "Bits" + std::to_string(info.param);
                         });

}  // namespace

// The tolerant comparison is what a second device is held to.
TEST(FrameComparison, ToleranceBoundsTheMeanAndTheShareOfNearPixels) {
    RgbFrame expected{2, 2, std::vector<uint8_t>(12, 100)};
    RgbFrame got = expected;
    EXPECT_TRUE(CompareFrames(expected, got, FrameTolerance()).Within(FrameTolerance()));
    got.rgb[0] = 103;   // pixel 0 three levels off in red
    got.rgb[11] = 120;  // pixel 3 twenty levels off in blue
    const FrameTolerance loose{2.0, 16, 0.75};
    const FrameDifference difference = CompareFrames(expected, got, loose);
    EXPECT_EQ(difference.differing, 2u);
    EXPECT_EQ(difference.near, 3u);
    EXPECT_EQ(difference.worstLevels, 20u);
    EXPECT_NEAR(difference.meanLevels, 23.0 / 12.0, 1e-9);
    EXPECT_FALSE(difference.Within(FrameTolerance()));
    EXPECT_TRUE(difference.Within(loose));
    EXPECT_FALSE(difference.Within({2.0, 16, 0.8}));
    EXPECT_FALSE(difference.Within({1.9, 16, 0.75}));
    EXPECT_FALSE(CompareFrames(expected, RgbFrame{4, 1, got.rgb}, loose).Within(loose));
}
