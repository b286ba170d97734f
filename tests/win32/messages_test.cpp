// Windows and the message queue on the virtual display, called the way the program calls them.
#include <gtest/gtest.h>

#include <windows.h>

#include <platform/dialogrunner.h>
#include <platform/virtualdisplay.h>

#include <thread>
#include <vector>

namespace {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
};
std::vector<Received> received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back({window, message, wParam});
    if (message == WM_DESTROY) PostQuitMessage(7);
    return DefWindowProcA(window, message, wParam, lParam);
}

class Win32 : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        platform::UseVirtualDisplay(640, 480, [](const platform::FrameImage& frame) { ++presented; });
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = "TESTWINDOW";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    void SetUp() override {
        DrainQueue();
        received.clear();
        window = CreateWindowExA(WS_EX_TOPMOST, "TESTWINDOW", "test", WS_POPUP, 0, 0, 320, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        DestroyWindow(window);
        DrainQueue();
    }
    static void DrainQueue() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    HWND window = nullptr;
    static int presented;
};
int Win32::presented = 0;

}  // namespace

TEST_F(Win32, ClassesAreRegisteredOnceAndWindowsNeedOne) {
    WNDCLASSA again{};
    again.lpfnWndProc = RecordingProc;
    again.lpszClassName = "TESTWINDOW";
    EXPECT_EQ(RegisterClassA(&again), 0);
    EXPECT_EQ(RegisterClassA(nullptr), 0);
    EXPECT_EQ(CreateWindowExA(0, "NOSUCHCLASS", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
}

TEST_F(Win32, PostedMessagesArriveInOrderAndPeekCanLeaveThem) {
    ASSERT_TRUE(PostMessageA(window, WM_KEYDOWN, VK_F1, 0));
    ASSERT_TRUE(PostMessageA(window, WM_ACTIVATEAPP, 0, 0));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));  // still there
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));

    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_F1));
    DispatchMessageA(&msg);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_ACTIVATEAPP));
    DispatchMessageA(&msg);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));

    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_ACTIVATEAPP));
}

TEST_F(Win32, FiltersSelectByRangeAndWindow) {
    PostMessageA(window, WM_KEYDOWN, 'A', 0);
    PostMessageA(window, WM_ACTIVATEAPP, 1, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_ACTIVATEAPP, WM_ACTIVATEAPP, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_ACTIVATEAPP));
    HWND other = reinterpret_cast<HWND>(&msg);
    EXPECT_FALSE(PeekMessageA(&msg, other, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('A'));
}

TEST_F(Win32, QuitComesAfterPostedMessagesWithItsCode) {
    PostQuitMessage(3);
    PostMessageA(window, WM_KEYDOWN, 'Q', 0);
    MSG msg;
    EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));  // taken once only
}

TEST_F(Win32, CloseDestroysTheWindowAndItsQueuedMessages) {
    PostMessageA(window, WM_KEYDOWN, 'Z', 0);
    EXPECT_EQ(DefWindowProcA(window, WM_CLOSE, 0, 0), 0);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_DESTROY));

    MSG msg;
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));  // the key is gone, the quit is left
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(PostMessageA(window, WM_KEYDOWN, 'Z', 0));
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
}

TEST_F(Win32, WaitMessageWakesWhenAnotherThreadPosts) {
    std::thread poster([this] { PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0); });
    WaitMessage();
    poster.join();
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_SPACE));
}

TEST_F(Win32, ShowWindowReportsThePreviousVisibility) {
    EXPECT_FALSE(ShowWindow(window, SW_SHOWDEFAULT));
    EXPECT_TRUE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(UpdateWindow(window));
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(ShowWindow(window, SW_HIDE));
}

TEST_F(Win32, StockResourcesExistButTheProgramHasNone) {
    static char moduleTag;
    HINSTANCE program = reinterpret_cast<HINSTANCE>(&moduleTag);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_EQ(LoadIconA(program, MAKEINTRESOURCEA(32512)), nullptr);
    EXPECT_EQ(LoadCursorA(program, IDC_ARROW), nullptr);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    EXPECT_EQ(SetCursor(nullptr), arrow);
    EXPECT_EQ(SetCursor(nullptr), nullptr);
}

TEST_F(Win32, VirtualDisplayHandsFramesToItsHost) {
    EXPECT_EQ(&platform::CurrentDisplay(), &platform::virtualDisplay);
    EXPECT_TRUE(platform::OpenDisplay());
    const platform::DisplayMode desktop = platform::DesktopMode();
    EXPECT_EQ(desktop.width, 640u);
    EXPECT_EQ(desktop.height, 480u);

    const std::vector<platform::DisplayMode> modes = platform::ReportedModes();
    int desktopCount = 0;
    for (size_t i = 0; i < modes.size(); ++i) {
        EXPECT_LE(modes[i].width, 640u);
        if (modes[i].width == 640 && modes[i].height == 480) ++desktopCount;
        for (size_t j = i + 1; j < modes.size(); ++j)
            EXPECT_FALSE(modes[i].width == modes[j].width && modes[i].height == modes[j].height &&
                         modes[i].refreshRate == modes[j].refreshRate);
    }
    EXPECT_EQ(desktopCount, 1);

    uint16_t pixels[4] = {};
    platform::FrameImage frame{pixels, 4, 2, 1, {}};
    frame.format.dwRGBBitCount = 16;
    const int before = presented;
    platform::EnterFullScreen(window);  // nothing to do without a real screen
    platform::PresentFrame(window, frame, 60);
    EXPECT_EQ(presented, before + 1);
}

TEST(Clocks, CounterAndMillisecondsMoveForward) {
    LARGE_INTEGER frequency, first, second;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_GT(frequency.QuadPart, 0);
    ASSERT_TRUE(QueryPerformanceCounter(&first));
    const DWORD milliseconds = timeGetTime();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(QueryPerformanceCounter(&second));
    EXPECT_GE(second.QuadPart - first.QuadPart, frequency.QuadPart / 1000);
    EXPECT_GE(timeGetTime() - milliseconds, 1u);
}

TEST(MessageBoxes, GoToTheDialogRunnerInUseWithTheirDefaults) {
    static std::string shown;
    static const platform::DialogRunnerRecord recording = {
        "recording", [] { return true; }, [](platform::DialogBox&, LPARAM) { return INT_PTR(-1); },
        [](HWND, LPCSTR text, LPCSTR caption, UINT type) {
            shown = std::string(caption) + "|" + text + "|" + std::to_string(type);
            return IDOK;
        }};
    platform::UseDialogRunner(&recording);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDOK);
    EXPECT_EQ(shown, "Error||0");
    EXPECT_TRUE(platform::SelectDialogRunner("scripted"));
    EXPECT_FALSE(platform::SelectDialogRunner("no such runner"));
    EXPECT_EQ(&platform::CurrentDialogRunner(), &platform::scriptedDialogs) << "an unknown name changes nothing";
    platform::UseDialogRunner(nullptr);
    EXPECT_NE(&platform::CurrentDialogRunner(), &recording);
}

TEST(MessageBoxes, GoToStderrWithoutAScreen) {
    platform::UseVirtualDisplay(320, 200, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Can't initialize device", "Bass ERROR!!!", MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Bass ERROR!!!: Can't initialize device\n");
}
