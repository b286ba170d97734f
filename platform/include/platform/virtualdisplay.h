// The virtual display, for tools and tests: windows are created without a screen, the display
// reports the given size as its desktop and as one of its modes, and every presented frame goes
// to the host's callback.
#pragma once

#include <platform/display.h>
#include <platform/presentation.h>

namespace platform {

using PresentCallback = std::function<void(const FrameImage&)>;

// Sets the virtual display's size and host, and picks it from the display table. Call before
// the show starts.
void UseVirtualDisplay(DWORD width, DWORD height, PresentCallback onPresent);

// The virtual display's window: its size (the desktop's in full screen, the mode's when
// windowed) and where the last presented picture went in it.
struct VirtualWindowView {
    int width;
    int height;
    PictureRect picture;
};
VirtualWindowView VirtualWindow();
// Resizes the window as a user would a real one.
void ResizeVirtualWindow(int width, int height);

}  // namespace platform
