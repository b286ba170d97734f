// Every way the software device can draw gives one picture: one frame of each segment at
// 640x480 in both depths, drawn one pixel at a time on one thread, equals byte for byte the same
// frame drawn in SSE2 lanes on two threads, in AVX2 lanes on eight and in AVX-512 lanes on four.
#include <gtest/gtest.h>

#include <string>

#include "capturerun.h"
#include "framecompare.h"
#include "workfolder.h"

namespace {

const char* const SegmentPositions[] = {"2000000",  "4800000",  "7000000",  "10000000",
                                        "13000000", "17000000", "25000000", "37000000"};

struct DrawingPath {
    const char* instructionSet;
    const char* threads;
};

const DrawingPath Reference{"scalar", "1"};
const DrawingPath OtherPaths[] = {{"sse2", "2"}, {"avx2", "8"}, {"avx512", "4"}};

// The frames of every segment drawn on the path, into folder.
Outcome CaptureSegments(const DrawingPath& path, unsigned bits, const std::string& folder) {
    std::string positions;
    for (const char* position : SegmentPositions) positions += std::string(positions.empty() ? "" : ",") + position;
    return Capture("--size 640x480 --fps 30 --bits " + std::to_string(bits) + " --at " + positions + " --frames '" +
                       folder + "'",
                   std::string("HELIOTROPIC_SIMD=") + path.instructionSet + " HELIOTROPIC_THREADS=" + path.threads);
}

class DrawingPaths : public ::testing::TestWithParam<unsigned> {};

TEST_P(DrawingPaths, DrawTheSameFrames) {
    if (!CaptureProgramReady()) GTEST_SKIP() << "needs the baked data beside the capture program";
    const unsigned bits = GetParam();
    const TemporaryFolder temporary;
    const std::string base = temporary.File("frames");
    Outcome run = CaptureSegments(Reference, bits, base + "_reference");
    ASSERT_EQ(run.code, 0) << run.output;
    for (const DrawingPath& path : OtherPaths) {
        const std::string folder = base + "_" + path.instructionSet;
        run = CaptureSegments(path, bits, folder);
        ASSERT_EQ(run.code, 0) << run.output;
        for (const char* position : SegmentPositions) {
            const std::string name = std::string("pos_") + position + ".png";
            RgbFrame expected, got;
            std::string error;
            ASSERT_TRUE(ReadPngFrame(base + "_reference/" + name, expected, error)) << error;
            ASSERT_TRUE(ReadPngFrame(folder + "/" + name, got, error)) << error;
            const FrameDifference difference = CompareFrames(expected, got, FrameTolerance());
            EXPECT_TRUE(difference.sameSize && difference.differing == 0)
                << path.instructionSet << " on " << path.threads << " threads, " << name << ": "
                << difference.Describe();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, DrawingPaths, ::testing::Values(16u, 32u),
                         [](const ::testing::TestParamInfo<unsigned>& info) {
                             return "Bits" + std::to_string(info.param);
                         });

}  // namespace
