// The render device made the way the show makes it, on the virtual display with the real device
// table: enumeration, creation in 16 and 32 bits, a cleared frame presented, and the teardown.
#include "callrecorder.h"
#include "d3denum.h"
#include "platform/devicetrace.h"
#include "platform/virtualdisplay.h"
#include "renderdevice.h"
#include "setupchoices.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Presented {
    DWORD width, height, bits;
    uint32_t centre;
};

class RenderChain : public ::testing::Test {
protected:
    void SetUp() override {
        platform::UseVirtualDisplay(640, 480, [this](const platform::FrameImage& frame) {
            const uint8_t* row = static_cast<const uint8_t*>(frame.pixels) + (frame.height / 2) * frame.pitch;
            uint32_t centre = 0;
            std::memcpy(&centre, row + (frame.width / 2) * (frame.format.dwRGBBitCount / 8), frame.format.dwRGBBitCount / 8);
            frames.push_back({frame.width, frame.height, frame.format.dwRGBBitCount, centre});
        });
        ASSERT_EQ(EnumerateDevices(nullptr), 0);
        GetDeviceList(&list, &count);
        ASSERT_GE(count, 1u);
        renderDevice = RenderDevice{};
    }
    void TearDown() override { renderDevice.Destroy(); }
    // The index of a mode of the first device, or -1.
    int ModeIndex(DWORD width, DWORD height, DWORD bits) {
        for (DWORD i = 0; i < list[0].modeCount; ++i) {
            const DDSURFACEDESC2& mode = list[0].modes[i];
            if (mode.dwWidth == width && mode.dwHeight == height && mode.ddpfPixelFormat.dwRGBBitCount == bits)
                return static_cast<int>(i);
        }
        return -1;
    }
    DeviceEntry* list = nullptr;
    DWORD count = 0;
    std::vector<Presented> frames;
};

TEST_F(RenderChain, TheFirstDeviceOffersTheDisplaysSizeAtBothDepthsAndNothingLarger) {
    EXPECT_GE(ModeIndex(640, 480, 16), 0);
    EXPECT_GE(ModeIndex(640, 480, 32), 0);
    for (DWORD i = 0; i < list[0].modeCount; ++i) {
        EXPECT_LE(list[0].modes[i].dwWidth, 640u);
        EXPECT_LE(list[0].modes[i].dwHeight, 480u);
    }
    EXPECT_EQ(list[0].driverGuidPointer, nullptr);
}

TEST_F(RenderChain, AClearedFrameReachesTheDisplayInEitherDepth) {
    for (DWORD bits : {16u, 32u}) {
        SCOPED_TRACE(bits);
        setupChoices.deviceIndex = 0;
        setupChoices.modeIndex = ModeIndex(640, 480, bits);
        ASSERT_GE(setupChoices.modeIndex, 0);
        ASSERT_EQ(renderDevice.Create(nullptr), 1);
        ASSERT_EQ(renderDevice.ReadTextureLimits(), 1);
        EXPECT_NE(renderDevice.zBuffer, nullptr);
        EXPECT_EQ(setupChoices.screenBits, int(bits));

        frames.clear();
        renderDevice.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00FF0000);
        EXPECT_EQ(renderDevice.Present(), 1);
        renderDevice.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0);
        EXPECT_EQ(renderDevice.Present(), 1);
        ASSERT_EQ(frames.size(), 2u);
        EXPECT_EQ(frames[0].width, 640u);
        EXPECT_EQ(frames[0].bits, bits);
        EXPECT_EQ(frames[0].centre, bits == 16 ? 0xF800u : 0x00FF0000u);
        EXPECT_EQ(frames[1].centre, 0u);

        EXPECT_EQ(renderDevice.Destroy(), 1);
        EXPECT_EQ(renderDevice.device, nullptr);
        EXPECT_EQ(renderDevice.directDraw, nullptr);
    }
}

TEST_F(RenderChain, RecordingOnlyFramesLeaveTheBackBufferUntouched) {
    setupChoices.modeIndex = ModeIndex(640, 480, 32);
    ASSERT_EQ(renderDevice.Create(nullptr), 1);
    const CallRecorder recorder;
    platform::SetDeviceRasterising(false);
    renderDevice.Clear(D3DCLEAR_TARGET, 0x0000FF00);
    renderDevice.Present();
    platform::SetDeviceRasterising(true);
    EXPECT_EQ(recorder.Lines(), (std::vector<std::string>{"Clear rectCount=0 flags=1 colour=65280 z=1 stencil=0"}));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].centre, 0u);
}

}  // namespace
