// The live settings on the virtual display: where the picture lands in full screen and in a
// resized window, the overlay kept out of presented frames, and the device kind listed first.
#include "fixture.h"

#include <platform/livesettings.h>

namespace {

class LiveDisplay : public DirectDrawTest {
protected:
    void SetUp() override {
        DirectDrawTest::SetUp();
        static const bool registered = [] {
            WNDCLASSA windowClass{};
            windowClass.lpfnWndProc = DefWindowProcA;
            windowClass.lpszClassName = "LIVEDISPLAY";
            return RegisterClassA(&windowClass) != 0;
        }();
        ASSERT_TRUE(registered);
        window = CreateWindowExA(WS_EX_TOPMOST, "LIVEDISPLAY", "show", WS_POPUP, 0, 0, 320, 200, nullptr, nullptr, nullptr,
                                 nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        DirectDrawTest::TearDown();
        DestroyWindow(window);
        platform::UseLiveSettings(platform::LiveSettings{});
    }
    // Where a flipped frame went in the virtual display's window.
    platform::PictureRect Flipped() {
        EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        return platform::VirtualWindow().picture;
    }
    static std::string Text(const platform::PictureRect& rect) {
        return std::to_string(rect.x) + "," + std::to_string(rect.y) + " " + std::to_string(rect.width) + "x" +
               std::to_string(rect.height);
    }
    HWND window = nullptr;
};

}  // namespace

TEST_F(LiveDisplay, FullScreenFillsTheDesktopOrTakesTheLargestWholeMultiple) {
    // The fixture's desktop is 1024x768.
    const struct {
        platform::ScalingFilter scaling;
        DWORD width, height;
        const char* placed;
    } cases[] = {
        {platform::ScalingFilter::Linear, 640, 480, "0,0 1024x768"},
        {platform::ScalingFilter::Nearest, 800, 600, "0,0 1024x768"},
        {platform::ScalingFilter::Integer, 640, 480, "192,144 640x480"},
        {platform::ScalingFilter::Integer, 1024, 768, "0,0 1024x768"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.placed);
        platform::LiveSettings settings;
        settings.scaling = test.scaling;
        platform::UseLiveSettings(settings);
        ASSERT_NO_FATAL_FAILURE(CreateFlipChain(test.width, test.height, 16, window));
        EXPECT_EQ(platform::VirtualWindow().width, 1024);
        EXPECT_EQ(Text(Flipped()), test.placed);
        backBuffer->Release();
        primary->Release();
        direct3D->Release();
        backBuffer = primary = nullptr;
        direct3D = nullptr;
    }
}

TEST_F(LiveDisplay, AWindowTakesTheModesSizeAndThePictureFollowsItsResizing) {
    platform::LiveSettings settings;
    settings.windowed = true;
    settings.scaling = platform::ScalingFilter::Integer;
    platform::UseLiveSettings(settings);
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(640, 480, 16, window));
    EXPECT_EQ(platform::VirtualWindow().width, 640);
    EXPECT_EQ(platform::VirtualWindow().height, 480);
    EXPECT_EQ(Text(Flipped()), "0,0 640x480");
    platform::ResizeVirtualWindow(1400, 1000);
    EXPECT_EQ(Text(Flipped()), "60,20 1280x960");
    platform::ResizeVirtualWindow(1000, 700);
    EXPECT_EQ(Text(Flipped()), "180,110 640x480");
    // Not even once: scaled down to fit instead of cut.
    platform::ResizeVirtualWindow(500, 400);
    EXPECT_EQ(Text(Flipped()), "0,12 500x375");

    settings.scaling = platform::ScalingFilter::Linear;
    platform::UseLiveSettings(settings);
    platform::ResizeVirtualWindow(1000, 700);
    EXPECT_EQ(Text(Flipped()), "33,0 933x700");
}

TEST_F(LiveDisplay, TheOverlayNeverReachesAPresentedFrame) {
    platform::LiveSettings settings;
    settings.overlay = true;
    platform::UseLiveSettings(settings);
    ASSERT_TRUE(platform::OverlayShown());
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(640, 480, 32, window));
    DDSURFACEDESC2 locked = {};
    locked.dwSize = sizeof locked;
    ASSERT_EQ(backBuffer->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    for (DWORD y = 0; y < locked.dwHeight; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch);
        std::fill(row, row + locked.dwWidth, 0x00336699u);
    }
    backBuffer->Unlock(nullptr);
    Flipped();
    ASSERT_EQ(presented.size(), 1u);
    const platform::FrameImage& frame = presented[0];
    size_t differing = 0;
    for (DWORD y = 0; y < frame.height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(frame.pixels) + y * frame.pitch);
        differing += frame.width - std::count(row, row + frame.width, 0x00336699u);
    }
    EXPECT_EQ(differing, 0u);
}

TEST_F(LiveDisplay, TheDeviceKindTheSettingsNameIsListedFirstAndByDefaultAPreferredDevice) {
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(640, 480, 16, window));
    const auto listed = [this] {
        std::vector<GUID> guids;
        direct3D->EnumDevices(
            [](LPSTR, LPSTR, LPD3DDEVICEDESC7 caps, LPVOID context) -> HRESULT {
                static_cast<std::vector<GUID>*>(context)->push_back(caps->deviceGUID);
                return D3DENUMRET_OK;
            },
            &guids);
        return guids;
    };
    const std::vector<GUID> softwareFirst = {ScriptedSoftwareGuid, ScriptedHardwareGuid};
    const std::vector<GUID> hardwareFirst = {ScriptedHardwareGuid, ScriptedSoftwareGuid};
    EXPECT_EQ(listed(), softwareFirst);  // a hardware device on a CPU renderer keeps its place
    scripted.hardwareAvailability = DeviceAvailability::Preferred;
    EXPECT_EQ(listed(), hardwareFirst);
    platform::LiveSettings settings;
    settings.firstDevice = platform::DeviceKind::Software;
    platform::UseLiveSettings(settings);
    EXPECT_EQ(listed(), softwareFirst);
    settings.firstDevice = platform::DeviceKind::Hardware;
    platform::UseLiveSettings(settings);
    scripted.hardwareAvailability = DeviceAvailability::Available;
    EXPECT_EQ(listed(), hardwareFirst);

    // A device that cannot run is neither listed nor made.
    scripted.hardwareAvailability = DeviceAvailability::Missing;
    EXPECT_EQ(listed(), std::vector<GUID>{ScriptedSoftwareGuid});
    IDirect3DDevice7* device = nullptr;
    EXPECT_EQ(direct3D->CreateDevice(ScriptedHardwareGuid, backBuffer, &device), DDERR_NOTFOUND);
    EXPECT_EQ(device, nullptr);
}
