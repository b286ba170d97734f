// Message boxes and the end of the process.
#include "window.h"

#include "dialog.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

int ShowMessageOnScreen(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        HWND parent = LiveWindow(owner);
        SDL_Window* parentWindow = parent != nullptr && (parent->style & WS_VISIBLE) ? parent->sdlWindow : nullptr;
        const Uint32 flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
        if (SDL_ShowSimpleMessageBox(flags, caption, text, parentWindow) == 0) return IDOK;
    }
    return WriteMessage(owner, text, caption, type);
}

int WriteMessage(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}

}  // namespace platform

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return platform::CurrentDialogRunner().message(owner, text ? text : "", caption ? caption : "Error", type);
}

// Ends at once, like its namesake: no static destructors run while the audio threads still play.
void ExitProcess(UINT exitCode) {
    fflush(nullptr);
    std::_Exit(static_cast<int>(exitCode));
}
