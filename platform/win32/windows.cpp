// Window classes and windows: the records behind HWND, their procedures and the default
// processing the program relies on (closing, cursors).
#include "window.h"

#include <platform/display.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace {

struct WindowClass {
    std::string name;
    WNDCLASSA fields;
};

// Handles for the system's stock icon and arrow cursor; the program carries no resources of its own.
char stockIcon;
char stockArrow;

std::mutex registryLock;
std::vector<WindowClass> classes;
std::vector<std::unique_ptr<HWND__>> windows;  // records stay allocated so stale handles stay safe to test
HCURSOR currentCursor = nullptr;

const WindowClass* FindClass(LPCSTR name) {
    if (name == nullptr) return nullptr;
    for (const WindowClass& windowClass : classes) {
        if (IS_INTRESOURCE(name)) {
            if (static_cast<size_t>(reinterpret_cast<uintptr_t>(name)) == static_cast<size_t>(&windowClass - classes.data() + 1))
                return &windowClass;
        } else if (windowClass.name == name) {
            return &windowClass;
        }
    }
    return nullptr;
}

}  // namespace

namespace platform {

HWND LiveWindow(HWND window) {
    if (window == nullptr) return nullptr;
    std::lock_guard<std::mutex> hold(registryLock);
    for (const auto& record : windows)
        if (record.get() == window) return record->alive ? window : nullptr;
    return nullptr;
}

HWND WindowFromSdl(Uint32 windowId) {
    std::lock_guard<std::mutex> hold(registryLock);
    for (const auto& record : windows)
        if (record->alive && record->sdlWindow != nullptr && SDL_GetWindowID(record->sdlWindow) == windowId)
            return record.get();
    return nullptr;
}

std::vector<HWND> LiveWindows() {
    std::lock_guard<std::mutex> hold(registryLock);
    std::vector<HWND> live;
    for (const auto& record : windows)
        if (record->alive) live.push_back(record.get());
    return live;
}

LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (LiveWindow(window) == nullptr || window->procedure == nullptr) return 0;
    return window->procedure(window, message, wParam, lParam);
}

}  // namespace platform

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr || IS_INTRESOURCE(windowClass->lpszClassName) ||
        windowClass->lpfnWndProc == nullptr)
        return 0;
    std::lock_guard<std::mutex> hold(registryLock);
    for (const WindowClass& existing : classes)
        if (existing.name == windowClass->lpszClassName) return 0;
    if (classes.size() >= 0xBFFF) return 0;
    classes.push_back(WindowClass{windowClass->lpszClassName, *windowClass});
    classes.back().fields.lpszClassName = classes.back().name.c_str();
    classes.back().fields.lpszMenuName = nullptr;  // menus are not provided; the pointer may not outlive the call
    return static_cast<ATOM>(classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    auto record = std::make_unique<HWND__>();
    {
        std::lock_guard<std::mutex> hold(registryLock);
        const WindowClass* windowClass = FindClass(className);
        if (windowClass == nullptr) return nullptr;
        record->procedure = windowClass->fields.lpfnWndProc;
        record->className = windowClass->name;
    }
    if (width <= 0 || height <= 0) return nullptr;
    record->title = windowName ? windowName : "";
    record->style = style;
    record->exStyle = exStyle;
    record->x = x;
    record->y = y;
    record->width = width;
    record->height = height;
    record->alive = true;
    if (!platform::OpenDisplay() || !platform::CurrentDisplay().openWindow(record.get())) return nullptr;

    HWND window = record.get();
    {
        std::lock_guard<std::mutex> hold(registryLock);
        windows.push_back(std::move(record));
    }
    if (style & WS_VISIBLE) ShowWindow(window, SW_SHOW);
    return window;
}

BOOL ShowWindow(HWND window, int showCommand) {
    if (platform::LiveWindow(window) == nullptr) return FALSE;
    const BOOL wasVisible = (window->style & WS_VISIBLE) != 0;
    const bool show = showCommand != SW_HIDE;
    if (show) window->style |= WS_VISIBLE;
    else window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    platform::CurrentDisplay().showWindow(window, show);
    return wasVisible;
}

// The window has no client painting of its own; the picture arrives with the presented frames.
BOOL UpdateWindow(HWND window) {
    return platform::LiveWindow(window) != nullptr;
}

BOOL DestroyWindow(HWND window) {
    if (platform::LiveWindow(window) == nullptr) return FALSE;
    if (window->destroying) return TRUE;  // destroyed again from inside its own WM_DESTROY
    window->destroying = true;
    platform::SendToWindow(window, WM_DESTROY, 0, 0);
    {
        std::lock_guard<std::mutex> hold(registryLock);
        window->alive = false;
    }
    platform::CurrentDisplay().closeWindow(window);
    platform::DropMessagesOf(window);
    return TRUE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4) PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_SETCURSOR: {
        // Over the client area the class cursor is shown.
        if (LOWORD(lParam) == 1 && platform::LiveWindow(window) != nullptr) {
            std::lock_guard<std::mutex> hold(registryLock);
            const WindowClass* windowClass = FindClass(window->className.c_str());
            if (windowClass != nullptr && windowClass->fields.hCursor != nullptr) {
                currentCursor = windowClass->fields.hCursor;
                platform::ShowPointer(true);
            }
        }
        return 0;
    }
    default:
        return 0;
    }
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR previous = currentCursor;
    currentCursor = cursor;
    platform::ShowPointer(cursor != nullptr);
    return previous;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (instance == nullptr && name == IDI_APPLICATION) return reinterpret_cast<HICON>(&stockIcon);
    return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (instance == nullptr && name == IDC_ARROW) return reinterpret_cast<HCURSOR>(&stockArrow);
    return nullptr;
}
