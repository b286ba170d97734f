#include "canvas.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ddraw/pixelformats.h"

namespace {

int BytesOf(int bits) { return bits == 32 ? 4 : 2; }

uint32_t Expand(uint32_t value, int size) { return size == 5 ? (value << 3) | (value >> 2) : (value << 2) | (value >> 4); }

}  // namespace

std::vector<ScreenVertex> Quad(float x0, float y0, float x1, float y1, DWORD colour, float z, float u0, float v0,
                               float u1, float v1) {
    const ScreenVertex a{x0, y0, z, 1.0f, colour, 0, u0, v0}, b{x1, y0, z, 1.0f, colour, 0, u1, v0};
    const ScreenVertex c{x1, y1, z, 1.0f, colour, 0, u1, v1}, d{x0, y1, z, 1.0f, colour, 0, u0, v1};
    return {a, b, c, a, c, d};
}

std::vector<MeshVertex> FacingSquare(float z, float normalLength) {
    const MeshVertex a{-1, 1, z, 0, 0, -normalLength, 0, 0}, b{1, 1, z, 0, 0, -normalLength, 1, 0};
    const MeshVertex c{1, -1, z, 0, 0, -normalLength, 1, 1}, d{-1, -1, z, 0, 0, -normalLength, 0, 1};
    return {a, b, c, a, c, d};
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int difference = int((a >> shift) & 255) - int((b >> shift) & 255);
        if (std::abs(difference) > tolerance) return false;
    }
    return true;
}

void AddOneUnit(Canvas& canvas) {
    canvas.SetState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    canvas.SetState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    canvas.SetState(D3DRENDERSTATE_ZENABLE, 0);
    canvas.SetState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
}

ScreenVertex At(float x, float y) { return ScreenVertex{x, y, 0.5f, 1.0f, 0x010000, 0, 0, 0}; }

void SetFilter(Canvas& canvas, DWORD filter) {
    canvas.SetStageState(D3DTSS_MAGFILTER, filter);
    canvas.SetStageState(D3DTSS_MINFILTER, filter);
}

DDPIXELFORMAT RgbLayout(int bits) {
    return bits == 15 ? ddraw::RgbFormat(16, 0x7C00, 0x03E0, 0x001F) : ddraw::RgbFormat(DWORD(bits));
}

void PackTexels(int bits, int width, int height, const std::vector<uint32_t>& texels, uint8_t* rows, long pitch) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* at = rows + size_t(y) * size_t(pitch);
            const uint32_t c = texels[size_t(y) * size_t(width) + size_t(x)];
            const uint32_t r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
            if (bits == 32) {
                std::memcpy(at + 4 * x, &c, 4);
                continue;
            }
            const uint16_t packed = bits == 16 ? uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                                               : uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
            std::memcpy(at + 2 * x, &packed, 2);
        }
}

uint32_t Canvas::Stored(bool depth, int x, int y) {
    long pitch = 0;
    const uint8_t* rows = Acquire(depth, &pitch);
    if (rows == nullptr) {
        ADD_FAILURE() << "the canvas's " << (depth ? "depth buffer" : "target") << " cannot be read";
        return 0;
    }
    const int size = depth ? depthBits / 8 : BytesOf(bits);
    uint32_t value = 0;
    std::memcpy(&value, rows + size_t(y) * size_t(pitch) + size_t(x) * size_t(size), size_t(size));
    Release(depth);
    return value;
}

uint32_t Canvas::Rgb(int x, int y) { return RgbOf(Raw(x, y), bits); }

uint32_t Canvas::Raw(int x, int y) { return Stored(false, x, y); }

uint32_t Canvas::Depth(int x, int y) { return Stored(true, x, y); }

uint32_t RgbOf(uint32_t raw, int bits) {
    if (bits == 32) return raw & 0xFFFFFF;
    const int green = bits == 16 ? 6 : 5;
    const uint32_t r = (raw >> (5 + green)) & 31, g = (raw >> 5) & ((1u << green) - 1), b = raw & 31;
    return (Expand(r, 5) << 16) | (Expand(g, green) << 8) | Expand(b, 5);
}

std::vector<uint32_t> Canvas::Picture() {
    std::vector<uint32_t> pixels;
    long pitch = 0;
    const uint8_t* rows = Acquire(false, &pitch);
    if (rows == nullptr) {
        ADD_FAILURE() << "the canvas's target cannot be read";
        return pixels;
    }
    const int size = BytesOf(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t value = 0;
            std::memcpy(&value, rows + size_t(y) * size_t(pitch) + size_t(x) * size_t(size), size_t(size));
            pixels.push_back(RgbOf(value, bits));
        }
    Release(false);
    return pixels;
}

int Canvas::Count(uint32_t rgb) {
    int n = 0;
    for (uint32_t pixel : Picture()) n += pixel == rgb;
    return n;
}
