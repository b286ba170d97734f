// Textures in GL: every DirectDraw texture surface a draw uses is mirrored into a GL texture,
// uploaded again only when the core reports that its pixels changed.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "ddraw/devicedriver.h"

namespace opengl {

// How 5- and 6-bit channels become 8 bits: as the software device samples texels (the high
// bits repeated below), or as plain multiples that a 16-bit framebuffer quantises back unchanged.
enum class Expansion { Sampled, Stored };

// Pixels of a surface as 0x00RRGGBB words.
void ExpandToRgb(const SurfaceMemory& memory, Expansion expansion, std::vector<uint32_t>& out);

// The GL texture holding the surface's pixels as they are now; 0 when it cannot be had. A
// surface that a device draws into is written back and copied for each use.
GLuint MirroredTexture(SurfaceMemory& memory);
// Drops the mirror of a surface that is about to be drawn into.
void ForgetMirror(SurfaceMemory& memory);

// A sampler for each filter and address combination, made on first use.
GLuint SamplerFor(DWORD magFilter, DWORD minFilter, DWORD addressU, DWORD addressV);

}  // namespace opengl
