// Texture sampling: texel fetch per layout, address modes, point and bilinear filtering.
// Texel centres sit at half-integer texel coordinates; every step is exact or in a fixed order
// of single-precision operations, so a sample never depends on the machine.
#pragma once

#include <cstdint>
#include <cstring>

#include "ddraw/software/spans.h"

namespace software {

SOFTWARE_PIXEL_INLINE uint32_t PackRgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
SOFTWARE_PIXEL_INLINE uint32_t Expand5(uint32_t c) { return (c << 3) | (c >> 2); }
SOFTWARE_PIXEL_INLINE uint32_t Expand6(uint32_t c) { return (c << 2) | (c >> 4); }

// A texel or target pixel of the layout as 0x00RRGGBB, 8 bits per channel.
template <ColourFormat F>
inline uint32_t LoadPixel(const uint8_t* row, int x);

template <>
SOFTWARE_PIXEL_INLINE uint32_t LoadPixel<ColourFormat::R5G6B5>(const uint8_t* row, int x) {
    uint16_t p;
    std::memcpy(&p, row + 2 * x, 2);
    return PackRgb(Expand5(p >> 11), Expand6((p >> 5) & 63), Expand5(p & 31));
}

template <>
SOFTWARE_PIXEL_INLINE uint32_t LoadPixel<ColourFormat::X1R5G5B5>(const uint8_t* row, int x) {
    uint16_t p;
    std::memcpy(&p, row + 2 * x, 2);
    return PackRgb(Expand5((p >> 10) & 31), Expand5((p >> 5) & 31), Expand5(p & 31));
}

template <>
SOFTWARE_PIXEL_INLINE uint32_t LoadPixel<ColourFormat::X8R8G8B8>(const uint8_t* row, int x) {
    uint32_t p;
    std::memcpy(&p, row + 4 * x, 4);
    return p & 0xFFFFFF;
}

// Keeps a co-ordinate where the integer conversions below are defined; NaN goes to the limit.
SOFTWARE_PIXEL_INLINE float Sanitise(float u) {
    constexpr float Limit = 4194304.0f;
    u = u < Limit ? u : Limit;
    return u > -Limit ? u : -Limit;
}

SOFTWARE_PIXEL_INLINE float Floor(float u) {
    float f = static_cast<float>(static_cast<int32_t>(u));
    return f > u ? f - 1.0f : f;
}

// Brings a texture co-ordinate into 0..1 for the address mode.
template <Address A>
inline float Reduce(float u);

template <>
SOFTWARE_PIXEL_INLINE float Reduce<Address::Wrap>(float u) {
    u = Sanitise(u);
    return u - Floor(u);
}

template <>
SOFTWARE_PIXEL_INLINE float Reduce<Address::Mirror>(float u) {
    u = Sanitise(u);
    u = u - 2.0f * Floor(u * 0.5f);
    return u > 1.0f ? 2.0f - u : u;
}

template <>
SOFTWARE_PIXEL_INLINE float Reduce<Address::Clamp>(float u) {
    u = u > 0.0f ? u : 0.0f;  // NaN becomes 0
    return u < 1.0f ? u : 1.0f;
}

// A texel index one step outside 0..size-1, brought back in by the address mode.
template <Address A>
SOFTWARE_PIXEL_INLINE int FixIndex(int i, int size) {
    if (A == Address::Wrap) {
        i = i < 0 ? i + size : i;
        return i >= size ? i - size : i;
    }
    i = i < 0 ? 0 : i;
    return i >= size ? size - 1 : i;
}

// 0x00RRGGBB as 0x00RR_00GG_00BB in 16-bit lanes.
SOFTWARE_PIXEL_INLINE uint64_t Spread(uint32_t c) {
    return (static_cast<uint64_t>(c & 0xFF0000) << 16) | ((c & 0xFF00) << 8) | (c & 0xFF);
}

// a + (b - a) x f / 256 in every lane, rounded; lanes stay below 2^16.
SOFTWARE_PIXEL_INLINE uint64_t Lerp(uint64_t a, uint64_t b, uint32_t f) {
    constexpr uint64_t Lanes = 0x000000FF00FF00FFull, Half = 0x0000008000800080ull;
    return ((a * (256 - f) + b * f + Half) >> 8) & Lanes;
}

// Sampling in two steps, so the co-ordinate arithmetic of a run of pixels can go through
// vector registers: Locate turns u, v into texel positions (whole texels for point filtering,
// 1/256 texel with the -0.5 texel-centre offset for bilinear), Fetch reads and filters.
template <ColourFormat F, Filter K, Address U, Address V>
struct Sampler {
    static SOFTWARE_PIXEL_INLINE void Locate(const SpanContext& c, float u, float v, int32_t* x, int32_t* y) {
        u = Reduce<U>(u);
        v = Reduce<V>(v);
        if (K == Filter::Point) {
            *x = static_cast<int32_t>(u * static_cast<float>(c.textureWidth));
            *y = static_cast<int32_t>(v * static_cast<float>(c.textureHeight));
        } else {
            // Both products are at least -0.5 texel, so truncation after the +256 offset is floor.
            *x = static_cast<int32_t>(u * static_cast<float>(c.textureWidth * 256) + 128.0f) - 256;
            *y = static_cast<int32_t>(v * static_cast<float>(c.textureHeight * 256) + 128.0f) - 256;
        }
    }

    static SOFTWARE_PIXEL_INLINE uint32_t Fetch(const SpanContext& c, int32_t x, int32_t y) {
        const int w = c.textureWidth, h = c.textureHeight;
        if (K == Filter::Point)
            return LoadPixel<F>(c.texels + FixIndex<V>(y, h) * c.texelPitch, FixIndex<U>(x, w));
        int i0 = x >> 8, j0 = y >> 8;
        uint32_t fx = x & 255, fy = y & 255;
        int i1 = FixIndex<U>(i0 + 1, w), j1 = FixIndex<V>(j0 + 1, h);
        i0 = FixIndex<U>(i0, w);
        j0 = FixIndex<V>(j0, h);
        const uint8_t* row0 = c.texels + j0 * c.texelPitch;
        const uint8_t* row1 = c.texels + j1 * c.texelPitch;
        // Channels spread to 16-bit lanes of one 64-bit word, so each blend step is one multiply.
        uint64_t top = Lerp(Spread(LoadPixel<F>(row0, i0)), Spread(LoadPixel<F>(row0, i1)), fx);
        uint64_t bottom = Lerp(Spread(LoadPixel<F>(row1, i0)), Spread(LoadPixel<F>(row1, i1)), fx);
        uint64_t mixed = Lerp(top, bottom, fy);
        return static_cast<uint32_t>(((mixed >> 16) & 0xFF0000) | ((mixed >> 8) & 0xFF00) | (mixed & 0xFF));
    }
};

}  // namespace software
