#include "pixelformats.h"

namespace ddraw {

HRESULT EnumerateFormats(const DDPIXELFORMAT* formats, LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) {
    for (const DDPIXELFORMAT* format = formats; format->dwSize != 0; ++format) {
        DDPIXELFORMAT copy = *format;
        if (callback(&copy, context) == D3DENUMRET_CANCEL) break;
    }
    return D3D_OK;
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
