// Writes baseline JPEG files for tests, from a colour per pixel.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum class JpegLayout {
    Colour,       // baseline, three components
    Grayscale,    // keeps only the green byte
    Cmyk,         // four components, black 0
    Progressive,  // three components in several scans
};

// colour(x, y) gives 0x00RRGGBB. False when the file cannot be written.
bool WriteJpeg(const std::string& path, int width, int height, const std::function<uint32_t(int, int)>& colour,
               JpegLayout layout = JpegLayout::Colour, int quality = 100);
