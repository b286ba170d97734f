// Presented frames to 8-bit RGB, the form PNG files and ffmpeg take.
#pragma once

#include <platform/display.h>

#include <cstdint>
#include <vector>

// Converts a 16-bit (5-6-5) or 32-bit (X8R8G8B8) frame, or any RGB format given by its masks
// in 16 or 32 bits, to tightly packed RGB rows. Narrow channels are widened by repeating their
// top bits, so full intensity stays 255. False for a format without RGB masks.
bool ConvertToRgb(const platform::FrameImage& frame, std::vector<uint8_t>& rgb);
