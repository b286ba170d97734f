// The SDL display: windows on a real screen, full screen at the desktop's own mode, frames
// scaled into them.
#include "window.h"

#include <platform/display.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <thread>

namespace {

enum class DisplayState { Untried, Open, Missing };
DisplayState displayState = DisplayState::Untried;

constexpr DWORD FallbackRefreshRate = 60;

platform::DisplayMode SdlDesktopMode();

Uint64 NowNs() {
    return static_cast<Uint64>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

bool MakeRenderer(HWND window) {
    if (window->renderer != nullptr) return true;
    window->renderer = SDL_CreateRenderer(window->sdlWindow, -1, SDL_RENDERER_PRESENTVSYNC);
    if (window->renderer == nullptr) window->renderer = SDL_CreateRenderer(window->sdlWindow, -1, 0);
    if (window->renderer == nullptr) {
        fprintf(stderr, "Cannot draw into the window: %s\n", SDL_GetError());
        return false;
    }
    // SDL imitates vertical sync with its own timer where the display has none; only an
    // OpenGL swap interval is the real thing, otherwise the frames are paced here instead.
    SDL_RendererInfo info;
    window->realVsync = SDL_GetRendererInfo(window->renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) &&
                        SDL_strncmp(info.name, "opengl", 6) == 0 && SDL_GL_GetSwapInterval() != 0;
    if (!window->realVsync) SDL_RenderSetVSync(window->renderer, 0);
    window->nextPresentNs = 0;
    return true;
}

void PaceTo(HWND window, DWORD refreshRate) {
    if (refreshRate == 0) refreshRate = SdlDesktopMode().refreshRate;
    if (refreshRate == 0) refreshRate = FallbackRefreshRate;
    const Uint64 period = 1000000000ull / refreshRate;
    const Uint64 now = NowNs();
    if (window->nextPresentNs == 0 || now > window->nextPresentNs + period) {
        window->nextPresentNs = now;  // first frame, or late by more than a refresh: start the beat anew
    } else if (now < window->nextPresentNs) {
        std::this_thread::sleep_for(std::chrono::nanoseconds(window->nextPresentNs - now));
    }
    window->nextPresentNs += period;
}

void PaintBlack(HWND window) {
    if (!MakeRenderer(window)) return;
    SDL_SetRenderDrawColor(window->renderer, 0, 0, 0, 255);
    SDL_RenderClear(window->renderer);
    SDL_RenderPresent(window->renderer);
}

bool OpenSdl() {
    if (displayState == DisplayState::Untried) {
        const char* reason = nullptr;
        // A full-screen show must not minimise itself when a message box takes the focus.
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        if (!platform::DisplayServerNamed()) reason = "DISPLAY is not set";
        else if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) reason = SDL_GetError();
        displayState = reason == nullptr ? DisplayState::Open : DisplayState::Missing;
        if (reason != nullptr)
            fprintf(stderr,
                    "No display available (%s). To record the show without a display, use "
                    "heliotropic-capture, for example: heliotropic-capture --video heliotropic.mp4\n",
                    reason);
    }
    return displayState == DisplayState::Open;
}

platform::DisplayMode SdlDesktopMode() {
    SDL_DisplayMode mode;
    if (!OpenSdl() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return platform::DisplayMode{0, 0, 0};
    return platform::DisplayMode{static_cast<DWORD>(mode.w), static_cast<DWORD>(mode.h), static_cast<DWORD>(mode.refresh_rate)};
}

void SdlModes(std::vector<platform::DisplayMode>& modes) {
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w > 0 && mode.h > 0)
            modes.push_back(platform::DisplayMode{static_cast<DWORD>(mode.w), static_cast<DWORD>(mode.h),
                                                  static_cast<DWORD>(mode.refresh_rate)});
    }
}

