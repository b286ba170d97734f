// The computations every presentation path shares (see presentation.h).
#include <platform/presentation.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr unsigned FallbackRefreshRate = 60;
constexpr uint64_t NsPerSecond = 1000000000;

bool overlayToggled = false;

}  // namespace

namespace platform {

PictureRect PlacePicture(ScalingFilter scaling, int outputWidth, int outputHeight, int pictureWidth, int pictureHeight) {
    if (outputWidth <= 0 || outputHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return PictureRect{0, 0, 0, 0};
    if (scaling == ScalingFilter::Integer) {
        const int multiple = std::min(outputWidth / pictureWidth, outputHeight / pictureHeight);
        if (multiple >= 1) {
            const int width = pictureWidth * multiple, height = pictureHeight * multiple;
            return PictureRect{(outputWidth - width) / 2, (outputHeight - height) / 2, width, height};
        }
    }
    // The side that limits fills the output; the other is scaled to keep the aspect.
    const int64_t wide = int64_t{outputWidth} * pictureHeight, tall = int64_t{outputHeight} * pictureWidth;
    if (wide > tall) {
        const int width = static_cast<int>(tall / pictureHeight);
        return PictureRect{(outputWidth - width) / 2, 0, width, outputHeight};
    }
    const int height = static_cast<int>(wide / pictureWidth);
    return PictureRect{0, (outputHeight - height) / 2, outputWidth, height};
}

void WindowSizeForMode(int modeWidth, int modeHeight, int desktopWidth, int desktopHeight, int* width, int* height) {
    PictureRect size{0, 0, modeWidth, modeHeight};
    if (desktopWidth > 0 && desktopHeight > 0 && (modeWidth > desktopWidth || modeHeight > desktopHeight))
        size = PlacePicture(ScalingFilter::Linear, desktopWidth, desktopHeight, modeWidth, modeHeight);
    *width = size.width;
    *height = size.height;
}

uint64_t FramePeriodNs(const LiveSettings& settings, unsigned refreshRate, bool displayWaitsForRefresh) {
    uint64_t period = 0;
    if (settings.vsync && !displayWaitsForRefresh) period = NsPerSecond / (refreshRate != 0 ? refreshRate : FallbackRefreshRate);
    if (settings.frameRateCap != 0) period = std::max(period, NsPerSecond / settings.frameRateCap);
    return period;
}

uint64_t FramePacer::WaitBeforeShowing(uint64_t nowNs, uint64_t periodNs) {
    if (periodNs == 0) {
        nextNs = 0;
        return 0;
    }
    uint64_t wait = 0;
    if (nextNs == 0 || nowNs > nextNs + periodNs) nextNs = nowNs;
    else if (nowNs < nextNs) wait = nextNs - nowNs;
    nextNs += periodNs;
    return wait;
}

bool FrameRateMeter::Count(uint64_t nowNs) {
    if (!started) {
        started = true;
        windowStartNs = lastNs = nowNs;
        return false;
    }
    worstNs = std::max(worstNs, nowNs - lastNs);
    lastNs = nowNs;
    ++frames;
    const uint64_t elapsed = nowNs - windowStartNs;
    if (elapsed < RenewalNs) return false;
    std::snprintf(text, sizeof text, "%.1f fps  %.1f ms  worst %.1f ms", double(frames) * NsPerSecond / double(elapsed),
                  double(elapsed) / frames / 1e6, double(worstNs) / 1e6);
    windowStartNs = nowNs;
    worstNs = 0;
    frames = 0;
    return true;
}

void FrameRateMeter::Restart() {
    std::snprintf(text, sizeof text, "-- fps");
    started = false;
    worstNs = 0;
    frames = 0;
}

bool OverlayShown() { return CurrentLiveSettings().overlay != overlayToggled; }

void ToggleOverlay() { overlayToggled = !overlayToggled; }

}  // namespace platform
