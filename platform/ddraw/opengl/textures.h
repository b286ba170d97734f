// Textures in GL: every DirectDraw texture surface a draw uses is mirrored into a GL texture,
// uploaded again only when the core reports that its pixels changed.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "ddraw/devicedriver.h"

namespace opengl {

// Pixels of a surface as 0x00RRGGBB words, 5- and 6-bit channels widened as the software device
// samples them (the high bits repeated below).
void ExpandToRgb(const SurfaceMemory& memory, std::vector<uint32_t>& out);

// The GL texture holding the surface's pixels as they are now; 0 when it cannot be had. A
// surface that a device draws into is written back and copied for each use.
GLuint MirroredTexture(SurfaceMemory& memory);
// Drops the mirror of a surface that is about to be drawn into.
void ForgetMirror(SurfaceMemory& memory);

// A sampler for each filter and address combination, made on first use.
GLuint SamplerFor(DWORD magFilter, DWORD minFilter, DWORD addressU, DWORD addressV);

}  // namespace opengl
