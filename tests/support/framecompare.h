// Frames compared with the golden frames of the software device: exactly for that device,
// within a tolerance for a device whose rounding may differ. On a mismatch the frame that was
// got and a picture of the differences are written out and named, so a failure can be looked at.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Tightly packed 8-bit RGB rows.
struct RgbFrame {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<uint8_t> rgb;
};

// False with the reason when the file is missing or not a picture.
bool ReadPngFrame(const std::string& path, RgbFrame& frame, std::string& error);
bool WritePngFrame(const std::string& path, const RgbFrame& frame, std::string& error);

// How far a frame may be from its golden frame. The default is exact.
struct FrameTolerance {
    double meanLevels = 0.0;  // most absolute difference in levels, averaged over every channel of every pixel
    unsigned nearLevels = 0;  // a pixel is near when none of its channels differs by more
    double nearShare = 1.0;   // smallest share of pixels that must be near
};

struct FrameDifference {
    bool sameSize = false;
    size_t pixels = 0;
    size_t differing = 0;  // pixels with any channel different
    size_t near = 0;       // pixels within the tolerance's nearLevels
    double meanLevels = 0.0;  // absolute difference averaged over every channel of every pixel
    unsigned worstLevels = 0;

    bool Within(const FrameTolerance& tolerance) const;
    std::string Describe() const;
};

FrameDifference CompareFrames(const RgbFrame& expected, const RgbFrame& got, const FrameTolerance& tolerance);

// The expected frame dimmed to a quarter in grey, with every differing pixel in red, brighter
// the larger its difference, so even a one-level difference stands out.
RgbFrame DifferenceImage(const RgbFrame& expected, const RgbFrame& got);

// Compares got with the golden frame in goldenPath. On a mismatch writes got as
// mismatchFolder/NAME and the difference image as mismatchFolder/NAME without .png + ".diff.png",
// and names both in the failure.
::testing::AssertionResult MatchesGoldenFrame(const std::string& goldenPath, const RgbFrame& got,
                                              const FrameTolerance& tolerance, const std::string& mismatchFolder);
