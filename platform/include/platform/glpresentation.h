// Pictures an OpenGL device draws, shown on the live display without being read back: the device
// draws in a context the display makes for the window, sharing its objects with the context the
// display shows frames with. Only the SDL display on an OpenGL renderer offers it; everywhere
// else (the virtual display, another renderer) both calls answer false and the device hands its
// frames over as memory.
#pragma once

#include <windows.h>

namespace platform {

// Makes the window's device context current on this thread, creating it on first use (OpenGL 3.3
// core).
bool MakeDisplayGlContextCurrent(HWND window);

// Shows a frame held in a texture of the device context (GL_RGBA8, rows top first), as
// PresentFrame shows one from memory: scaled, paced, overlaid. ready is a fence sync the device
// set after drawing into the texture, or null; it is waited on and deleted.
bool PresentGlTexture(HWND window, unsigned texture, void* ready, DWORD width, DWORD height, DWORD refreshRate);

}  // namespace platform
