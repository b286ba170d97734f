// The render device over scripted drivers: the calls of its creation, each failure's message,
// the z-buffer choices, texture limits, and a teardown that releases what exists.
#include "scripteddrivers.h"

#include "d3denum.h"
#include "platform/virtualdisplay.h"
#include "renderdevice.h"
#include "setupchoices.h"

#include <gtest/gtest.h>

namespace {

const GUID SoftwareGuid = {0xA1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
const HWND MainWindow = reinterpret_cast<HWND>(0x1234);

class RenderDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::UseVirtualDisplay(640, 480, nullptr);  // message boxes go to stderr
        UseDevice(SoftwareGuid);
        renderDevice = RenderDevice{};
        setupChoices = SetupChoices{0, 0, 1, 1, 1, 0, 0, 0};
    }
    void TearDown() override {
        ::testing::internal::CaptureStderr();
        renderDevice.Destroy();
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(script.liveObjects, 0) << "an interface was not released";
    }
    void UseDevice(const GUID& guid) {
        ScriptedDriver driver;
        driver.description = "Primary Display Driver";
        driver.modes = {{800, 600, 32}, {640, 480, 16}};
        driver.devices = {{"Device", guid, 0, DDBD_16 | DDBD_32}};
        ScriptDrivers({driver});
        ::testing::internal::CaptureStderr();
        ASSERT_EQ(EnumerateDevices(nullptr), 0);
        ::testing::internal::GetCapturedStderr();
    }
    // Creates the device, keeping the message boxes shown.
    int Create() {
        script.calls.clear();
        ::testing::internal::CaptureStderr();
        const int result = renderDevice.Create(MainWindow);
        messages = ::testing::internal::GetCapturedStderr();
        return result;
    }
    int Destroy() {
        script.calls.clear();
        ::testing::internal::CaptureStderr();
        const int result = renderDevice.Destroy();
        messages = ::testing::internal::GetCapturedStderr();
        return result;
    }
    std::string messages;
};

TEST_F(RenderDeviceTest, CreationMakesTheFullScreenChainDeviceViewportAndZBuffer) {
    ASSERT_EQ(Create(), 1) << messages;
    EXPECT_EQ(script.calls, (std::vector<std::string>{
                                "DirectDrawCreateEx primary",
                                "SetCooperativeLevel 17",
                                "SetDisplayMode 640 480 16 60 0",
                                "CreateSurface primary 124 33 0x2218 1",
                                "GetAttachedSurface 4",
                                "CreateDevice backbuffer",
                                "SetViewport 0 0 640 480 0 1",
                                "GetCaps",
                                "CreateSurface zbuffer 124 0x1007 0x20800 640x480 16",
                                "AddAttachedSurface",
                                "SetRenderTarget 0",
                            }));
    EXPECT_EQ(renderDevice.window, MainWindow);
    EXPECT_EQ(renderDevice.memoryCaps, DWORD(DDSCAPS_SYSTEMMEMORY));
    EXPECT_EQ(setupChoices.screenWidth, 640);
    EXPECT_EQ(setupChoices.screenHeight, 480);
    EXPECT_EQ(setupChoices.screenBits, 16);
    EXPECT_NE(renderDevice.zBuffer, nullptr);
    EXPECT_TRUE(messages.empty()) << messages;
}

TEST_F(RenderDeviceTest, HardwareDevicesKeepTheirZBufferInVideoMemory) {
    for (const GUID* guid : {&IID_IDirect3DHALDevice, &IID_IDirect3DTnLHalDevice}) {
        renderDevice.Destroy();
        UseDevice(*guid);
        ASSERT_EQ(Create(), 1) << messages;
        EXPECT_EQ(renderDevice.memoryCaps, DWORD(DDSCAPS_VIDEOMEMORY));
        EXPECT_EQ(CallsStartingWith("CreateSurface zbuffer"),
                  (std::vector<std::string>{"CreateSurface zbuffer 124 0x1007 0x24000 640x480 16"}));
    }
}

