#include "pixelformats.h"

namespace ddraw {

DDPIXELFORMAT RgbFormat(DWORD bitCount) {
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = bitCount;
    if (bitCount == 16) {
        format.dwRBitMask = 0xF800;
        format.dwGBitMask = 0x07E0;
        format.dwBBitMask = 0x001F;
    } else {
        format.dwRBitMask = 0x00FF0000;
        format.dwGBitMask = 0x0000FF00;
        format.dwBBitMask = 0x000000FF;
    }
    return format;
}

DDPIXELFORMAT ZBufferFormat(DWORD bitDepth) {
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_ZBUFFER;
    format.dwZBufferBitDepth = bitDepth;
    format.dwZBitMask = bitDepth >= 32 ? 0xFFFFFFFFu : (1u << bitDepth) - 1;
    return format;
}

DWORD BytesPerPixel(const DDPIXELFORMAT& format) {
    if (format.dwFlags & DDPF_ZBUFFER) {
        switch (format.dwZBufferBitDepth) {
        case 16: return 2;
        case 24:
        case 32: return 4;
        default: return 0;
        }
    }
    if ((format.dwFlags & DDPF_RGB) == 0 || (format.dwFlags & DDPF_FOURCC) != 0) return 0;
    if (format.dwRGBBitCount == 16) return 2;
    if (format.dwRGBBitCount == 32) return 4;
    return 0;
}

bool SameFormat(const DDPIXELFORMAT& a, const DDPIXELFORMAT& b) {
    return a.dwFlags == b.dwFlags && a.dwRGBBitCount == b.dwRGBBitCount && a.dwRBitMask == b.dwRBitMask &&
           a.dwGBitMask == b.dwGBitMask && a.dwBBitMask == b.dwBBitMask && a.dwRGBAlphaBitMask == b.dwRGBAlphaBitMask;
}

}  // namespace ddraw
