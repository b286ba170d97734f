// Whole-framebuffer passes: the picture leaving the framebuffer in the target's layout, and
// depth values put back into a depth buffer.
#pragma once

#include <epoxy/gl.h>

#include "ddraw/software/formats.h"

namespace opengl {

// Draws the picture (8 bits per channel, top row first) into the bound framebuffer, rows in the
// other order when flipped; for 16-bit layouts every pixel quantised as the software device
// stores it, through its dither pattern when dither is set.
void DrawResolvedPicture(GLuint picture, int width, int height, software::ColourFormat layout, bool dither,
                         bool flipRows);

// Writes the depths of an R32F texture into the bound framebuffer's depth.
void DrawDepths(GLuint depths);

}  // namespace opengl
