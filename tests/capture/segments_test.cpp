// One frame inside each of the show's eight segments, captured in one run as stills with their
// traces: every segment draws something of its own, starting with its first pass's projection.
#include "musictime.h"

#include <gtest/gtest.h>
#include <png.h>

#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

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

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    path[length] = '\0';
    std::string folder = path;
    return folder.substr(0, folder.rfind('/'));
}

std::string Call(const std::string& line) {
    const size_t at = line.find("\"call\":\"");
    if (at == std::string::npos) return "";
    return line.substr(at + 8, line.find('"', at + 8) - at - 8);
}

double Field(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const size_t at = line.find(key);
    return at == std::string::npos ? NAN : std::strtod(line.c_str() + at + key.size(), nullptr);
}

double FirstMatrixNumber(const std::string& line) {
    const size_t at = line.find("\"matrix\":[");
    return at == std::string::npos ? NAN : std::strtod(line.c_str() + at + 10, nullptr);
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

class SegmentFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string bin = ProgramFolder();
        if (access((bin + "/heliotropic-capture").c_str(), X_OK) != 0 || access((bin + "/music/clone.mp3").c_str(), R_OK) != 0)
            return;
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
        const std::string command = "'" + bin + "/heliotropic-capture' --size 160x120 --fps 30 --at " + positions +
                                    " --frames '" + folder + "' --trace '" + folder + "/trace.jsonl' --trace-frames " +
                                    traced + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return;
        char buffer[4096];
        size_t got;
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
        const int status = pclose(pipe);
        ran = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        std::ifstream trace(folder + "/trace.jsonl");
        for (std::string line; std::getline(trace, line);) calls[int64_t(Field(line, "frame"))].push_back(line);
    }
    static void TearDownTestSuite() { frames.reset(); }
    void SetUp() override {
        if (!frames) GTEST_SKIP() << "needs heliotropic-capture and the baked data beside the tests";
        ASSERT_TRUE(ran) << output;
    }
    static std::unique_ptr<TemporaryFolder> frames;
    static std::string output;
    static bool ran;
    static std::map<int64_t, std::vector<std::string>> calls;
};

std::unique_ptr<TemporaryFolder> SegmentFrames::frames;
std::string SegmentFrames::output;
bool SegmentFrames::ran = false;
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
        ASSERT_EQ(stills[s].size(), 160u * 120u * 3u) << "segment " << s;
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
    for (const Segment& segment : Segments)
        stills.push_back(ReadPng(frames->File("pos_" + std::to_string(segment.position) + ".png")));
    SCOPED_TRACE("stills");
    CheckStills(stills);
}

}  // namespace
