// Frames to RGB and PNG files: every channel layout the display presents, supersampled frames
// reduced, files that cannot be written, frames written on their own thread, and the size the
// progress line foresees.
#include "framewriter.h"
#include "pixels.h"
#include "pngfile.h"
#include "progress.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "workfolder.h"

namespace {

platform::FrameImage Frame(const void* pixels, LONG pitch, DWORD width, DWORD height, DWORD bits) {
    platform::FrameImage frame{};
    frame.pixels = pixels;
    frame.pitch = pitch;
    frame.width = width;
    frame.height = height;
    frame.format.dwSize = sizeof(DDPIXELFORMAT);
    frame.format.dwFlags = DDPF_RGB;
    frame.format.dwRGBBitCount = bits;
    frame.format.dwRBitMask = bits == 16 ? 0xF800 : 0xFF0000;
    frame.format.dwGBitMask = bits == 16 ? 0x07E0 : 0x00FF00;
    frame.format.dwBBitMask = bits == 16 ? 0x001F : 0x0000FF;
    return frame;
}

TEST(FramePixels, SixteenBitChannelsWidenToFullRange) {
    // White, red, green, blue, black, then a pitch wider than the row (padding must be skipped).
    const uint16_t pixels[2][4] = {{0xFFFF, 0xF800, 0x07E0, 0x001F}, {0x0000, 0x8410, 0xBEEF, 0xBEEF}};
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(ConvertToRgb(Frame(pixels, 8, 3, 2, 16), rgb));
    ASSERT_EQ(rgb.size(), 18u);
    const std::vector<uint8_t> firstRow = {255, 255, 255, 255, 0, 0, 0, 255, 0};
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 9), firstRow);
    // 0x0000 is black; 0x8410 is 10000 100000 10000: each channel's top bit only.
    const std::vector<uint8_t> secondRow = {0, 0, 0, 0x84, 0x82, 0x84, 0xBD, 0xDF, 0x7B};
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin() + 9, rgb.end()), secondRow);
}

TEST(FramePixels, ThirtyTwoBitIgnoresTheUnusedByte) {
    const uint32_t pixels[2] = {0xAB123456, 0x00FFFFFF};
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(ConvertToRgb(Frame(pixels, 8, 2, 1, 32), rgb));
    EXPECT_EQ(rgb, (std::vector<uint8_t>{0x12, 0x34, 0x56, 255, 255, 255}));
}

TEST(FramePixels, UnknownFormatsAreRefused) {
    const uint32_t pixels[1] = {0};
    std::vector<uint8_t> rgb;
    platform::FrameImage frame = Frame(pixels, 4, 1, 1, 32);
    frame.format.dwFlags = DDPF_ZBUFFER;
    EXPECT_FALSE(ConvertToRgb(frame, rgb));
    frame = Frame(pixels, 4, 1, 1, 24);
    EXPECT_FALSE(ConvertToRgb(frame, rgb));
    frame = Frame(nullptr, 4, 1, 1, 32);
    EXPECT_FALSE(ConvertToRgb(frame, rgb));
}

TEST(FramePixels, BlocksAverageToTheNearestLevel) {
    // Two 2x2 blocks side by side: red 0, 1, 1, 1 (0.75 rounds up to 1), green 10, 11, 10, 11
    // (10.5 rounds up), blue 255 throughout; then a block of zeros.
    const std::vector<uint8_t> full = {
        0, 10, 255, 1, 11, 255, 0, 0, 0, 0, 0, 0,  //
        1, 10, 255, 1, 11, 255, 0, 0, 0, 0, 0, 0,  //
    };
    std::vector<uint8_t> reduced;
    ReduceBlocks(full, 2, 1, 2, reduced);
    EXPECT_EQ(reduced, (std::vector<uint8_t>{1, 11, 255, 0, 0, 0}));
    // Three by three: 9 levels summing to 13 average 1.44, which rounds down.
    const std::vector<uint8_t> nine = {5, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0};
    ReduceBlocks(nine, 1, 1, 3, reduced);
    EXPECT_EQ(reduced, (std::vector<uint8_t>{1, 0, 0}));
}

TEST(FramePixels, SupersampledFlatFrameEqualsThePlainOne) {
    // A 16-bit colour whose channels widen to uneven levels, with a padded pitch at both sizes.
    const uint16_t colour = 0x8C51;
    for (unsigned factor : {2u, 3u, 4u}) {
        const DWORD width = 5, height = 3;
        std::vector<uint16_t> plain((width + 1) * height, colour);
        std::vector<uint16_t> large((width * factor + 1) * height * factor, colour);
        std::vector<uint8_t> full, plainRgb, reducedRgb;
        ASSERT_TRUE(FrameToRgb(Frame(plain.data(), LONG(width + 1) * 2, width, height, 16), 1, full, plainRgb));
        ASSERT_TRUE(FrameToRgb(Frame(large.data(), LONG(width * factor + 1) * 2, width * factor, height * factor, 16),
                               factor, full, reducedRgb));
        EXPECT_EQ(reducedRgb, plainRgb) << factor;
    }
}

