// The virtual display: no screen and no window system; its desktop has the size its host gives,
// and presented frames go to the host.
#include <platform/virtualdisplay.h>

namespace {

DWORD width = 0;
DWORD height = 0;
platform::PresentCallback onPresent;

constexpr DWORD RefreshRate = 60;

// Only ever picked by name.
bool NeverByDefault() { return false; }
bool AlwaysOpen() { return true; }
platform::DisplayMode Desktop() { return platform::DisplayMode{width, height, RefreshRate}; }
void NoModesOfItsOwn(std::vector<platform::DisplayMode>&) {}
// Windows exist only as the Win32 layer's records.
bool AcceptWindow(HWND) { return true; }
void NoShowing(HWND, bool) {}
void NoClosing(HWND) {}
void NoFullScreen(HWND, bool) {}

void Present(HWND, const platform::FrameImage& frame, DWORD) {
    if (onPresent) onPresent(frame);
}

}  // namespace

namespace platform {

const DisplayRecord virtualDisplay = {
    "virtual", NeverByDefault, AlwaysOpen, Desktop, NoModesOfItsOwn, AcceptWindow, NoShowing, NoClosing,
    NoFullScreen, Present,
};

void UseVirtualDisplay(DWORD newWidth, DWORD newHeight, PresentCallback newOnPresent) {
    width = newWidth;
    height = newHeight;
    onPresent = std::move(newOnPresent);
    SelectDisplay(virtualDisplay.name);
}

}  // namespace platform
