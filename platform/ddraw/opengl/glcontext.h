// The OpenGL context the hardware device draws with. Without a window the device draws in a
// context of its own, made through EGL with no surface at all; the same context answers what
// the machine's OpenGL is, before any device exists.
#pragma once

#include <windows.h>

#include <string>

namespace opengl {

// Makes the headless context current on this thread, creating it on first use (OpenGL 3.3 core).
// False, with the reason kept for HeadlessContextFailure, when the machine has no usable OpenGL.
bool MakeHeadlessContextCurrent();
const std::string& HeadlessContextFailure();

// Lets go of the headless context on this thread, so another API's context can be made current.
void ReleaseHeadlessContext();

// Decides, once, where the devices draw: in a context the live display makes for this window,
// whose frames it shows without reading them back, or else in the headless context.
void ChooseDeviceContext(HWND window);
// Whether the devices draw in the live display's context.
bool DrawingForDisplay();
// After a failed live presentation: frames go through memory from now on.
void StopPresentingLive();

// Makes the context the devices draw with current on this thread.
bool MakeDeviceContextCurrent();

// The renderer string of the machine's OpenGL ("llvmpipe (LLVM 15.0.6, 256 bits)"), empty when
// there is none.
const std::string& RendererName();

// Renderers that draw on the CPU: Mesa's llvmpipe, softpipe and swrast.
bool IsSoftwareRenderer(const std::string& renderer);

}  // namespace opengl
