#include "pixels.h"

#include <cstring>

namespace {

struct Channel {
    int shift = 0;
    int bits = 0;
};

Channel ChannelOf(DWORD mask) {
    Channel channel;
    if (mask == 0) return channel;
    while (!(mask & 1)) {
        mask >>= 1;
        ++channel.shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++channel.bits;
    }
    return channel;
}

// One lookup table per channel: every raw value to its 8-bit intensity.
struct ChannelTable {
    Channel channel;
    uint8_t values[256];

    explicit ChannelTable(DWORD mask) : channel(ChannelOf(mask)) {
        const int bits = channel.bits > 8 ? 8 : channel.bits;
        for (int raw = 0; raw < 256; ++raw) {
            if (bits == 0 || raw >= (1 << bits)) {
                values[raw] = 0;
                continue;
            }
            int value = 0;
            for (int filled = 0; filled < 8; filled += bits) value = (value << bits) | raw;
            // The repeated pattern may overshoot eight bits; keep its top eight.
            int total = ((8 + bits - 1) / bits) * bits;
            values[raw] = static_cast<uint8_t>(value >> (total - 8));
        }
    }
    uint8_t Of(uint32_t pixel) const {
        const int keep = channel.bits > 8 ? 8 : channel.bits;
        const int dropped = channel.bits - keep;
        return values[(pixel >> (channel.shift + dropped)) & ((1u << keep) - 1)];
    }
};

}  // namespace

bool ConvertToRgb(const platform::FrameImage& frame, std::vector<uint8_t>& rgb) {
    const DDPIXELFORMAT& format = frame.format;
    const DWORD bitCount = format.dwRGBBitCount;
    if (!(format.dwFlags & DDPF_RGB) || (bitCount != 16 && bitCount != 32) || frame.pixels == nullptr ||
        format.dwRBitMask == 0 || format.dwGBitMask == 0 || format.dwBBitMask == 0)
        return false;
    const ChannelTable red(format.dwRBitMask), green(format.dwGBitMask), blue(format.dwBBitMask);
    rgb.resize(size_t(frame.width) * frame.height * 3);
    uint8_t* out = rgb.data();
    for (DWORD y = 0; y < frame.height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(frame.pixels) + ptrdiff_t(y) * frame.pitch;
        for (DWORD x = 0; x < frame.width; ++x) {
            uint32_t pixel;
            if (bitCount == 16) {
                uint16_t narrow;
                std::memcpy(&narrow, row + 2 * x, 2);
                pixel = narrow;
            } else {
                std::memcpy(&pixel, row + 4 * x, 4);
            }
            *out++ = red.Of(pixel);
            *out++ = green.Of(pixel);
            *out++ = blue.Of(pixel);
        }
    }
    return true;
}

void ReduceBlocks(const std::vector<uint8_t>& rgb, unsigned width, unsigned height, unsigned factor,
                  std::vector<uint8_t>& reduced) {
    reduced.resize(size_t(width) * height * 3);
    const size_t fullRow = size_t(width) * factor * 3;
    const unsigned count = factor * factor;
    uint8_t* out = reduced.data();
    for (unsigned y = 0; y < height; ++y) {
        const uint8_t* top = rgb.data() + size_t(y) * factor * fullRow;
        for (unsigned x = 0; x < width; ++x) {
            unsigned sums[3] = {count / 2, count / 2, count / 2};
            for (unsigned dy = 0; dy < factor; ++dy) {
                const uint8_t* at = top + dy * fullRow + size_t(x) * factor * 3;
                for (unsigned dx = 0; dx < factor; ++dx, at += 3) {
                    sums[0] += at[0];
                    sums[1] += at[1];
                    sums[2] += at[2];
                }
            }
            *out++ = uint8_t(sums[0] / count);
            *out++ = uint8_t(sums[1] / count);
            *out++ = uint8_t(sums[2] / count);
        }
    }
}

bool FrameToRgb(const platform::FrameImage& frame, unsigned factor, std::vector<uint8_t>& full,
                std::vector<uint8_t>& rgb) {
    if (factor <= 1) return ConvertToRgb(frame, rgb);
    if (!ConvertToRgb(frame, full)) return false;
    ReduceBlocks(full, frame.width / factor, frame.height / factor, factor, rgb);
    return true;
}
