// The display in use, picked from the display table, and what every display shares: the common
// modes and the window checks.
#include "window.h"

#include <platform/backendtable.h>
#include <platform/display.h>
#include <platform/presentation.h>

#include <algorithm>

namespace {

const platform::DisplayRecord* chosen = nullptr;
// Set once a display was asked for and could not be opened: the show then never ran.
bool displayMissing = false;

// Modes the picture can always be rendered at: it is scaled to the desktop when presented.
constexpr DWORD CommonModes[][2] = {{640, 480}, {800, 600}, {1024, 768}};

void AddMode(std::vector<platform::DisplayMode>& modes, platform::DisplayMode mode) {
    for (const platform::DisplayMode& known : modes)
        if (known.width == mode.width && known.height == mode.height && known.refreshRate == mode.refreshRate) return;
    modes.push_back(mode);
}

void SortModes(std::vector<platform::DisplayMode>& modes) {
    std::sort(modes.begin(), modes.end(), [](const platform::DisplayMode& a, const platform::DisplayMode& b) {
        if (a.width != b.width) return a.width < b.width;
        if (a.height != b.height) return a.height < b.height;
        return a.refreshRate < b.refreshRate;
    });
}

}  // namespace

namespace platform {

const DisplayRecord& CurrentDisplay() {
    if (chosen == nullptr) chosen = FirstAvailable(displayTable);
    return *chosen;
}

bool SelectDisplay(const char* name) {
    const DisplayRecord* record = FindRecord(displayTable, name);
    if (record == nullptr) return false;
    chosen = record;
    return true;
}

void UseDisplay(const DisplayRecord* record) { chosen = record; }

bool OpenDisplay() {
    const bool opened = CurrentDisplay().open();
    if (!opened) displayMissing = true;
    return opened;
}

bool DisplayMissing() { return displayMissing; }

DisplayMode DesktopMode() { return CurrentDisplay().desktopMode(); }

std::vector<DisplayMode> ReportedModes() {
    std::vector<DisplayMode> modes;
    const DisplayMode desktop = DesktopMode();
    if (desktop.width == 0) return modes;
    std::vector<DisplayMode> own;
    CurrentDisplay().modes(own);
    for (const DisplayMode& mode : own) AddMode(modes, mode);
    for (const auto& size : CommonModes)
        if (size[0] <= desktop.width && size[1] <= desktop.height)
            AddMode(modes, DisplayMode{size[0], size[1], desktop.refreshRate});
    AddMode(modes, desktop);
    SortModes(modes);
    return modes;
}

void EnterFullScreen(HWND window) {
    if (LiveWindow(window) != nullptr && !CurrentLiveSettings().windowed) CurrentDisplay().setFullScreen(window, true);
}

void LeaveFullScreen(HWND window) {
    if (LiveWindow(window) != nullptr) CurrentDisplay().setFullScreen(window, false);
}

void ShowDisplayMode(HWND window, DWORD width, DWORD height) {
    if (LiveWindow(window) == nullptr || !CurrentLiveSettings().windowed) return;
    const DisplayMode desktop = DesktopMode();
    int windowWidth = 0, windowHeight = 0;
    WindowSizeForMode(static_cast<int>(width), static_cast<int>(height), static_cast<int>(desktop.width),
                      static_cast<int>(desktop.height), &windowWidth, &windowHeight);
    CurrentDisplay().setWindowed(window, windowWidth, windowHeight);
}

void PresentFrame(HWND window, const FrameImage& frame, DWORD refreshRate) {
    CurrentDisplay().present(window, frame, refreshRate);
}

void AnnounceFrame(HWND window) { CurrentDisplay().announce(window); }

}  // namespace platform
