// The pixel formats the DirectDraw core makes surfaces in.
#pragma once

#include <ddraw.h>

namespace ddraw {

DDPIXELFORMAT RgbFormat(DWORD bitCount);  // 16: 5-6-5, 32: X8R8G8B8
DDPIXELFORMAT ZBufferFormat(DWORD bitDepth);
// Bytes per pixel of an RGB (16 or 32 bits) or z-buffer (16, 24 or 32 bits) format; 0 when the
// core cannot make a surface in it.
DWORD BytesPerPixel(const DDPIXELFORMAT& format);
bool SameFormat(const DDPIXELFORMAT& a, const DDPIXELFORMAT& b);

}  // namespace ddraw
