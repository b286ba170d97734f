// The process entry: start-up, then one frame of the show on every idle pass of the message loop.
#include "main.h"

#include "director.h"
#include "renderdevice.h"

int AppActive = 1;
int pauseToggle = 0;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand) {
    return MainLoop(instance, showCommand);
}

int MainLoop(HINSTANCE instance, int showCommand) {
    if (!Startup(instance, showCommand)) return 0;
    return RunMessageLoop();
}

int RunMessageLoop() {
    MSG msg;
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, nullptr, 0, 0)) return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else if (AppActive) {
            // The end flag is looked at before drawing, so the frame that raised it was the last one shown.
            if (showFinished) return 0;
            DirectorFrame();
        } else {
            WaitMessage();
        }
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_ACTIVATEAPP:
        AppActive = static_cast<int>(wParam);
        break;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return 1;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE || wParam == VK_F12) {
            renderDevice.Destroy();
            DestroyWindow(window);
            return 0;
        }
        if (wParam == 'P' || wParam == VK_F1) {
            pauseToggle = !pauseToggle;
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HRESULT TraceMessage(const char* file, long line, HRESULT hr, const char* message) {
    char buffer[256];
    // The path is cut so that the line always fits the buffer, however deep the source tree.
    wsprintfA(buffer, "%.200s(%ld): ", file ? file : "", line);
    OutputDebugStringA(buffer);
    OutputDebugStringA(message ? message : "");
    if (hr != 0) {
        wsprintfA(buffer, "(hr=%08lx)\n", static_cast<unsigned long>(static_cast<DWORD>(hr)));
        OutputDebugStringA(buffer);
    }
    OutputDebugStringA("\n");
    return hr;
}
