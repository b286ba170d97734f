// Flip on every device: the display gets exactly the picture drawn, pictures in the order of
// their flips and none lost, also where a device reads its picture back from the GPU while the
// next frame is drawn; front and back buffers then hold what they hold when drawing in memory.
#include "devicefixture.h"

#include <platform/virtualdisplay.h>

namespace {

class FlipTest : public DeviceTest {
protected:
    // A background and a triangle shaded from red to green to blue over most of the picture.
    void DrawFrame(DWORD background) {
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0), D3D_OK);
        std::vector<ScreenVertex> triangle = {{2, 2, 0.5f, 1, 0xFF0000, 0, 0, 0},
                                              {30, 4, 0.5f, 1, 0x00FF00, 0, 0, 0},
                                              {6, 28, 0.5f, 1, 0x0000FF, 0, 0, 0}};
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(Draw(triangle), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
    }
    void Flip() { ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK); }
};

// The bottom right corner is background in every frame drawn here.
char BackgroundOf(const platform::FrameImage& frame) {
    const DWORD corner =
        static_cast<const DWORD*>(frame.pixels)[(frame.height - 1) * frame.pitch / 4 + frame.width - 1] & 0xFFFFFF;
    return corner == 0xFF0000 ? 'r' : corner == 0x00FF00 ? 'g' : corner == 0x0000FF ? 'b' : '?';
}

}  // namespace

TEST_P(FlipTest, TheDisplayGetsTheDrawnPictureByteForByte) {
    DrawFrame(0x203040);
    const std::vector<DWORD> drawn = MemoryOf(backBuffer);  // written back at once, for the Lock
    DrawFrame(0x203040);
    Flip();
    EXPECT_EQ(MemoryOf(primary), drawn);
    EXPECT_EQ(PresentedPicture(), drawn);
}

TEST_P(FlipTest, PicturesComeInTheOrderOfTheirFlipsAndNoneIsLost) {
    std::string events;  // '|' for a flip, then the picture's background
    platform::UseVirtualDisplay(
        kSize, kSize, [&](const platform::FrameImage& frame) { events += BackgroundOf(frame); },
        [&] { events += '|'; });
    for (DWORD background : {0xFF0000, 0x00FF00}) {
        DrawFrame(background);
        Flip();
    }
    // The show never releases its chain: a host wanting the last picture asks for it.
    platform::FinishPresenting();
    EXPECT_EQ(events, "|r|g");
    DrawFrame(0x0000FF);
    Flip();
    EXPECT_EQ(device->Release(), 0u);
    device = nullptr;
    EXPECT_EQ(events, "|r|g|b") << "the device's last picture comes when it goes";
}

TEST_P(FlipTest, AfterAFlipTheBackBufferHoldsTheFrameBefore) {
    DrawFrame(0xFF0000);
    std::vector<DWORD> expected = MemoryOf(backBuffer);
    DrawFrame(0xFF0000);
    Flip();
    DrawFrame(0x00FF00);
    Flip();
    // Drawn without a clear, over the red frame that was the front.
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(Draw(Quad(24, 24, 32, 28, 0xFFFFFF)), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    Present();
    for (DWORD y = 24; y < 28; ++y)
        for (DWORD x = 24; x < 32; ++x) expected[y * kSize + x] = 0xFFFFFF;
    EXPECT_EQ(PresentedPicture(), expected);
}

INSTANTIATE_FOR_EVERY_DEVICE(FlipTest);
