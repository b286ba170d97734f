// Writes baseline JPEG files for tests, from a colour per pixel.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// colour(x, y) gives 0x00RRGGBB; a grayscale file keeps only the green byte. False when the
// file cannot be written.
bool WriteJpeg(const std::string& path, int width, int height, const std::function<uint32_t(int, int)>& colour,
               bool grayscale = false, int quality = 100);
