// Pixel processing: 16-bit packing and ordered dither.
#include <gtest/gtest.h>

#include "pipelinecanvas.h"

using namespace softdevtest;

TEST(Packing, FiveFiveFiveTargetsTruncateLikeTheImageLoader) {
    PipelineCanvas narrow(4, 4, 15);
    narrow.Draw(Quad(0, 0, 4, 4, 0xFF8040));
    EXPECT_EQ(narrow.Raw(3, 3), 0x7E08u);
}

TEST(Packing, OrderedDitherSpreadsTheRemainder) {
    PipelineCanvas canvas(8, 8, 16);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
    // Red 204 lies half-way between the 5-bit levels 25 and 26; green 129 is a quarter of the way
    // from 32 to 33 (6 bits); blue 255 must stay at 31.
    canvas.Draw(Quad(0, 0, 8, 8, 0xCC81FF));
    int high = 0, greenHigh = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            uint32_t p = canvas.Raw(x, y);
            uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
            ASSERT_TRUE(r == 25 || r == 26);
            ASSERT_TRUE(g == 32 || g == 33);
            ASSERT_EQ(b, 31u);
            high += r == 26;
            greenHigh += g == 33;
            EXPECT_EQ(canvas.Raw(x + 4, y + 4), p);  // the pattern repeats every 4 pixels
        }
    EXPECT_EQ(high, 8);
    EXPECT_EQ(greenHigh, 4);

    // Every position's threshold: red and blue 200 + m round up from 25 where m + threshold / 2
    // reaches 8; green 128 + m % 4 rounds up from 32 where m % 4 + threshold / 4 reaches 4.
    const unsigned threshold[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};  // [y][x]
    for (unsigned m = 0; m < 8; ++m) {
        canvas.Draw(Quad(0, 0, 8, 8, ((200 + m) << 16) | ((128 + m % 4) << 8) | (200 + m)));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const unsigned t = threshold[y][x], five = 25 + (m + t / 2 >= 8), six = 32 + (m % 4 + t / 4 >= 4);
                EXPECT_EQ(canvas.Raw(x, y), (five << 11) | (six << 5) | five) << "m " << m << " at " << x << "," << y;
            }
    }

    canvas.renderer.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 0);
    canvas.Draw(Quad(0, 0, 8, 8, 0xCC81FF));
    EXPECT_EQ(canvas.Raw(0, 3), (25u << 11) | (32u << 5) | 31u);
}
