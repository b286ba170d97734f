// The SDL display: windows on a real screen, full screen at the desktop's own mode or windowed,
// frames scaled into them, the frame-rate overlay over them.
#include "window.h"

#include <platform/display.h>
#include <platform/glpresentation.h>
#include <platform/overlayfont.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <thread>

#include <epoxy/gl.h>

namespace {

enum class DisplayState { Untried, Open, Missing };
DisplayState displayState = DisplayState::Untried;

// The overlay's lettering, drawn once when the first renderer is made; why not, when it cannot be.
platform::OverlayFont overlayFont;
std::string overlayFontProblem;
bool overlayFontTried = false;
bool overlayFontProblemSaid = false;

// Most characters an overlay line shows.
constexpr int OverlayCapacity = 64;

platform::DisplayMode SdlDesktopMode();

Uint64 NowNs() {
    return static_cast<Uint64>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

// The overlay font as a white texture whose alpha is the coverage.
void MakeOverlayTexture(HWND window) {
    if (!overlayFontTried) {
        overlayFontTried = true;
        // Sized by the desktop, which the window never outgrows: readable on any screen, and the
        // line still fits a window of the smallest mode.
        const int pixelHeight = std::max(12, std::min(40, static_cast<int>(SdlDesktopMode().height) / 54));
        if (!platform::LoadOverlayFont(pixelHeight, overlayFont, overlayFontProblem)) return;
    }
    if (overlayFont.coverage.empty()) return;
    window->overlayTexture = SDL_CreateTexture(window->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                               overlayFont.atlasWidth, overlayFont.atlasHeight);
    if (window->overlayTexture == nullptr) {
        overlayFontProblem = SDL_GetError();
        return;
    }
    std::vector<Uint32> pixels(overlayFont.coverage.size());
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (Uint32{overlayFont.coverage[i]} << 24) | 0xFFFFFFu;
    SDL_UpdateTexture(window->overlayTexture, nullptr, pixels.data(), overlayFont.atlasWidth * 4);
    SDL_SetTextureBlendMode(window->overlayTexture, SDL_BLENDMODE_BLEND);
}

bool MakeRenderer(HWND window) {
    if (window->renderer != nullptr) return true;
    const bool vsync = platform::CurrentLiveSettings().vsync;
    window->renderer = SDL_CreateRenderer(window->sdlWindow, -1, vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    if (window->renderer == nullptr && vsync) window->renderer = SDL_CreateRenderer(window->sdlWindow, -1, 0);
    if (window->renderer == nullptr) {
        fprintf(stderr, "Cannot draw into the window: %s\n", SDL_GetError());
        return false;
    }
    // SDL imitates vertical sync with its own timer where the display has none; only an
    // OpenGL swap interval is the real thing, otherwise the frames are paced here instead.
    SDL_RendererInfo info;
    const bool openGl = SDL_GetRendererInfo(window->renderer, &info) == 0 && SDL_strncmp(info.name, "opengl", 6) == 0;
    window->rendererContext = openGl ? SDL_GL_GetCurrentContext() : nullptr;
    window->realVsync = vsync && openGl && (info.flags & SDL_RENDERER_PRESENTVSYNC) && SDL_GL_GetSwapInterval() != 0;
    if (!window->realVsync) SDL_RenderSetVSync(window->renderer, 0);
    window->pacer = platform::FramePacer{};
    MakeOverlayTexture(window);
    return true;
}

// The frame-rate overlay in the window's top left corner, on a dark band so it reads over any
// picture; it is drawn into the window only, never into the show's frame.
void DrawOverlay(HWND window) {
    if (window->overlayTexture == nullptr) {
        if (!overlayFontProblemSaid) {
            fprintf(stderr, "The frame-rate overlay cannot be shown: %s\n", overlayFontProblem.c_str());
            overlayFontProblemSaid = true;
        }
        return;
    }
    platform::GlyphCell cells[OverlayCapacity];
    const int margin = overlayFont.cellHeight / 2;
    const int count = platform::LayOutOverlayText(overlayFont, window->meter.text, 2 * margin, margin, cells, OverlayCapacity);
    const SDL_Rect band{margin, margin / 2,
                        static_cast<int>(SDL_strlen(window->meter.text)) * overlayFont.cellWidth + 2 * margin,
                        overlayFont.cellHeight + margin};
    SDL_SetRenderDrawBlendMode(window->renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(window->renderer, 0, 0, 0, 160);
    SDL_RenderFillRect(window->renderer, &band);
    SDL_SetRenderDrawBlendMode(window->renderer, SDL_BLENDMODE_NONE);
    for (int i = 0; i < count; ++i) {
        const SDL_Rect from{cells[i].sourceX, cells[i].sourceY, overlayFont.cellWidth, overlayFont.cellHeight};
        const SDL_Rect to{cells[i].x, cells[i].y, overlayFont.cellWidth, overlayFont.cellHeight};
        SDL_RenderCopy(window->renderer, window->overlayTexture, &from, &to);
    }
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

void SetSdlWindowed(HWND window, int width, int height) {
    if (window->sdlWindow == nullptr) return;
    if (window->fullScreen) {
        SDL_SetWindowFullscreen(window->sdlWindow, 0);
        window->fullScreen = false;
    }
    SDL_SetWindowBordered(window->sdlWindow, SDL_TRUE);
    SDL_SetWindowResizable(window->sdlWindow, SDL_TRUE);
    SDL_SetWindowAlwaysOnTop(window->sdlWindow, SDL_FALSE);
    SDL_SetWindowSize(window->sdlWindow, width, height);
    SDL_SetWindowPosition(window->sdlWindow, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

// The window's frame texture, made again when the frame's size or format changes.
bool PrepareFrameTexture(HWND window, Uint32 format, int width, int height) {
    if (window->texture != nullptr && window->textureWidth == width && window->textureHeight == height &&
        window->textureFormat == format)
        return true;
    if (window->texture != nullptr) SDL_DestroyTexture(window->texture);
    window->texture = SDL_CreateTexture(window->renderer, format, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (window->texture == nullptr) return false;
    SDL_SetTextureScaleMode(window->texture, platform::CurrentLiveSettings().scaling == platform::ScalingFilter::Linear
                                                 ? SDL_ScaleModeLinear
                                                 : SDL_ScaleModeNearest);
    window->textureWidth = width;
    window->textureHeight = height;
    window->textureFormat = format;
    return true;
}

// Shows the frame texture scaled into the window, with the overlay, paced.
void ShowFrameTexture(HWND window, int width, int height, DWORD refreshRate) {
    const platform::LiveSettings& settings = platform::CurrentLiveSettings();
    int outWidth = 0, outHeight = 0;
    SDL_GetRendererOutputSize(window->renderer, &outWidth, &outHeight);
    const platform::PictureRect placed = platform::PlacePicture(settings.scaling, outWidth, outHeight, width, height);
    const SDL_Rect target{placed.x, placed.y, placed.width, placed.height};
    SDL_SetRenderDrawColor(window->renderer, 0, 0, 0, 255);
    SDL_RenderClear(window->renderer);
    SDL_RenderCopy(window->renderer, window->texture, nullptr, &target);
    const bool overlay = platform::OverlayShown();
    if (overlay) DrawOverlay(window);

    if (refreshRate == 0) refreshRate = SdlDesktopMode().refreshRate;
    const Uint64 wait = window->pacer.WaitBeforeShowing(NowNs(), platform::FramePeriodNs(settings, refreshRate, window->realVsync));
    if (wait != 0) std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
    SDL_RenderPresent(window->renderer);
    if (overlay) window->meter.Count(NowNs());
    else window->meter.Restart();
}

// The window shows a frame when its picture comes.
void AwaitPicture(HWND) {}

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
    if (!PrepareFrameTexture(window, format, width, height)) return;
    SDL_UpdateTexture(window->texture, nullptr, frame.pixels, frame.pitch);
    ShowFrameTexture(window, width, height, refreshRate);
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
    if (window->deviceContext != nullptr) SDL_GL_DeleteContext(window->deviceContext);
    window->deviceContext = nullptr;
    if (window->overlayTexture != nullptr) SDL_DestroyTexture(window->overlayTexture);
    if (window->texture != nullptr) SDL_DestroyTexture(window->texture);
    if (window->renderer != nullptr) SDL_DestroyRenderer(window->renderer);
    if (window->sdlWindow != nullptr) SDL_DestroyWindow(window->sdlWindow);
    window->overlayTexture = nullptr;
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
    "SDL",         DisplayServerNamed, OpenSdl,          SdlDesktopMode, SdlModes,     OpenSdlWindow,
    ShowSdlWindow, CloseSdlWindow,     SetSdlFullScreen, SetSdlWindowed, PresentOnSdl, AwaitPicture,
};

bool MakeDisplayGlContextCurrent(HWND window) {
    if (&CurrentDisplay() != &sdlDisplay || LiveWindow(window) == nullptr || window->sdlWindow == nullptr) return false;
    if (window->deviceContext == nullptr) {
        if (window->deviceContextTried) return false;
        window->deviceContextTried = true;
        // The device's pictures are copied into the renderer's texture on the GPU: the renderer
        // must draw with OpenGL too.
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
        if (!MakeRenderer(window) || window->rendererContext == nullptr ||
            SDL_GL_MakeCurrent(window->sdlWindow, window->rendererContext) != 0)
            return false;
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        window->deviceContext = SDL_GL_CreateContext(window->sdlWindow);
        SDL_GL_ResetAttributes();
        if (window->deviceContext == nullptr) {
            fprintf(stderr, "The OpenGL device cannot draw for the window: %s\n", SDL_GetError());
            return false;
        }
    }
    return SDL_GL_MakeCurrent(window->sdlWindow, window->deviceContext) == 0;
}

bool PresentGlTexture(HWND window, unsigned texture, void* ready, DWORD width, DWORD height, DWORD refreshRate) {
    if (LiveWindow(window) == nullptr || window->deviceContext == nullptr || window->rendererContext == nullptr ||
        !PrepareFrameTexture(window, SDL_PIXELFORMAT_RGB888, static_cast<int>(width), static_cast<int>(height)) ||
        SDL_GL_MakeCurrent(window->sdlWindow, window->rendererContext) != 0)
        return false;
    if (ready != nullptr) {
        glWaitSync(static_cast<GLsync>(ready), 0, GL_TIMEOUT_IGNORED);
        glDeleteSync(static_cast<GLsync>(ready));
    }
    // The renderer's texture by its GL name, which SDL tells only by binding it.
    float textureWidth = 0, textureHeight = 0;
    GLint frameTexture = 0;
    if (SDL_GL_BindTexture(window->texture, &textureWidth, &textureHeight) != 0) return false;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &frameTexture);
    SDL_GL_UnbindTexture(window->texture);
    if (frameTexture == 0) return false;
    glCopyImageSubData(texture, GL_TEXTURE_2D, 0, 0, 0, 0, static_cast<GLuint>(frameTexture), GL_TEXTURE_2D, 0, 0, 0, 0,
                       static_cast<GLsizei>(width), static_cast<GLsizei>(height), 1);
    ShowFrameTexture(window, static_cast<int>(width), static_cast<int>(height), refreshRate);
    return true;
}

void ShowPointer(bool show) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace platform
