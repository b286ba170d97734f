// One frame inside each of the show's eight segments, captured in one run as stills with their
// traces: every segment draws something of its own, starting with its first pass's projection.
#include "capturerun.h"
#include "musictime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framecompare.h"
#include "workfolder.h"

namespace {

struct Segment {
    uint64_t position;
    double fieldOfView;                 // degrees, of the light set the first pass projects with
    std::vector<std::string> textures;  // one of these is set somewhere in the frame
};

// Positions chosen where each segment shows its own material.
const Segment Segments[8] = {
    {2000000, 130, {"key.jpg", "key512.jpg"}},       // etest2.3d under the key.jpg overlay
    {4500000, 165, {"tessik2.jpg"}},                 // etest4.3d echoes, tessik2.jpg echoes
    {7500000, 90, {"vision.jpg", "visi512.jpg"}},    // compe.3d, vision.jpg overlay after mark 6
    {9000000, 90, {"flare.jpg"}},                    // compe.3d from camera 1, the flare spiral
    {13000000, 60, {"flare.jpg"}},                   // lite.3d through etest.3d's light set, the swarm
    {16000000, 90, {}},                              // roki.3d before its field-of-view swing
    {25000000, 90, {"wire2.jpg"}},                   // king.3d, the cube swarm
    {40000000, 90, {"end.jpg", "end512.jpg"}},       // alien_1.3d, the end panel
};

double FirstMatrixNumber(const std::string& line) {
    const size_t at = line.find("\"matrix\":[");
    return at == std::string::npos ? NAN : std::strtod(line.c_str() + at + 10, nullptr);
}

class SegmentFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!CaptureProgramReady()) return;
        frames = std::make_unique<TemporaryFolder>();
        const std::string& folder = frames->path;
        FrameRate rate;
        rate.numerator = 30;
        std::string positions, traced;
        for (const Segment& segment : Segments) {
            const uint64_t frame = FirstFrameAtOrPast(segment.position, rate);
            positions += (positions.empty() ? "" : ",") + std::to_string(segment.position);
            traced += (traced.empty() ? "" : ",") + std::to_string(frame);
        }
        run = Capture("--size 160x120 --fps 30 --at " + positions + " --frames '" + folder + "' --trace '" + folder +
                      "/trace.jsonl' --trace-frames " + traced);
        for (const std::string& line : Lines(folder + "/trace.jsonl"))
            calls[int64_t(Field(line, "frame"))].push_back(line);
    }
    static void TearDownTestSuite() { frames.reset(); }
    void SetUp() override {
        if (!frames) GTEST_SKIP() << "needs heliotropic-capture and the baked data beside the tests";
        ASSERT_EQ(run.code, 0) << run.output;
    }
    static std::unique_ptr<TemporaryFolder> frames;
    static Outcome run;
    static std::map<int64_t, std::vector<std::string>> calls;
};

std::unique_ptr<TemporaryFolder> SegmentFrames::frames;
Outcome SegmentFrames::run;
std::map<int64_t, std::vector<std::string>> SegmentFrames::calls;

void CheckFirstCalls(std::map<int64_t, std::vector<std::string>>& calls) {
    FrameRate rate;
    rate.numerator = 30;
    for (int s = 0; s < 8; ++s) {
        const std::vector<std::string>& frame = calls[int64_t(FirstFrameAtOrPast(Segments[s].position, rate))];
        ASSERT_GE(frame.size(), 6u) << "segment " << s;
        EXPECT_EQ(Call(frame[0]), "Frame") << s;
        EXPECT_EQ(Call(frame[1]), "Clear") << s;
        EXPECT_EQ(Field(frame[1], "flags"), 3.0) << s;
        EXPECT_EQ(Call(frame[2]), "BeginScene") << s;
        // The first pass projects with its light set's projection (m11 = cot(fov / 2)), then views.
        EXPECT_EQ(Call(frame[3]), "SetTransform") << s << ": " << frame[3];
        EXPECT_EQ(Field(frame[3], "type"), 3.0) << s << ": " << frame[3];
        const double cotangent = 1.0 / std::tan(Segments[s].fieldOfView * M_PI / 360.0);
        EXPECT_NEAR(FirstMatrixNumber(frame[3]), cotangent, 1e-4) << "segment " << s << ": " << frame[3];
        EXPECT_EQ(Call(frame[4]), "SetTransform") << s;
        EXPECT_EQ(Field(frame[4], "type"), 2.0) << s << ": " << frame[4];
        EXPECT_EQ(Call(frame.back()), "EndScene") << s;
    }
}

void CheckImages(std::map<int64_t, std::vector<std::string>>& calls) {
    FrameRate rate;
    rate.numerator = 30;
    for (int s = 0; s < 8; ++s) {
        const std::vector<std::string>& frame = calls[int64_t(FirstFrameAtOrPast(Segments[s].position, rate))];
        int draws = 0;
        bool textured = Segments[s].textures.empty();
        for (const std::string& line : frame) {
            if (Call(line).rfind("Draw", 0) == 0) ++draws;
            for (const std::string& texture : Segments[s].textures)
                if (Call(line) == "SetTexture" && line.find("\"texture\":\"" + texture + "\"") != std::string::npos)
                    textured = true;
        }
        EXPECT_GT(draws, 0) << "segment " << s;
        EXPECT_TRUE(textured) << "segment " << s << " never sets " << Segments[s].textures.front();
    }
}

void CheckStills(const std::vector<std::vector<uint8_t>>& stills) {
    for (int s = 0; s < 8; ++s) {
        ASSERT_EQ(stills[s].size(), 160u * 120u * 3u) << "segment " << s << " has no still";
        size_t lit = 0;
        for (size_t i = 0; i < stills[s].size(); i += 3)
            if (stills[s][i] + stills[s][i + 1] + stills[s][i + 2] > 24) ++lit;
        // A segment that draws nothing, or only black, is a fault; a few lit pixels are not enough.
        EXPECT_GT(lit, 160u * 120u / 100u) << "segment " << s << " is (nearly) black";
    }
    for (int a = 0; a < 8; ++a)
        for (int b = a + 1; b < 8; ++b) EXPECT_NE(stills[a], stills[b]) << "segments " << a << " and " << b;
}

// One capture serves all three checks: the run to the end of the show is the slow part.
TEST_F(SegmentFrames, EachSegmentDrawsItsOwnFrame) {
    {
        SCOPED_TRACE("first calls");
        CheckFirstCalls(calls);
    }
    {
        SCOPED_TRACE("images");
        CheckImages(calls);
    }
    std::vector<std::vector<uint8_t>> stills;
    for (const Segment& segment : Segments) {
        RgbFrame still;
        std::string error;
        ReadPngFrame(frames->File("pos_" + std::to_string(segment.position) + ".png"), still, error);
        stills.push_back(still.rgb);
    }
    SCOPED_TRACE("stills");
    CheckStills(stills);
}

}  // namespace
