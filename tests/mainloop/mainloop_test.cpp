// The message loop and the window procedure, with scripted messages on the virtual display.
#include <gtest/gtest.h>

#include <platform/musicclock.h>


#include <chrono>
#include <cstdio>
#include <regex>
#include <cstdlib>
#include <string>
#include <thread>

#include "capturerun.h"
#include "director.h"
#include "main.h"
#include "renderdevice.h"
#include "showfixture.h"

namespace {

class MessageLoop : public ShowTest {
protected:
    static void SetUpTestSuite() {
        ShowTest::SetUpTestSuite();
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.lpszClassName = "MAINLOOPTEST";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }

    void SetUp() override {
        ShowTest::SetUp();
        // A loop that never ends fails instead of hanging.
        recorder.onCall = [this](const platform::TraceRecord& call) {
            if (call.call == "BeginScene" && ++frames == 20) PostQuitMessage(99);
        };
        AppActive = 1;
        pauseToggle = 0;
        platform::SetVirtualMusicPosition(3900000);  // a frame that draws nothing and ends nothing
        window = CreateWindowExA(WS_EX_TOPMOST, "MAINLOOPTEST", "test", WS_POPUP, 0, 0, 320, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override {
        DestroyWindow(window);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        ShowTest::TearDown();
    }

    bool WindowAlive() { return PostMessageA(window, WM_NULL, 0, 0) != 0; }

    int frames = 0;
    HWND window = nullptr;
};

}  // namespace

TEST_F(MessageLoop, EndsAtTheIdlePassAfterTheLastFrame) {
    platform::SetVirtualMusicPosition(43000000);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(recorder.Names().back(), "Present");
    EXPECT_NE(renderDevice.device, nullptr);  // no teardown on this path
}

TEST_F(MessageLoop, PendingMessagesGoFirstOnceFinished) {
    showFinished = 1;
    PostMessageA(window, WM_KEYDOWN, 'P', 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(pauseToggle, 1);
}

TEST_F(MessageLoop, DrawsEveryIdlePassWhileActive) {
    EXPECT_EQ(RunMessageLoop(), 99);  // the quit after 20 frames
    EXPECT_EQ(frames, 20);
}

TEST_F(MessageLoop, InactiveApplicationDrawsNothing) {
    PostMessageA(window, WM_ACTIVATEAPP, 0, 0);
    std::thread user([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(RunMessageLoop(), 0);
    user.join();
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(AppActive, 0);
}

TEST_F(MessageLoop, ReactivationResumesAtTheCurrentPosition) {
    PostMessageA(window, WM_ACTIVATEAPP, 0, 0);
    PostMessageA(window, WM_ACTIVATEAPP, 1, 0);
    platform::SetVirtualMusicPosition(43000000);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(musicPosition, 43000000u);
}

TEST_F(MessageLoop, EscapeTearsDownAndEnds) {
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(renderDevice.device, nullptr);
    EXPECT_EQ(renderDevice.primary, nullptr);
    EXPECT_FALSE(WindowAlive());
    EXPECT_FALSE(platform::MusicPlaying());
}

TEST_F(MessageLoop, F12TearsDownAndEnds) {
    PostMessageA(window, WM_KEYDOWN, VK_F12, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(renderDevice.device, nullptr);
    EXPECT_FALSE(WindowAlive());
}

TEST_F(MessageLoop, OtherKeysDoNotEndTheRun) {
    for (WPARAM key : {WPARAM('P'), WPARAM(VK_F1), WPARAM(VK_F1), WPARAM('A'), WPARAM(VK_RETURN), WPARAM(VK_F11)})
        PostMessageA(window, WM_KEYDOWN, key, 0);
    EXPECT_EQ(RunMessageLoop(), 99);
    EXPECT_EQ(frames, 20);
    EXPECT_EQ(pauseToggle, 1);
    EXPECT_TRUE(WindowAlive());
}

TEST_F(MessageLoop, QuitMessageEndsWithItsCode) {
    PostQuitMessage(5);
    EXPECT_EQ(RunMessageLoop(), 5);
    EXPECT_EQ(frames, 0);
}

TEST_F(MessageLoop, ClosingTheWindowEndsWithoutTeardown) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(WindowAlive());
    EXPECT_NE(renderDevice.device, nullptr);
}

TEST_F(MessageLoop, WindowProcedureHidesTheCursorAndFollowsActivation) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    for (LPARAM hitTest : {LPARAM(1), LPARAM(0), LPARAM(-2)}) {
        SetCursor(arrow);
        EXPECT_EQ(WindowProc(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELONG(hitTest, WM_MOUSEMOVE)), 1);
        EXPECT_EQ(SetCursor(arrow), nullptr);
    }
    WindowProc(window, WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(AppActive, 0);
    WindowProc(window, WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(AppActive, 1);
    EXPECT_EQ(WindowProc(window, WM_KEYDOWN, VK_F1, 0), 0);
    EXPECT_EQ(pauseToggle, 1);
    EXPECT_EQ(WindowProc(window, WM_KEYDOWN, 'P', 0), 0);
    EXPECT_EQ(pauseToggle, 0);
}

TEST(Trace, WritesOneDebuggerLineAndReturnsTheCode) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(TraceMessage("engine.src\\d3denum.cpp", 120, E_INVALIDARG, "EnumDevices failed"), E_INVALIDARG);
    EXPECT_EQ(TraceMessage("a.cpp", 7, 0, "no devices"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "engine.src\\d3denum.cpp(120): EnumDevices failed(hr=80070057)\n\na.cpp(7): no devices\n");
}

TEST(Trace, AVeryLongPathStillFitsTheLine) {
    const std::string path(1000, 'x');
    testing::internal::CaptureStderr();
    TraceMessage(path.c_str(), 1, 0, "m");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(200, 'x') + "(1): m\n");
}

TEST(Startup, WithoutADisplayOneLineSaysHowToCaptureInsteadAndTheRunFails) {
    // The program itself, beside the tests: its exit code is the point.
    const Outcome run = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ./heliotropic 2>&1");
    const std::string& output = run.output;
    EXPECT_EQ(run.code, 1) << output;
    EXPECT_TRUE(std::regex_match(output, std::regex("No display available[^\n]*heliotropic-capture --video heliotropic.mp4\n")))
        << output;
}
