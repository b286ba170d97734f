// The show drawn by the software device and by the OpenGL device: one frame inside each of the
// eight segments and one of the loading screen, at 640x480 in 32 and 16 bits, compared pixel by
// pixel. Edges, where the two rasterisers' arithmetic differs by a hair, and the 16-bit dither
// may differ; the pictures as a whole may not. The numbers of every frame are printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "capturerun.h"
#include "framecompare.h"
#include "workfolder.h"

namespace {

const char OpenGlDevice[] = "Direct3D HAL (OpenGL)";
// One position inside each segment, where it shows its own material.
const char SegmentPositions[] = "2000000,4500000,7500000,9000000,13000000,16000000,25000000,40000000";
// The loading screen at full strength.
const char LoadingFrame[] = "101";
// Fewer frames to run through before each still; both devices see the same frames.
const char FramesPerSecond[] = "20";
// Measured on llvmpipe at 32 bits: means under a third of a level, at least 99.3% of the pixels
// within 16 levels (the odd edge pixel differs). At 16 bits every blended pass is stored in 5-6-5:
// the software device adds the stored colour as it reads back (eight and a quarter steps a
// level), GL's blender adds it as it is, so the flare swarm's hundreds of stacked flares drift
// apart by a level here and there: means under one level, 98.7% within 16 levels.
FrameTolerance AgreementAt(unsigned bits) { return FrameTolerance{2.0, 16, bits == 16 ? 0.98 : 0.99}; }

class DifferentialFrames : public ::testing::TestWithParam<unsigned> {};

TEST_P(DifferentialFrames, BothDevicesDrawTheSameShow) {
    if (!CaptureProgramReady()) GTEST_SKIP() << "needs the baked data beside the capture program";
    const Outcome devices = Capture("--list-devices");
    ASSERT_EQ(devices.code, 0) << devices.output;
    if (devices.output.find(std::string("\"") + OpenGlDevice + "\" hardware") == std::string::npos)
        GTEST_SKIP() << "no OpenGL device on this machine:\n" << devices.output;
    const TemporaryFolder folder;
    const std::string common = "--size 640x480 --bits " + std::to_string(GetParam()) + " --fps " + FramesPerSecond +
                               " --at " + SegmentPositions + " --loading " + LoadingFrame;
    const struct {
        const char* device;
        const char* folder;
    } runs[] = {{"RGB Emulation", "software"}, {OpenGlDevice, "opengl"}};
    for (const auto& each : runs) {
        const Outcome run = Capture(common + " --device '" + each.device + "' --frames '" + folder.File(each.folder) + "'");
        ASSERT_EQ(run.code, 0) << run.output;
    }

    std::vector<std::string> names = {std::string("loading_") + LoadingFrame + ".png"};
    for (size_t start = 0, end; start < sizeof SegmentPositions - 1; start = end + 1) {
        end = std::string(SegmentPositions).find(',', start);
        if (end == std::string::npos) end = sizeof SegmentPositions - 1;
        names.push_back("pos_" + std::string(SegmentPositions).substr(start, end - start) + ".png");
    }
    for (const std::string& name : names) {
        RgbFrame software, opengl;
        std::string error;
        ASSERT_TRUE(ReadPngFrame(folder.File("software/" + name), software, error)) << error;
        ASSERT_TRUE(ReadPngFrame(folder.File("opengl/" + name), opengl, error)) << error;
        const FrameTolerance agreement = AgreementAt(GetParam());
        const FrameDifference difference = CompareFrames(software, opengl, agreement);
        std::printf("%2u-bit %-20s mean %.3f levels a channel, %.3f%% within %u levels, worst %u\n", GetParam(),
                    name.c_str(), difference.meanLevels, 100.0 * double(difference.near) / double(difference.pixels),
                    agreement.nearLevels, difference.worstLevels);
        EXPECT_TRUE(difference.Within(agreement)) << name << ": " << difference.Describe();
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, DifferentialFrames, ::testing::Values(32u, 16u),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return "Bits" + std::to_string(info.param);
                         });

}  // namespace
