// The show drawn by the software device and by the OpenGL device: one frame inside each of the
// eight segments and one of the loading screen, at 640x480 in 32 and 16 bits, compared pixel by
// pixel. Edges (where the two rasterisers' arithmetic differs by a hair) and the 16-bit dither
// may differ; the pictures as a whole may not.
#include <gtest/gtest.h>
#include <png.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// Positions where each segment shows its own material (as the capture tests choose them).
const uint64_t SegmentPositions[8] = {2000000, 4500000, 7500000, 9000000, 13000000, 16000000, 25000000, 40000000};
// The loading screen at full strength: the last frame of its fade in.
constexpr int LoadingFrame = 100;
// Fewer frames to run through before each still; both devices see the same frames.
constexpr int FramesPerSecond = 20;

constexpr double MaxMeanDifference = 2.0;   // levels, per channel
constexpr double MinShareWithin = 0.99;     // of the pixels, every channel within the margin
constexpr int Margin = 16;                  // levels

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    path[length] = '\0';
    std::string folder = path;
    return folder.substr(0, folder.rfind('/'));
}

std::vector<uint8_t> ReadPng(const std::string& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    return pixels;
}

struct Difference {
    double mean[3];
    double shareWithin;
};

Difference Compare(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    Difference result{{0, 0, 0}, 0};
    const size_t pixels = a.size() / 3;
    size_t within = 0;
    for (size_t i = 0; i < pixels; ++i) {
        bool close = true;
        for (int c = 0; c < 3; ++c) {
            const int d = std::abs(int(a[3 * i + c]) - int(b[3 * i + c]));
            result.mean[c] += d;
            close = close && d <= Margin;
        }
        within += close;
    }
    for (double& mean : result.mean) mean /= double(pixels);
    result.shareWithin = double(within) / double(pixels);
    return result;
}

class DifferentialFrames : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        bin = ProgramFolder();
        if (access((bin + "/heliotropic-capture").c_str(), X_OK) != 0 || access((bin + "/music/clone.mp3").c_str(), R_OK) != 0)
            GTEST_SKIP() << "needs heliotropic-capture and the baked data beside the tests";
        const std::string devices = Run("--list-devices", "list");
        if (devices.find("\"Direct3D HAL (OpenGL)\" hardware") == std::string::npos)
            GTEST_SKIP() << "no OpenGL device on this machine:\n" << devices;
        folder = ::testing::TempDir() + "differential_" + std::to_string(getpid()) + "_" + std::to_string(GetParam());
    }
    void TearDown() override {
        if (!folder.empty()) std::system(("rm -rf '" + folder + "'").c_str());
    }

    // Runs the capture tool with these arguments; its output, with the exit status last.
    std::string Run(const std::string& arguments, const std::string& name) {
        const std::string log = ::testing::TempDir() + "differential_" + std::to_string(getpid()) + "_" + name + ".log";
        const int status = std::system(("'" + bin + "/heliotropic-capture' " + arguments + " > '" + log + "' 2>&1").c_str());
        std::string output;
        if (FILE* file = std::fopen(log.c_str(), "r")) {
            char buffer[4096];
            for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) output.append(buffer, got);
            std::fclose(file);
        }
        std::remove(log.c_str());
        return output + "\nstatus " + std::to_string(status);
    }

    std::string bin, folder;
};

TEST_P(DifferentialFrames, BothDevicesDrawTheSameShow) {
    const int bits = GetParam();
    std::string positions;
    for (uint64_t position : SegmentPositions) positions += (positions.empty() ? "" : ",") + std::to_string(position);
    const std::string common = "--size 640x480 --bits " + std::to_string(bits) + " --fps " + std::to_string(FramesPerSecond) +
                               " --at " + positions + " --loading-at " + std::to_string(LoadingFrame);
    // The two captures run side by side.
    std::string softwareOutput, openglOutput;
    std::thread software([&] { softwareOutput = Run(common + " --frames '" + folder + "/software'", "software"); });
    openglOutput = Run(common + " --device 'Direct3D HAL (OpenGL)' --frames '" + folder + "/opengl'", "opengl");
    software.join();
    ASSERT_NE(softwareOutput.find("status 0"), std::string::npos) << softwareOutput;
    ASSERT_NE(openglOutput.find("status 0"), std::string::npos) << openglOutput;

    std::vector<std::string> names = {"loading_" + std::to_string(LoadingFrame)};
    for (uint64_t position : SegmentPositions) names.push_back("pos_" + std::to_string(position));
    for (const std::string& name : names) {
        const std::vector<uint8_t> a = ReadPng(folder + "/software/" + name + ".png");
        const std::vector<uint8_t> b = ReadPng(folder + "/opengl/" + name + ".png");
        ASSERT_EQ(a.size(), 640u * 480u * 3u) << name;
        ASSERT_EQ(b.size(), a.size()) << name;
        const Difference d = Compare(a, b);
        std::printf("%2d-bit %-16s mean difference %.3f %.3f %.3f levels, %.3f%% of pixels within %d levels\n", bits,
                    name.c_str(), d.mean[0], d.mean[1], d.mean[2], 100.0 * d.shareWithin, Margin);
        for (double mean : d.mean) EXPECT_LE(mean, MaxMeanDifference) << name;
        EXPECT_GE(d.shareWithin, MinShareWithin) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, DifferentialFrames, ::testing::Values(32, 16),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param) + "Bits"; });

}  // namespace
