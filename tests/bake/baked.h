// The bake every test reads: the build's own, or one made into a temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

const std::string& BakedFolder();
// Runs the baker into a fresh temporary folder; returns the folder, or "" when it failed.
std::string BakeInto(const std::string& name);
std::vector<uint8_t> ReadBytes(const std::string& path);

struct DecodedJpeg {
    bool ok = false;
    bool progressive = false;
    int width = 0, height = 0, components = 0;
    std::vector<uint8_t> rgb;
    float Luma(int x, int y) const {
        const uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
        return (0.3f * p[0] + 0.59f * p[1] + 0.11f * p[2]) / 255.0f;
    }
};
DecodedJpeg DecodeJpeg(const std::vector<uint8_t>& bytes);
