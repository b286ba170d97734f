// The window record behind an HWND and the message queue, shared by the window, message and
// display units of the Win32 layer.
#pragma once

#include <windows.h>

#include <platform/presentation.h>

#include <SDL.h>

#include <string>
#include <vector>

struct HWND__ {
    WNDPROC procedure;
    std::string className;
    std::string title;
    DWORD style;
    DWORD exStyle;
    int x;
    int y;
    int width;
    int height;
    bool alive;
    bool destroying;            // inside its own WM_DESTROY
    bool fullScreen;
    SDL_Window* sdlWindow;      // null but on the SDL display
    SDL_Renderer* renderer;     // made at the first presented frame
    SDL_Texture* texture;       // the frame's size and format
    int textureWidth;
    int textureHeight;
    Uint32 textureFormat;
    bool realVsync;             // the renderer waits for the display's refresh itself
    platform::FramePacer pacer;  // for refreshes the renderer does not wait for, and the frame-rate cap
    SDL_Texture* overlayTexture;  // the overlay font's bitmap, made with the renderer
    SDL_GLContext rendererContext;  // the renderer's own, when it draws with OpenGL
    SDL_GLContext deviceContext;    // an OpenGL device's, sharing the renderer's objects
    bool deviceContextTried;
    platform::FrameRateMeter meter;
};

namespace platform {

// A live window, or null when the handle is unknown or destroyed.
HWND LiveWindow(HWND window);
// The window an SDL event refers to, or null.
HWND WindowFromSdl(Uint32 windowId);
// Every live window, in creation order.
std::vector<HWND> LiveWindows();
// Sends a message straight to the window procedure, as Windows does for non-queued messages.
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Appends a message to the queue and wakes a waiting WaitMessage.
void QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Forgets the queued messages of a destroyed window.
void DropMessagesOf(HWND window);
// Turns pending SDL events into messages (queued input, sent notifications).
void PumpSdlEvents();
// Blocks until an SDL event arrives (real display) or a message is posted.
void WaitForInput();
// Whether the environment names a display server to connect to (X11, Wayland or an SDL driver).
bool DisplayServerNamed();
// Shows or hides the mouse pointer over the real display's windows.
void ShowPointer(bool show);

}  // namespace platform
