// The display the show runs on. Every display is one record in the display table: the SDL
// display (a real screen, full screen or windowed as the live settings say) and the virtual display of the capture component (no
// window; presented frames go to its host). The platform uses the first available one unless one
// is picked by name or handed over as a record of its own (tests).
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

struct DisplayRecord {
    const char* name;
    // Whether the display can be used on this machine, without opening anything.
    bool (*available)();
    // Opens the display if needed; false (with the reason on stderr, once) when it cannot.
    bool (*open)();
    // The desktop's size and refresh rate; zero size when the display cannot be opened.
    DisplayMode (*desktopMode)();
    // Adds the modes the display itself reports.
    void (*modes)(std::vector<DisplayMode>& modes);
    // The display's side of a window: made hidden, shown or hidden, released.
    bool (*openWindow)(HWND window);
    void (*showWindow)(HWND window, bool show);
    void (*closeWindow)(HWND window);
    // Exclusive full screen: the window covers the desktop at the desktop's own size, or gets
    // its created size back.
    void (*setFullScreen)(HWND window, bool fullScreen);
    // Windowed instead (the live settings): a decorated, resizable window of this size, centred
    // on the desktop.
    void (*setWindowed)(HWND window, int width, int height);
    // Shows a frame in the window, placed, scaled and paced as the live settings say (see
    // presentation.h), with the frame-rate overlay over it when that is shown.
    void (*present)(HWND window, const FrameImage& frame, DWORD refreshRate);
    // A frame shown now whose picture present brings later (see AnnounceFrame).
    void (*announce)(HWND window);
};

extern const DisplayRecord sdlDisplay;
extern const DisplayRecord virtualDisplay;
// Every display, in the order the platform tries them; ends with null.
extern const DisplayRecord* const displayTable[];

// The display in use.
const DisplayRecord& CurrentDisplay();
// Uses the display of this name from now on; false when the table has none.
bool SelectDisplay(const char* name);
// Uses this record from now on (any record, a test's own included); null goes back to the
// first available of the table.
void UseDisplay(const DisplayRecord* record);

// Opens the display in use if needed; false (with the reason on stderr, once) when there is none.
bool OpenDisplay();
// True once OpenDisplay has found no display.
bool DisplayMissing();

// The desktop's size and refresh rate.
DisplayMode DesktopMode();

// The modes the display reports, plus the common modes that fit the desktop, without duplicates.
std::vector<DisplayMode> ReportedModes();

// Exclusive full-screen cooperation: the window covers the whole desktop at the desktop's own
// size (the desktop's real mode is never changed; PresentFrame scales the picture into it).
// LeaveFullScreen gives the window back its created size. With the windowed setting the window
// is left alone here and sized by ShowDisplayMode instead.
void EnterFullScreen(HWND window);
void LeaveFullScreen(HWND window);

// The display mode the program set. With the windowed setting the window takes the mode's size
// (cut to the desktop, aspect kept); in full screen nothing changes.
void ShowDisplayMode(HWND window, DWORD width, DWORD height);

// Shows a frame: on a screen scaled into the window with its aspect ratio kept (black bars) by
// the scaling setting, waiting for the display's refresh when vertical sync is on (paced by the
// mode's rate when the display gives no vertical sync) and for the frame-rate cap; on the virtual
// display handed to its host.
void PresentFrame(HWND window, const FrameImage& frame, DWORD refreshRate);

// A frame shown at a flip whose picture a device is still reading back: the display counts it as
// shown now and gets its picture through PresentFrame later. Pictures always come in the order
// of their flips.
void AnnounceFrame(HWND window);

}  // namespace platform
