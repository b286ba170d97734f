#include "framecompare.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

bool ReadPngFrame(const std::string& path, RgbFrame& frame, std::string& error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        error = path + ": " + image.message;
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    frame.width = image.width;
    frame.height = image.height;
    frame.rgb.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, frame.rgb.data(), 0, nullptr)) {
        error = path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

bool WritePngFrame(const std::string& path, const RgbFrame& frame, std::string& error) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = frame.width;
    image.height = frame.height;
    image.format = PNG_FORMAT_RGB;
    if (frame.rgb.size() != size_t(frame.width) * frame.height * 3 ||
        !png_image_write_to_file(&image, path.c_str(), 0, frame.rgb.data(), 0, nullptr)) {
        error = path + ": " + (image.message[0] ? image.message : "no picture to write");
        return false;
    }
    return true;
}

bool FrameDifference::Within(const FrameTolerance& tolerance) const {
    return sameSize && meanLevels <= tolerance.meanLevels && double(near) >= tolerance.nearShare * double(pixels);
}

std::string FrameDifference::Describe() const {
    if (!sameSize) return "the frames differ in size";
    std::ostringstream text;
    text << differing << " of " << pixels << " pixels differ, the worst by " << worstLevels << " levels, "
         << near << " near, mean difference " << meanLevels << " levels a channel";
    return text.str();
}

FrameDifference CompareFrames(const RgbFrame& expected, const RgbFrame& got, const FrameTolerance& tolerance) {
    FrameDifference result;
    result.sameSize = expected.width == got.width && expected.height == got.height &&
                      expected.rgb.size() == got.rgb.size();
    if (!result.sameSize) return result;
    result.pixels = expected.rgb.size() / 3;
    uint64_t total = 0;
    for (size_t i = 0; i < expected.rgb.size(); i += 3) {
        unsigned worst = 0;
        for (size_t c = i; c < i + 3; ++c) {
            const unsigned d = unsigned(std::abs(int(expected.rgb[c]) - int(got.rgb[c])));
            total += d;
            worst = std::max(worst, d);
        }
        result.differing += worst > 0;
        result.near += worst <= tolerance.nearLevels;
        result.worstLevels = std::max(result.worstLevels, worst);
    }
    result.meanLevels = result.pixels ? double(total) / double(result.pixels * 3) : 0.0;
    return result;
}

RgbFrame DifferenceImage(const RgbFrame& expected, const RgbFrame& got) {
    RgbFrame picture = expected;
    for (size_t i = 0; i + 2 < picture.rgb.size() && i + 2 < got.rgb.size(); i += 3) {
        int worst = 0;
        for (size_t c = i; c < i + 3; ++c) worst = std::max(worst, std::abs(int(expected.rgb[c]) - int(got.rgb[c])));
        const uint8_t grey = uint8_t((expected.rgb[i] + expected.rgb[i + 1] + expected.rgb[i + 2]) / 12);
        picture.rgb[i] = worst ? uint8_t(std::min(255, 128 + 2 * worst)) : grey;
        picture.rgb[i + 1] = worst ? 0 : grey;
        picture.rgb[i + 2] = worst ? 0 : grey;
    }
    return picture;
}

::testing::AssertionResult MatchesGoldenFrame(const std::string& goldenPath, const RgbFrame& got,
                                              const FrameTolerance& tolerance, const std::string& mismatchFolder) {
    namespace fs = std::filesystem;
    RgbFrame expected;
    std::string error;
    if (!ReadPngFrame(goldenPath, expected, error))
        return ::testing::AssertionFailure() << "no golden frame (" << error << "); scripts/update-golden.sh makes it";
    const FrameDifference difference = CompareFrames(expected, got, tolerance);
    if (difference.Within(tolerance)) return ::testing::AssertionSuccess();

    const std::string name = fs::path(goldenPath).filename().string();
    const std::string gotPath = mismatchFolder + "/" + name;
    const std::string diffPath = mismatchFolder + "/" + name.substr(0, name.size() - 4) + ".diff.png";
    std::error_code ignored;
    fs::create_directories(mismatchFolder, ignored);
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << name << " does not match its golden frame " << goldenPath << ": " << difference.Describe();
    if (!WritePngFrame(gotPath, got, error)) return failure << "; the frame got could not be written: " << error;
    failure << "\n  got:        " << gotPath;
    if (difference.sameSize && WritePngFrame(diffPath, DifferenceImage(expected, got), error))
        failure << "\n  difference: " << diffPath;
    return failure;
}
