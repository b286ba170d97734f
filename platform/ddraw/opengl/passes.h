// A whole-framebuffer pass putting depth values from memory back into a depth buffer.
#pragma once

#include <epoxy/gl.h>

namespace opengl {

// Writes the depths of an R32F texture into the bound framebuffer's depth.
void DrawDepths(GLuint depths);

}  // namespace opengl
