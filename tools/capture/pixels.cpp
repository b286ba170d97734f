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

namespace {

// The 8-bit channels of a pixel of one layout. The arithmetic below stays within 16 bits, so
// that the compiler can take eight pixels at a time in vector registers.
struct Rgb565 {
    static constexpr int Bytes = 2;
    static void Split(const uint8_t* at, uint16_t& r, uint16_t& g, uint16_t& b) {
        uint16_t p;
        std::memcpy(&p, at, 2);
        const uint16_t r5 = p >> 11, g6 = (p >> 5) & 63, b5 = p & 31;
        r = uint16_t(r5 << 3 | r5 >> 2);
        g = uint16_t(g6 << 2 | g6 >> 4);
        b = uint16_t(b5 << 3 | b5 >> 2);
    }
};

struct Xrgb8888 {
    static constexpr int Bytes = 4;
    static void Split(const uint8_t* at, uint16_t& r, uint16_t& g, uint16_t& b) {
        uint32_t p;
        std::memcpy(&p, at, 4);
        r = uint16_t((p >> 16) & 255);
        g = uint16_t((p >> 8) & 255);
        b = uint16_t(p & 255);
    }
};

struct Rgb24 {
    static constexpr int Bytes = 3;
    static void Split(const uint8_t* at, uint16_t& r, uint16_t& g, uint16_t& b) {
        r = at[0];
        g = at[1];
        b = at[2];
    }
};

// The integer form of BT.601 in studio range: luma 16 to 235, colour 16 to 240 about 128. For
// channels 0 to 255 the sums fit 16 bits: luma's below 65,536, the colours' within +-32,767.
inline uint8_t Luma(uint16_t r, uint16_t g, uint16_t b) {
    return uint8_t((uint16_t(66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
}
inline uint8_t BlueDifference(uint16_t r, uint16_t g, uint16_t b) {
    return uint8_t((int16_t(-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
}
inline uint8_t RedDifference(uint16_t r, uint16_t g, uint16_t b) {
    return uint8_t((int16_t(112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
}

template <bool HalfChroma, class Layout>
void ToYuv(const uint8_t* pixels, ptrdiff_t pitch, unsigned width, unsigned height, uint8_t* out) {
    constexpr int Bytes = Layout::Bytes;
    for (unsigned y = 0; y < height; ++y, out += width) {
        const uint8_t* row = pixels + ptrdiff_t(y) * pitch;
        for (size_t x = 0; x < width; ++x) {
            uint16_t r, g, b;
            Layout::Split(row + x * Bytes, r, g, b);
            out[x] = Luma(r, g, b);
        }
    }
    const unsigned step = HalfChroma ? 2 : 1;
    const unsigned colourWidth = (width + step - 1) / step;
    uint8_t* u = out;
    uint8_t* v = out + size_t(colourWidth) * ((height + step - 1) / step);
    for (unsigned y = 0; y < height; y += step, u += colourWidth, v += colourWidth) {
        const uint8_t* top = pixels + ptrdiff_t(y) * pitch;
        if (!HalfChroma) {
            for (size_t x = 0; x < width; ++x) {
                uint16_t r, g, b;
                Layout::Split(top + x * Bytes, r, g, b);
                u[x] = BlueDifference(r, g, b);
                v[x] = RedDifference(r, g, b);
            }
            continue;
        }
        const uint8_t* bottom = y + 1 < height ? top + pitch : top;
        const auto block = [&](size_t x, size_t left, size_t right) {
            uint16_t r[4], g[4], b[4];
            Layout::Split(top + left * Bytes, r[0], g[0], b[0]);
            Layout::Split(top + right * Bytes, r[1], g[1], b[1]);
            Layout::Split(bottom + left * Bytes, r[2], g[2], b[2]);
            Layout::Split(bottom + right * Bytes, r[3], g[3], b[3]);
            const uint16_t red = uint16_t((r[0] + r[1] + r[2] + r[3] + 2) >> 2);
            const uint16_t green = uint16_t((g[0] + g[1] + g[2] + g[3] + 2) >> 2);
            const uint16_t blue = uint16_t((b[0] + b[1] + b[2] + b[3] + 2) >> 2);
            u[x] = BlueDifference(red, green, blue);
            v[x] = RedDifference(red, green, blue);
        };
        const size_t whole = width / 2;
        for (size_t x = 0; x < whole; ++x) block(x, 2 * x, 2 * x + 1);
        // The last block of an odd side repeats its column.
        if (width & 1) block(whole, width - 1, width - 1);
    }
}

template <class Layout>
void ToYuv(const uint8_t* pixels, ptrdiff_t pitch, unsigned width, unsigned height, bool halfChroma, uint8_t* out) {
    if (halfChroma)
        ToYuv<true, Layout>(pixels, pitch, width, height, out);
    else
        ToYuv<false, Layout>(pixels, pitch, width, height, out);
}

bool HasMasks(const DDPIXELFORMAT& format, DWORD bits, DWORD red, DWORD green, DWORD blue) {
    return (format.dwFlags & DDPF_RGB) && format.dwRGBBitCount == bits && format.dwRBitMask == red &&
           format.dwGBitMask == green && format.dwBBitMask == blue;
}

}  // namespace

size_t YuvBytes(unsigned width, unsigned height, bool halfChroma) {
    const size_t luma = size_t(width) * height;
    return halfChroma ? luma + 2 * size_t((width + 1) / 2) * ((height + 1) / 2) : 3 * luma;
}

bool FrameToYuv(const platform::FrameImage& frame, bool halfChroma, std::vector<uint8_t>& yuv) {
    const uint8_t* pixels = static_cast<const uint8_t*>(frame.pixels);
    const bool rgb565 = HasMasks(frame.format, 16, 0xF800, 0x07E0, 0x001F);
    if (!pixels || (!rgb565 && !HasMasks(frame.format, 32, 0xFF0000, 0x00FF00, 0x0000FF))) return false;
    yuv.resize(YuvBytes(frame.width, frame.height, halfChroma));
    if (rgb565)
        ToYuv<Rgb565>(pixels, frame.pitch, frame.width, frame.height, halfChroma, yuv.data());
    else
        ToYuv<Xrgb8888>(pixels, frame.pitch, frame.width, frame.height, halfChroma, yuv.data());
    return true;
}

void RgbToYuv(const std::vector<uint8_t>& rgb, unsigned width, unsigned height, bool halfChroma,
              std::vector<uint8_t>& yuv) {
    yuv.resize(YuvBytes(width, height, halfChroma));
    ToYuv<Rgb24>(rgb.data(), ptrdiff_t(width) * 3, width, height, halfChroma, yuv.data());
}