void SetSdlFullScreen(HWND window, bool fullScreen) {
    if (window->sdlWindow == nullptr || window->fullScreen == fullScreen) return;
    if (fullScreen) {
        const platform::DisplayMode desktop = SdlDesktopMode();
        // Sized to the desktop first: without a window manager a full-screen window keeps its own
        // size and is cropped.
        SDL_SetWindowPosition(window->sdlWindow, 0, 0);
        SDL_SetWindowSize(window->sdlWindow, static_cast<int>(desktop.width), static_cast<int>(desktop.height));
        SDL_SetWindowFullscreen(window->sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(window->sdlWindow, 0);
        SDL_SetWindowSize(window->sdlWindow, window->width, window->height);
    }
    window->fullScreen = fullScreen;
}

void PresentOnSdl(HWND window, const platform::FrameImage& frame, DWORD refreshRate) {
    if (platform::LiveWindow(window) == nullptr || window->sdlWindow == nullptr || frame.pixels == nullptr ||
        frame.width == 0 || frame.height == 0)
        return;
    Uint32 format;
    if (frame.format.dwRGBBitCount == 16) format = SDL_PIXELFORMAT_RGB565;
    else if (frame.format.dwRGBBitCount == 32) format = SDL_PIXELFORMAT_RGB888;
    else return;
    if (!MakeRenderer(window)) return;

    const int width = static_cast<int>(frame.width);
    const int height = static_cast<int>(frame.height);
    if (window->texture == nullptr || window->textureWidth != width || window->textureHeight != height ||
        window->textureFormat != format) {
        if (window->texture != nullptr) SDL_DestroyTexture(window->texture);
        window->texture = SDL_CreateTexture(window->renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (window->texture == nullptr) return;
        window->textureWidth = width;
        window->textureHeight = height;
        window->textureFormat = format;
    }
    SDL_UpdateTexture(window->texture, nullptr, frame.pixels, frame.pitch);

    // Scaled to the window with the picture's aspect ratio kept; the rest stays black.
    int outWidth = 0, outHeight = 0;
    SDL_GetRendererOutputSize(window->renderer, &outWidth, &outHeight);
    SDL_Rect target{0, 0, outWidth, outHeight};
    if (static_cast<Sint64>(outWidth) * height > static_cast<Sint64>(outHeight) * width) {
        target.w = static_cast<int>(static_cast<Sint64>(outHeight) * width / height);
        target.x = (outWidth - target.w) / 2;
    } else {
        target.h = static_cast<int>(static_cast<Sint64>(outWidth) * height / width);
        target.y = (outHeight - target.h) / 2;
    }
    SDL_SetRenderDrawColor(window->renderer, 0, 0, 0, 255);
    SDL_RenderClear(window->renderer);
    SDL_RenderCopy(window->renderer, window->texture, nullptr, &target);
    if (!window->realVsync) PaceTo(window, refreshRate);
    SDL_RenderPresent(window->renderer);
}

bool OpenSdlWindow(HWND window) {
    if (!OpenSdl()) return false;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (window->style & WS_POPUP) flags |= SDL_WINDOW_BORDERLESS;
    if (window->exStyle & WS_EX_TOPMOST) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    window->sdlWindow = SDL_CreateWindow(window->title.c_str(), window->x, window->y, window->width, window->height, flags);
    if (window->sdlWindow == nullptr) {
        fprintf(stderr, "Cannot create the window: %s\n", SDL_GetError());
        return false;
    }
    return true;
}

void ShowSdlWindow(HWND window, bool show) {
    if (window->sdlWindow == nullptr) return;
    if (show) {
        SDL_ShowWindow(window->sdlWindow);
        PaintBlack(window);
    } else {
        SDL_HideWindow(window->sdlWindow);
    }
}

void CloseSdlWindow(HWND window) {
    if (window->texture != nullptr) SDL_DestroyTexture(window->texture);
    if (window->renderer != nullptr) SDL_DestroyRenderer(window->renderer);
    if (window->sdlWindow != nullptr) SDL_DestroyWindow(window->sdlWindow);
    window->texture = nullptr;
    window->renderer = nullptr;
    window->sdlWindow = nullptr;
}

}  // namespace

namespace platform {

// Without a display server to name, SDL's probing only adds its drivers' own complaints.
bool DisplayServerNamed() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) {
        const char* value = getenv(variable);
        if (value != nullptr && value[0] != '\0') return true;
    }
    return false;
}

const DisplayRecord sdlDisplay = {
    "SDL",         DisplayServerNamed, OpenSdl,          SdlDesktopMode, SdlModes, OpenSdlWindow,
    ShowSdlWindow, CloseSdlWindow,     SetSdlFullScreen, PresentOnSdl,
};

void ShowPointer(bool show) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace platform