TEST(FramePixels, YuvHasStudioLevelsAndIsTheSameFromEveryLayout) {
    // White, black, red and blue at full colour resolution.
    const uint16_t bars[] = {0xFFFF, 0x0000, 0xF800, 0x001F};
    std::vector<uint8_t> full, rgb, yuv;
    ASSERT_TRUE(FrameToYuv(Frame(bars, 8, 4, 1, 16), false, yuv));
    EXPECT_EQ(yuv, (std::vector<uint8_t>{235, 16, 82, 41, 128, 128, 90, 240, 128, 128, 240, 110}));

    // An odd-sided picture with a padded pitch, read directly as 5-6-5 and as X8R8G8B8, through
    // RGB as blue-first 32-bit pixels, and reduced from twice the size.
    const DWORD width = 7, height = 5;
    std::vector<uint16_t> narrow((width + 1) * height), doubled(4 * width * height);
    for (size_t i = 0; i < narrow.size(); ++i) narrow[i] = uint16_t(i * 0x9E37u + 0x1234);
    const platform::FrameImage frame565 = Frame(narrow.data(), LONG(width + 1) * 2, width, height, 16);
    ASSERT_TRUE(ConvertToRgb(frame565, rgb));
    std::vector<uint32_t> wide(width * height), swapped(width * height);
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x) {
            const uint8_t* c = &rgb[(y * width + x) * 3];
            wide[y * width + x] = uint32_t(c[0]) << 16 | c[1] << 8 | c[2];
            swapped[y * width + x] = uint32_t(c[2]) << 16 | c[1] << 8 | c[0];
            for (DWORD k = 0; k < 4; ++k)
                doubled[(2 * y + k / 2) * 2 * width + 2 * x + k % 2] = narrow[y * (width + 1) + x];
        }
    platform::FrameImage blueFirst = Frame(swapped.data(), LONG(width) * 4, width, height, 32);
    std::swap(blueFirst.format.dwRBitMask, blueFirst.format.dwBBitMask);
    for (bool half : {true, false}) {
        std::vector<uint8_t> expected, got;
        ASSERT_TRUE(FrameToYuv(frame565, half, expected));
        EXPECT_EQ(expected.size(), half ? 35u + 2 * 4 * 3 : 3 * 35u);
        ASSERT_TRUE(FrameToYuv(Frame(wide.data(), LONG(width) * 4, width, height, 32), half, got));
        EXPECT_EQ(got, expected) << half;
        EXPECT_FALSE(FrameToYuv(blueFirst, half, got));
        ASSERT_TRUE(ConvertToRgb(blueFirst, rgb));
        RgbToYuv(rgb, width, height, half, got);
        EXPECT_EQ(got, expected) << half;
        const platform::FrameImage large = Frame(doubled.data(), LONG(width) * 4, 2 * width, 2 * height, 16);
        ASSERT_TRUE(FrameToRgb(large, 2, full, rgb));
        RgbToYuv(rgb, width, height, half, got);
        EXPECT_EQ(got, expected) << half;
    }
    EXPECT_FALSE(FrameToYuv(Frame(nullptr, 4, 1, 1, 32), true, yuv));
}

TEST(PngFiles, ReadBackAsWritten) {
    const unsigned width = 5, height = 3;
    std::vector<uint8_t> rgb(width * height * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i * 37 + 11);
    const TemporaryFolder folder;
    const std::string path = folder.File("roundtrip.png");
    std::string error;
    ASSERT_TRUE(WritePng(path, rgb, width, height, error)) << error;

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> back(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, back.data(), 0, nullptr));
    EXPECT_EQ(back, rgb);
}

TEST(PngFiles, FailuresAreReportedAndLeaveNoFile) {
    std::vector<uint8_t> rgb(12, 0);
    std::string error;
    const TemporaryFolder folder;
    EXPECT_FALSE(WritePng(folder.File("no/such/folder/x.png"), rgb, 2, 2, error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    const std::string shortPath = folder.File("short.png");
    EXPECT_FALSE(WritePng(shortPath, rgb, 4, 4, error));
    EXPECT_NE(access(shortPath.c_str(), F_OK), 0);
}

}  // namespace

TEST(FrameWriting, EveryFrameInOrderWhileTheCallerGoesOnAndFailuresComeBack) {
    const TemporaryFolder folder;
    std::string error;
    {
        FrameWriter writer(nullptr, folder.File(""), 1);
        uint32_t pixel = 0;
        for (uint64_t index = 0; index < 12; ++index) {
            pixel = 0x010203u * uint32_t(index);  // the caller's memory changes as soon as Add returns
            ASSERT_TRUE(writer.Add(index, Frame(&pixel, 4, 1, 1, 32), error)) << error;
        }
        ASSERT_TRUE(writer.Finish(error)) << error;
    }
    for (uint64_t index = 0; index < 12; ++index) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06llu.png", (unsigned long long)index);
        png_image image;
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&image, folder.File(name).c_str())) << name;
        image.format = PNG_FORMAT_RGB;
        uint8_t rgb[3];
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb, 0, nullptr));
        EXPECT_EQ(rgb[0], index) << name;
        EXPECT_EQ(rgb[2], 3 * index) << name;
    }

    FrameWriter failing(nullptr, folder.File("no/such/folder"), 1);
    uint32_t pixel = 0;
    bool added = true;
    for (int index = 0; index < 20 && added; ++index) added = failing.Add(index, Frame(&pixel, 4, 1, 1, 32), error);
    EXPECT_FALSE(added && failing.Finish(error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

TEST(ProgressLine, ForeseesTheOutputsSizeFromWhatIsWritten) {
    EXPECT_EQ(Progress::Extrapolate(3000000, 100, 14627), 438810000u);
    EXPECT_EQ(Progress::Extrapolate(5000, 0, 14627), 0u) << "nothing written: nothing foreseen";
    EXPECT_EQ(Progress::Line(1234, 14627, 10, 438810000),
              "capture: 1234 of 14627 frames (8%), 123.4 frames/s, 1:49 left, about 439 MB");
    EXPECT_EQ(Progress::Line(10, 10, 1, 1500), "capture: 10 of 10 frames (100%), 10.0 frames/s, about 1.5 kB");
    EXPECT_EQ(Progress::Line(1, 10, 1, 0), "capture: 1 of 10 frames (10%), 1.0 frames/s, 0:09 left");
}
