// The thread's message queue with Windows' rules: posted messages in order, the quit message
// only once nothing else is waiting, SDL's input turned into window messages as it is read.
#include "window.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace {

constexpr LPARAM HitClient = 1;  // HTCLIENT: the pointer is over the client area

std::mutex queueLock;
std::condition_variable queueChanged;
std::deque<MSG> queue;
bool quitPending = false;
int quitCode = 0;
bool appActive = true;

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window != nullptr && msg.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

// Takes (or, without remove, copies) the first message that passes the filter; the quit message
// comes only when no posted message passes. Caller holds queueLock.
bool TakeMessage(MSG* out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!Matches(*it, window, filterMin, filterMax)) continue;
        *out = *it;
        if (remove) queue.erase(it);
        return true;
    }
    if (quitPending) {
        MSG quit{};
        quit.message = WM_QUIT;
        quit.wParam = static_cast<WPARAM>(quitCode);
        if (!Matches(quit, nullptr, filterMin, filterMax)) return false;
        quit.time = timeGetTime();
        *out = quit;
        if (remove) quitPending = false;
        return true;
    }
    return false;
}

WPARAM VirtualKey(const SDL_Keysym& key) {
    const SDL_Keycode code = key.sym;
    if (code >= SDLK_a && code <= SDLK_z) return 'A' + (code - SDLK_a);
    if (code >= SDLK_0 && code <= SDLK_9) return '0' + (code - SDLK_0);
    if (code >= SDLK_F1 && code <= SDLK_F12) return VK_F1 + (code - SDLK_F1);
    if (code >= SDLK_KP_1 && code <= SDLK_KP_9) return 0x61 + (code - SDLK_KP_1);  // VK_NUMPAD1..9
    switch (code) {
    case SDLK_KP_0: return 0x60;  // VK_NUMPAD0
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    default: return 0;
    }
}

void PostKey(const SDL_KeyboardEvent& event) {
    HWND window = platform::WindowFromSdl(event.windowID);
    const WPARAM key = VirtualKey(event.keysym);
    if (window == nullptr || key == 0) return;
    const bool down = event.type == SDL_KEYDOWN;
    // The frame-rate overlay's key belongs to the platform; the show never sees it.
    if (key == VK_F3) {
        if (down && !event.repeat) platform::ToggleOverlay();
        return;
    }
    // Keys pressed with Alt held are system keys, as on Windows (Alt+F4 closes the window).
    const bool alt = (event.keysym.mod & KMOD_ALT) != 0 || key == VK_MENU;
    const UINT message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
    DWORD flags = 1u | (static_cast<DWORD>(event.keysym.scancode & 0xff) << 16);
    if (alt) flags |= 1u << 29;
    if (!down || event.repeat) flags |= 1u << 30;
    if (!down) flags |= 1u << 31;
    platform::QueueMessage(window, message, key, static_cast<LPARAM>(flags));
}

void SetActivation(bool active) {
    if (active == appActive) return;
    appActive = active;
    for (HWND window : platform::LiveWindows()) platform::SendToWindow(window, WM_ACTIVATEAPP, active ? 1 : 0, 0);
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
    HWND window = platform::WindowFromSdl(event.windowID);
    switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED: SetActivation(true); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: SetActivation(false); break;
    case SDL_WINDOWEVENT_ENTER:
        if (window) platform::SendToWindow(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELONG(HitClient, WM_MOUSEMOVE));
        break;
    case SDL_WINDOWEVENT_CLOSE:
        if (window) platform::SendToWindow(window, WM_CLOSE, 0, 0);
        break;
    default: break;
    }
}

bool HasInput() {
    std::lock_guard<std::mutex> hold(queueLock);
    return !queue.empty() || quitPending;
}

}  // namespace

namespace platform {

void QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    {
        std::lock_guard<std::mutex> hold(queueLock);
        queue.push_back(msg);
    }
    queueChanged.notify_all();
}

void DropMessagesOf(HWND window) {
    std::lock_guard<std::mutex> hold(queueLock);
    for (auto it = queue.begin(); it != queue.end();) {
        if (it->hwnd == window) it = queue.erase(it);
        else ++it;
    }
}

void PumpSdlEvents() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: PostKey(event.key); break;
        case SDL_WINDOWEVENT: HandleWindowEvent(event.window); break;
        case SDL_MOUSEMOTION: {
            HWND window = WindowFromSdl(event.motion.windowID);
            if (window) SendToWindow(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELONG(HitClient, WM_MOUSEMOVE));
            break;
        }
        case SDL_QUIT:  // the last window closed, or an interrupt from the terminal
            for (HWND window : LiveWindows()) SendToWindow(window, WM_CLOSE, 0, 0);
            break;
        default: break;
        }
    }
}

void WaitForInput() {
    for (;;) {
        PumpSdlEvents();
        if (HasInput()) return;
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
            // Short waits, so messages posted by other threads are seen promptly too.
            SDL_WaitEventTimeout(nullptr, 20);
        } else {
            std::unique_lock<std::mutex> hold(queueLock);
            queueChanged.wait(hold, [] { return !queue.empty() || quitPending; });
            return;
        }
    }
}

}  // namespace platform

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (msg == nullptr) return FALSE;
    platform::PumpSdlEvents();
    std::lock_guard<std::mutex> hold(queueLock);
    return TakeMessage(msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg == nullptr) return -1;
    if (window != nullptr && platform::LiveWindow(window) == nullptr) return -1;
    for (;;) {
        platform::PumpSdlEvents();
        {
            std::lock_guard<std::mutex> hold(queueLock);
            if (TakeMessage(msg, window, filterMin, filterMax, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        platform::WaitForInput();
    }
}

// Character messages are not generated: nothing in the program reads them.
BOOL TranslateMessage(const MSG* msg) {
    if (msg == nullptr) return FALSE;
    return msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) return 0;
    return platform::SendToWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WaitMessage() {
    platform::WaitForInput();
    return TRUE;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr && platform::LiveWindow(window) == nullptr) return FALSE;
    platform::QueueMessage(window, message, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    {
        std::lock_guard<std::mutex> hold(queueLock);
        quitPending = true;
        quitCode = exitCode;
    }
    queueChanged.notify_all();
}
