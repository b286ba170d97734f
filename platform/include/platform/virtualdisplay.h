// The virtual display, for tools and tests: windows are created without a screen, the display
// reports the given size as its desktop and as one of its modes, and every flip and every
// presented picture goes to the host's callbacks.
#pragma once

#include <platform/display.h>
#include <platform/presentation.h>

namespace platform {

using PresentCallback = std::function<void(const FrameImage&)>;
// Called at every flip, before the frame's picture reaches the PresentCallback: at once when the
// picture is in memory, one flip later when a device reads it back meanwhile (AnnounceFrame).
using FlipCallback = std::function<void()>;

// Sets the virtual display's size and host, and picks it from the display table. Call before
// the show starts.
void UseVirtualDisplay(DWORD width, DWORD height, PresentCallback onPresent, FlipCallback onFlip = nullptr);

// Hands the host the pictures of flips still being read back, at once; also from the flip
// callback, for the frame just flipped. The show does not release its surfaces at its end: a
// host taking every frame calls this once the show has returned.
void FinishPresenting();

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
