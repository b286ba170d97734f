// PNG files of converted frames, through libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes tightly packed 8-bit RGB rows as a PNG file. False with the reason (the file cannot be
// created, the disk is full) in error; nothing is left under the name then.
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgb, unsigned width, unsigned height,
              std::string& error);
