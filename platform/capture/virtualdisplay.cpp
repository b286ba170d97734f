// The virtual display: no screen and no window system; its desktop has the size its host gives,
// and presented frames go to the host. Its one window covers the desktop, or has the size the
// windowed setting gives it, and the picture is placed in it as on a real screen.
#include <platform/presentation.h>
#include <platform/virtualdisplay.h>

#include "devicedriver.h"

namespace {

DWORD width = 0;
DWORD height = 0;
platform::PresentCallback onPresent;
platform::FlipCallback onFlip;
// Frames announced whose pictures have not come yet.
unsigned picturesAwaited = 0;
platform::VirtualWindowView view;

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

void CoverDesktop(HWND, bool fullScreen) {
    if (!fullScreen) return;
    view.width = static_cast<int>(width);
    view.height = static_cast<int>(height);
}

void SizeWindow(HWND, int windowWidth, int windowHeight) {
    view.width = windowWidth;
    view.height = windowHeight;
}

void Announce(HWND) {
    ++picturesAwaited;
    if (onFlip) onFlip();
}

void Present(HWND, const platform::FrameImage& frame, DWORD) {
    if (picturesAwaited > 0)
        --picturesAwaited;
    else if (onFlip)
        onFlip();
    view.picture = platform::PlacePicture(platform::CurrentLiveSettings().scaling, view.width, view.height,
                                          static_cast<int>(frame.width), static_cast<int>(frame.height));
    if (onPresent) onPresent(frame);
}

}  // namespace

namespace platform {

const DisplayRecord virtualDisplay = {
    "virtual", NeverByDefault, AlwaysOpen, Desktop,  NoModesOfItsOwn, AcceptWindow, NoShowing, NoClosing,
    CoverDesktop, SizeWindow, Present, Announce,
};

void UseVirtualDisplay(DWORD newWidth, DWORD newHeight, PresentCallback newOnPresent, FlipCallback newOnFlip) {
    width = newWidth;
    height = newHeight;
    onPresent = std::move(newOnPresent);
    onFlip = std::move(newOnFlip);
    picturesAwaited = 0;
    view = VirtualWindowView{static_cast<int>(newWidth), static_cast<int>(newHeight), PictureRect{0, 0, 0, 0}};
    SelectDisplay(virtualDisplay.name);
}

void FinishPresenting() { FinishReadBacks(); }

VirtualWindowView VirtualWindow() { return view; }

void ResizeVirtualWindow(int windowWidth, int windowHeight) { SizeWindow(nullptr, windowWidth, windowHeight); }

}  // namespace platform
