// Message boxes and the end of the process.
#include "window.h"

#include <platform/display.h>

#include <cstdio>
#include <cstdlib>

// A real modal box when there is a display to show it on; otherwise (no display, or the
// headless virtual one) the caption and text go to stderr so nothing is lost.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (text == nullptr) text = "";
    if (caption == nullptr) caption = "Error";
    if (!platform::IsVirtualDisplay() && SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        HWND parent = platform::LiveWindow(owner);
        SDL_Window* parentWindow = parent != nullptr && (parent->style & WS_VISIBLE) ? parent->sdlWindow : nullptr;
        const Uint32 flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
        if (SDL_ShowSimpleMessageBox(flags, caption, text, parentWindow) == 0) return IDOK;
    }
    fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}

// Ends at once, like its namesake: no static destructors run while the audio threads still play.
void ExitProcess(UINT exitCode) {
    fflush(nullptr);
    std::_Exit(static_cast<int>(exitCode));
}