TEST_F(RenderDeviceTest, ZBufferDepthFollowsTheBackBufferOrFallsBackTo16Bits) {
    setupChoices.modeIndex = 1;  // 800 x 600 x 32
    ASSERT_EQ(Create(), 1) << messages;
    EXPECT_EQ(CallsStartingWith("CreateSurface zbuffer").at(0), "CreateSurface zbuffer 124 0x1007 0x20800 800x600 32");

    renderDevice.Destroy();
    script.zBufferDepths = {24, 16};
    ASSERT_EQ(Create(), 1) << messages;
    EXPECT_EQ(CallsStartingWith("CreateSurface zbuffer").at(0), "CreateSurface zbuffer 124 0x1007 0x20800 800x600 16");

    renderDevice.Destroy();
    script.zBufferDepths = {24};
    EXPECT_EQ(Create(), 0);
    EXPECT_EQ(messages, "ERROR!!!: Device doesn't support requested zbuffer format\n");
}

TEST_F(RenderDeviceTest, ADeviceWithoutNeedForAZBufferGetsNone) {
    script.rasterCaps = D3DPRASTERCAPS_ZBUFFERLESSHSR;
    ASSERT_EQ(Create(), 1) << messages;
    EXPECT_EQ(renderDevice.zBuffer, nullptr);
    EXPECT_TRUE(CallsStartingWith("CreateSurface zbuffer").empty());
    EXPECT_TRUE(CallsStartingWith("SetRenderTarget").empty());
}

TEST_F(RenderDeviceTest, EveryFailingStepShowsItsMessageAndStops) {
    struct Case {
        bool Script::*failure;
        const char* message;
        const char* lastCall;
    };
    const Case cases[] = {
        {&Script::failCreate, "Cannot create IDirectDraw7", "DirectDrawCreateEx primary"},
        {&Script::failCooperativeLevel, "Cannot set cooperative level", "SetCooperativeLevel 17"},
        {&Script::failDisplayMode, "Cannot set display mode", "SetDisplayMode 640 480 16 60 0"},
        {&Script::failBackBuffer, "Can't get the backbuffer", "GetAttachedSurface 4"},
        {&Script::failQueryDirect3D, "Couldn't get the Direct3D interface", "GetAttachedSurface 4"},
        {&Script::failCreateDevice, "Couldn't create the D3DDevice", "CreateDevice backbuffer"},
        {&Script::failViewport, "Cannot create Viewport", "SetViewport 0 0 640 480 0 1"},
        {&Script::failZBufferSurface, "Couldn't create a ZBuffer surface", "CreateSurface zbuffer 124 0x1007 0x20800 640x480 16"},
        {&Script::failAttach, "Couldn't attach zbuffer to render surface", "AddAttachedSurface"},
        {&Script::failRenderTarget, "SetRenderTarget() failed after attaching zbuffer", "SetRenderTarget 0"},
    };
    for (const Case& step : cases) {
        SCOPED_TRACE(step.message);
        script.*step.failure = true;
        EXPECT_EQ(Create(), 0);
        script.*step.failure = false;
        EXPECT_EQ(messages, std::string("ERROR!!!: ") + step.message + "\n");
        ASSERT_FALSE(script.calls.empty());
        EXPECT_EQ(script.calls.back(), step.lastCall);
        renderDevice.Destroy();
    }
}

TEST_F(RenderDeviceTest, APrimarySurfaceFailureSaysWhenVideoMemoryRanOut) {
    script.primaryResult = DDERR_GENERIC;
    EXPECT_EQ(Create(), 0);
    EXPECT_EQ(messages, "ERROR!!!: Can't create primary surface\n");
    renderDevice.Destroy();

    script.primaryResult = DDERR_OUTOFVIDEOMEMORY;
    EXPECT_EQ(Create(), 0);
    EXPECT_EQ(messages, "ERROR!!!: Can't create primary surface\nERROR!!!: Out of video memory\n");
    renderDevice.Destroy();
}

