// The display the show runs on, for the platform's own units and for tools and tests: a real
// one (an SDL window, full screen) or a virtual one with no window, whose presented frames go
// to a callback.
#pragma once

#include <ddraw.h>

#include <functional>
#include <vector>

namespace platform {

struct DisplayMode {
    DWORD width;
    DWORD height;
    DWORD refreshRate;  // Hz; 0 when unknown
};

// A presented picture: the back buffer's memory as it stands at the flip.
struct FrameImage {
    const void* pixels;
    LONG pitch;
    DWORD width;
    DWORD height;
    DDPIXELFORMAT format;  // 16-bit 5-6-5 or 32-bit X8R8G8B8
};

using PresentCallback = std::function<void(const FrameImage&)>;

// Switches the process to a virtual display of the given size: windows are created without
// SDL, the display reports this size as its desktop and as one of its modes, and every
// presented frame goes to onPresent. Call before the show starts.
void UseVirtualDisplay(DWORD width, DWORD height, PresentCallback onPresent);
bool IsVirtualDisplay();

// Opens the real display if needed; false (with the reason on stderr, once) when there is none.
bool OpenDisplay();
// True once OpenDisplay has found no display.
bool DisplayMissing();

// The desktop's size and refresh rate.
DisplayMode DesktopMode();

// The modes the display reports, without duplicates.
std::vector<DisplayMode> ReportedModes();

// Exclusive full-screen cooperation: the window covers the whole desktop at the desktop's own
// size (the desktop's real mode is never changed; PresentFrame scales the picture into it).
// LeaveFullScreen gives the window back its created size. Both do nothing on the virtual display.
void EnterFullScreen(HWND window);
void LeaveFullScreen(HWND window);

// Shows a frame: on the real display scaled to the window with its aspect ratio kept (black
// bars), waiting for the display's refresh (paced by the mode's rate when the display gives no
// vertical sync); on the virtual display handed to the callback.
void PresentFrame(HWND window, const FrameImage& frame, DWORD refreshRate);

}  // namespace platform
