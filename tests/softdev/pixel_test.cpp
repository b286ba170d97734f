// Pixel processing: depth test and write, blend factors, clears and 16-bit packing with dither.
#include <gtest/gtest.h>

#include "canvas.h"

using namespace softdevtest;

TEST(Depth, LessOrEqualPassesAndNearerWins) {
    Canvas canvas(8, 8);
    canvas.Draw(Quad(0, 0, 8, 8, 0x0000FF, 0.5f));
    EXPECT_EQ(canvas.Depth(3, 3), 32768u);  // 0.5 of 65535, rounded
    canvas.Draw(Quad(0, 0, 4, 8, 0xFF0000, 0.75f));  // behind: hidden
    canvas.Draw(Quad(4, 0, 8, 8, 0x00FF00, 0.25f));  // in front: drawn
    EXPECT_EQ(canvas.Rgb(1, 1), 0x0000FFu);
    EXPECT_EQ(canvas.Rgb(6, 1), 0x00FF00u);
    EXPECT_EQ(canvas.Depth(6, 1), 16384u);
    canvas.Draw(Quad(0, 0, 8, 8, 0xFFFFFF, 0.5f));  // equal depth passes on the left
    EXPECT_EQ(canvas.Rgb(1, 1), 0xFFFFFFu);
    EXPECT_EQ(canvas.Rgb(6, 1), 0x00FF00u);
}

TEST(Depth, WriteDisabledTestsButLeavesTheBuffer) {
    Canvas canvas(8, 8);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, 0);
    canvas.Draw(Quad(0, 0, 8, 8, 0xFF0000, 0.25f));
    EXPECT_EQ(canvas.Rgb(2, 2), 0xFF0000u);
    EXPECT_EQ(canvas.Depth(2, 2), 65535u);
    canvas.Draw(Quad(0, 0, 8, 8, 0x00FF00, 0.75f));  // still passes against the cleared 1.0
    EXPECT_EQ(canvas.Rgb(2, 2), 0x00FF00u);
}

TEST(Depth, DisabledNeitherTestsNorWrites) {
    Canvas canvas(8, 8);
    canvas.Clear(0, 0.0f);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_ZENABLE, 0);
    canvas.Draw(Quad(0, 0, 8, 8, 0x123456, 0.9f));
    EXPECT_EQ(canvas.Rgb(5, 5), 0x123456u);
    EXPECT_EQ(canvas.Depth(5, 5), 0u);
}

TEST(Depth, InterpolatesAcrossATriangleAnd32BitBuffers) {
    Canvas canvas(16, 4, ColourFormat::X8R8G8B8, DepthFormat::Z32);
    // Depth runs from 0 at x = 0 to 1 at x = 16.
    TlVertex a{0, 0, 0.0f, 1, 0xFFFFFF, 0, 0, 0}, b{16, 0, 1.0f, 1, 0xFFFFFF, 0, 0, 0};
    TlVertex c{16, 4, 1.0f, 1, 0xFFFFFF, 0, 0, 0}, d{0, 4, 0.0f, 1, 0xFFFFFF, 0, 0, 0};
    canvas.Draw(std::vector<TlVertex>{a, b, c, a, c, d});
    EXPECT_EQ(canvas.Depth(0, 1), 0u);
    EXPECT_EQ(canvas.Depth(8, 1), 2147483648u);  // 0.5 of 2^32 - 1, rounded
    EXPECT_EQ(canvas.Depth(4, 2), 1073741824u);
}

TEST(Blend, EachDestinationFactorOnA32BitTarget) {
    struct Case {
        DWORD factor;
        uint32_t expected;
    } cases[] = {
        // dst (200, 100, 50), src (100, 200, 60)
        {D3DBLEND_ZERO, 0x64C83C},         // src alone
        {D3DBLEND_ONE, 0xFFFF6E},          // 300 and 300 saturate, 50 + 60
        {D3DBLEND_SRCCOLOR, 0xB2FF48},     // 100 + 78, 200 + 78 saturates, 60 + 12
        {D3DBLEND_INVSRCCOLOR, 0xDEDE62},  // 100 + 122, 200 + 22, 60 + 38
    };
    for (const Case& c : cases) {
        Canvas canvas(4, 4);
        canvas.Clear(0xC86432, 1.0f);
        canvas.renderer.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
        canvas.renderer.SetRenderState(D3DRENDERSTATE_DESTBLEND, c.factor);
        canvas.Draw(Quad(0, 0, 4, 4, 0xFF64C83C));
        EXPECT_EQ(canvas.Rgb(1, 1), c.expected) << c.factor;
    }
}

TEST(Blend, DisabledBlendingReplacesWhateverTheFactor) {
    Canvas canvas(4, 4);
    canvas.Clear(0xC86432, 1.0f);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    canvas.Draw(Quad(0, 0, 4, 4, 0x64C83C));
    EXPECT_EQ(canvas.Rgb(2, 2), 0x64C83Cu);
}

TEST(Blend, AdditiveOn16BitTargetsReadsBackThePackedColour) {
    Canvas canvas(4, 4, ColourFormat::R5G6B5);
    canvas.Clear(0x808080, 1.0f);  // 5-6-5: (16, 32, 16) reads back as (132, 130, 132)
    canvas.renderer.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    canvas.renderer.SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    canvas.Draw(Quad(0, 0, 4, 4, 0x101010));
    // (132 + 16, 130 + 16, 132 + 16) = (148, 146, 148) packs to (18, 36, 18).
    EXPECT_EQ(canvas.Raw(1, 1), (18u << 11) | (36u << 5) | 18u);
}

TEST(Clear, FillsTheViewportOrTheGivenRectangles) {
    Canvas canvas(8, 8);
    D3DRECT rects[2] = {{1, 1, 3, 3}, {6, 6, 20, 20}};  // the second is cut by the target
    EXPECT_EQ(canvas.renderer.Clear(canvas.Surfaces(), 2, rects, D3DCLEAR_TARGET, 0xFFABCDEF, 0.0f), D3D_OK);
    EXPECT_EQ(canvas.Count(0xABCDEF), 4 + 4);
    EXPECT_EQ(canvas.Rgb(2, 2), 0xABCDEFu);
    EXPECT_EQ(canvas.Rgb(7, 7), 0xABCDEFu);
    EXPECT_EQ(canvas.Depth(2, 2), 65535u);  // only the target was cleared
    EXPECT_EQ(canvas.renderer.Clear(canvas.Surfaces(), 0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.25f), D3D_OK);
    EXPECT_EQ(canvas.Depth(0, 0), 16384u);
    EXPECT_EQ(canvas.Rgb(2, 2), 0xABCDEFu);
}

TEST(Packing, SixteenBitLayoutsTruncateLikeTheImageLoader) {
    Canvas wide(4, 4, ColourFormat::R5G6B5);
    wide.Draw(Quad(0, 0, 4, 4, 0xC86432));  // (200, 100, 50)
    EXPECT_EQ(wide.Raw(0, 0), 0xCB26u);
    wide.Clear(0xFF8040, 1.0f);
    EXPECT_EQ(wide.Raw(0, 0), 0xFC08u);

    Canvas narrow(4, 4, ColourFormat::X1R5G5B5);
    narrow.Draw(Quad(0, 0, 4, 4, 0xFF8040));
    EXPECT_EQ(narrow.Raw(3, 3), 0x7E08u);
}

TEST(Packing, OrderedDitherSpreadsTheRemainder) {
    Canvas canvas(8, 8, ColourFormat::R5G6B5);
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
