// The pixel formats the DirectDraw core makes surfaces in, and the one way a format is spelt
// out wherever a table or a device lists one.
#pragma once

#include <d3d.h>

namespace ddraw {

// An RGB layout by its masks; an alpha mask marks the alpha bits as present.
constexpr DDPIXELFORMAT RgbFormat(DWORD bitCount, DWORD red, DWORD green, DWORD blue, DWORD alpha = 0) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_RGB | (alpha ? DDPF_ALPHAPIXELS : 0);
    format.dwRGBBitCount = bitCount;
    format.dwRBitMask = red;
    format.dwGBitMask = green;
    format.dwBBitMask = blue;
    format.dwRGBAlphaBitMask = alpha;
    return format;
}

// 16: 5-6-5, 32: X8R8G8B8.
constexpr DDPIXELFORMAT RgbFormat(DWORD bitCount) {
    return bitCount == 16 ? RgbFormat(16, 0xF800, 0x07E0, 0x001F) : RgbFormat(bitCount, 0xFF0000, 0xFF00, 0xFF);
}

constexpr DDPIXELFORMAT ZBufferFormat(DWORD bitDepth) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_ZBUFFER;
    format.dwZBufferBitDepth = bitDepth;
    format.dwZBitMask = bitDepth >= 32 ? 0xFFFFFFFFu : (1u << bitDepth) - 1;
    return format;
}

// Offers each format of a list ending with a record of size 0, a copy each time (callers may
// scribble on what they are given), until the callback cancels.
HRESULT EnumerateFormats(const DDPIXELFORMAT* formats, LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context);

// Bytes per pixel of an RGB (16 or 32 bits) or z-buffer (16, 24 or 32 bits) format; 0 when the
// core cannot make a surface in it.
DWORD BytesPerPixel(const DDPIXELFORMAT& format);
bool SameFormat(const DDPIXELFORMAT& a, const DDPIXELFORMAT& b);

}  // namespace ddraw
