// Presented frames to 8-bit RGB, the form PNG files take, and to planar YUV, the form video
// encoders take.
#pragma once

#include <platform/display.h>

#include <cstdint>
#include <vector>

// Converts a 16-bit (5-6-5) or 32-bit (X8R8G8B8) frame, or any RGB format given by its masks
// in 16 or 32 bits, to tightly packed RGB rows. Narrow channels are widened by repeating their
// top bits, so full intensity stays 255. False for a format without RGB masks.
bool ConvertToRgb(const platform::FrameImage& frame, std::vector<uint8_t>& rgb);

// Averages every factor x factor block of packed RGB rows into one pixel, rounded to the
// nearest; width and height are those of the reduced picture.
void ReduceBlocks(const std::vector<uint8_t>& rgb, unsigned width, unsigned height, unsigned factor,
                  std::vector<uint8_t>& reduced);

// A frame rendered at factor times the size to RGB at the size asked for: converted into full,
// then reduced into rgb (converted straight into rgb when factor is 1). False as ConvertToRgb.
bool FrameToRgb(const platform::FrameImage& frame, unsigned factor, std::vector<uint8_t>& full,
                std::vector<uint8_t>& rgb);

// A picture as planar Y, U and V, BT.601 studio range (the matrix and range ffmpeg converts RGB
// with by default): a plane of width x height luma samples, then the two colour planes at full
// resolution (4:4:4) or, with halfChroma, half each way (4:2:0), each sample from the rounded
// mean of its 2 x 2 block (an odd side's last block repeats its last column or row).
// Straight from a frame in the common layouts, 5-6-5 and X8R8G8B8; false for any other.
bool FrameToYuv(const platform::FrameImage& frame, bool halfChroma, std::vector<uint8_t>& yuv);
// From packed RGB rows, for the other layouts and reduced frames.
void RgbToYuv(const std::vector<uint8_t>& rgb, unsigned width, unsigned height, bool halfChroma,
              std::vector<uint8_t>& yuv);

// The bytes of one such picture.
size_t YuvBytes(unsigned width, unsigned height, bool halfChroma);
