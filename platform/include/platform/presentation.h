// What every way of putting the show's picture on a screen computes the same way: where the
// picture goes in the window, the size of a window for a mode, when the next frame may be shown,
// and the frame-rate overlay's text. Each presentation path (SDL's renderer, OpenGL) calls these.
#pragma once

#include <platform/livesettings.h>

#include <cstdint>

namespace platform {

struct PictureRect {
    int x;
    int y;
    int width;
    int height;
};

// Where a picture goes in an output of the given size, aspect kept and centred: scaled to fill
// (linear, nearest), or by the largest whole multiple that fits (integer; scaled down to fit
// when even one does not).
PictureRect PlacePicture(ScalingFilter scaling, int outputWidth, int outputHeight, int pictureWidth, int pictureHeight);

// The size of a window showing a display mode: the mode's own, or scaled down with its aspect
// kept to what fits the desktop.
void WindowSizeForMode(int modeWidth, int modeHeight, int desktopWidth, int desktopHeight, int* width, int* height);

// The shortest time between two shown frames in nanoseconds, or 0 when nothing limits it: the
// refresh rate when vertical sync is asked for but the display does not wait by itself, and the
// frame-rate cap.
uint64_t FramePeriodNs(const LiveSettings& settings, unsigned refreshRate, bool displayWaitsForRefresh);

// Keeps frames at least one period apart on a steady beat.
struct FramePacer {
    uint64_t nextNs = 0;  // when the next frame is due; 0 before the first
    // How long to wait before showing a frame at nowNs. A frame late by more than a period
    // starts the beat anew instead of hurrying to catch up.
    uint64_t WaitBeforeShowing(uint64_t nowNs, uint64_t periodNs);
};

// The overlay's text: frames a second and the mean and worst frame time, renewed twice a second
// from the times frames were shown.
struct FrameRateMeter {
    static constexpr uint64_t RenewalNs = 500000000;
    bool started = false;
    uint64_t windowStartNs = 0;
    uint64_t lastNs = 0;
    uint64_t worstNs = 0;
    unsigned frames = 0;
    char text[64] = "-- fps";
    // Counts a frame shown at nowNs; true when the text was renewed.
    bool Count(uint64_t nowNs);
    // Starts over (the overlay was hidden, or the show paused): the gap is no frame time.
    void Restart();
};

// Whether the frame-rate overlay is shown: the setting, toggled by F3 (a key the show does not
// use).
bool OverlayShown();
void ToggleOverlay();

}  // namespace platform