TEST_F(RenderDeviceTest, AChoiceOutsideTheListIsRefusedWithAMessage) {
    setupChoices.modeIndex = 2;
    EXPECT_EQ(Create(), 0);
    EXPECT_NE(messages.find("ERROR!!!: "), std::string::npos);
    EXPECT_TRUE(script.calls.empty());
    setupChoices.modeIndex = 0;
    setupChoices.deviceIndex = 1;
    EXPECT_EQ(Create(), 0);
    EXPECT_TRUE(script.calls.empty());
}

TEST_F(RenderDeviceTest, SmallTexturesWhenEitherMaximumIsAtMost256) {
    ASSERT_EQ(Create(), 1) << messages;
    struct Case {
        DWORD width, height;
        int small;
    } cases[] = {{256, 2048, 1}, {2048, 256, 1}, {512, 512, 0}, {257, 257, 0}, {256, 256, 1}};
    for (const Case& limits : cases) {
        script.maxTextureWidth = limits.width;
        script.maxTextureHeight = limits.height;
        ASSERT_EQ(renderDevice.ReadTextureLimits(), 1);
        EXPECT_EQ(renderDevice.smallTextures, limits.small) << limits.width << " x " << limits.height;
        EXPECT_EQ(renderDevice.maxTextureWidth, limits.width);
        EXPECT_EQ(renderDevice.maxTextureHeight, limits.height);
    }
    script.failDeviceCaps = true;
    EXPECT_EQ(renderDevice.ReadTextureLimits(), 0);
    renderDevice.Destroy();
}

TEST_F(RenderDeviceTest, ClearAndPresentPassTheFrameCalls) {
    ASSERT_EQ(Create(), 1) << messages;
    script.calls.clear();
    renderDevice.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0);
    renderDevice.Clear(D3DCLEAR_ZBUFFER, 0);
    EXPECT_EQ(renderDevice.Present(), 1);
    EXPECT_EQ(script.calls, (std::vector<std::string>{"Clear 0 null 3 00000000 1 0", "Clear 0 null 2 00000000 1 0", "Flip null 1"}));
    renderDevice.Destroy();
}

TEST_F(RenderDeviceTest, TeardownLeavesFullScreenAndReleasesEverything) {
    ASSERT_EQ(Create(), 1) << messages;
    EXPECT_EQ(Destroy(), 1);
    EXPECT_EQ(script.calls.front(), "SetCooperativeLevel 8");
    EXPECT_EQ(CallsStartingWith("Release"),
              (std::vector<std::string>{"Release device", "Release backBuffer", "Release zBuffer", "Release primary",
                                        "Release direct3D", "Release directDraw"}));
    EXPECT_TRUE(messages.empty()) << messages;
    EXPECT_EQ(renderDevice.device, nullptr);
    EXPECT_EQ(renderDevice.directDraw, nullptr);
    EXPECT_EQ(renderDevice.primary, nullptr);
    EXPECT_EQ(renderDevice.backBuffer, nullptr);
    EXPECT_EQ(renderDevice.zBuffer, nullptr);
    EXPECT_EQ(renderDevice.direct3D, nullptr);
}

TEST_F(RenderDeviceTest, TeardownAfterAHalfWayCreationReleasesOnlyWhatExists) {
    script.failCreateDevice = true;
    EXPECT_EQ(Create(), 0);
    EXPECT_EQ(Destroy(), 1);
    EXPECT_EQ(CallsStartingWith("Release"),
              (std::vector<std::string>{"Release backBuffer", "Release primary", "Release direct3D", "Release directDraw"}));

    renderDevice = RenderDevice{};
    EXPECT_EQ(Destroy(), 1);  // nothing created at all
    EXPECT_TRUE(script.calls.empty());
}

TEST_F(RenderDeviceTest, ADeviceStillReferencedAtTeardownIsReported) {
    script.deviceReferencesKept = 1;
    ASSERT_EQ(Create(), 1) << messages;
    EXPECT_EQ(Destroy(), 1);
    EXPECT_EQ(messages, "ERROR!!!: D3DDevice object is still referenced\n");
    EXPECT_EQ(renderDevice.device, nullptr);
    EXPECT_EQ(CallsStartingWith("Release").back(), "Release directDraw");  // the teardown carried on
    EXPECT_EQ(script.lastDevice->Release(), 0u);
}

}  // namespace
