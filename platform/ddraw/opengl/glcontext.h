// The OpenGL context the hardware device draws with. Without a window the device draws in a
// context of its own, made through EGL with no surface at all; the same context answers what
// the machine's OpenGL is, before any device exists.
#pragma once

#include <string>

namespace opengl {

// Makes the headless context current on this thread, creating it on first use (OpenGL 3.3 core).
// False, with the reason kept for HeadlessContextFailure, when the machine has no usable OpenGL.
bool MakeHeadlessContextCurrent();
const std::string& HeadlessContextFailure();

// Makes the context the devices draw with current on this thread.
bool MakeDeviceContextCurrent();

// The renderer string of the machine's OpenGL ("llvmpipe (LLVM 15.0.6, 256 bits)"), empty when
// there is none.
const std::string& RendererName();

// Renderers that draw on the CPU: Mesa's llvmpipe, softpipe and swrast.
bool IsSoftwareRenderer(const std::string& renderer);

}  // namespace opengl
