// Coverage: which pixels a triangle owns, shared edges, winding and culling.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>

#include "pipelinecanvas.h"
#include "ddraw/software/setup.h"

using namespace softdevtest;

TEST(Coverage, SliversAndDegenerateTrianglesDrawNothingTwice) {
    PipelineCanvas canvas(16, 16);
    AddOneUnit(canvas);
    // Zero area (collinear) and a sliver thinner than a pixel between two halves of a quad.
    std::vector<ScreenVertex> v = {At(1, 1), At(5, 5), At(9, 9),
                               At(2, 2), At(12, 2), At(12, 2.05f),
                               At(2, 2), At(12, 2.05f), At(12, 12),
                               At(2, 2), At(12, 12), At(2, 12)};
    canvas.Draw(v);
    EXPECT_EQ(canvas.Count(0x010000), 10 * 10);
    EXPECT_EQ(canvas.Count(0x020000), 0);
}

TEST(Coverage, CornersBeyondTheFixedPointRangeDrawNothing) {
    // Clipping near w = 0 can leave corners this far out; in 32-bit subpixels their edges would
    // wrap, so such a triangle is dropped instead of drawn with wrapped edges.
    software::TriangleSetup setup{};
    setup.scissor = {0, 0, 8, 8};
    setup.cull = software::Cull::None;
    software::SpanContext context{};
    software::TriangleCorners corners{};
    auto corner = [](float x, float y) { return software::ScreenVertex{x, y, 0.5f, 1, 1, 1, 1, 0, 0, 0, 0}; };
    EXPECT_TRUE(software::SetUpTriangle(setup, context, corner(1, 1), corner(6, 1), corner(1, 6), &corners));
    for (float far : {-1.0e11f, 1.0e11f, 6.8e7f})
        EXPECT_FALSE(software::SetUpTriangle(setup, context, corner(far, 2), corner(6, 1), corner(6, 6), &corners)) << far;
}

namespace {

// The spans a walk hands on, recorded by a depth stage that lets no pixel through.
std::set<std::array<int, 2>>* walked;
int RecordSpan(const software::SpanContext&, int y, int x, int n, uint8_t*) {
    for (int i = 0; i < n; ++i) EXPECT_TRUE(walked->insert({y, x + i}).second) << "pixel " << x + i << "," << y << " twice";
    return 0;
}

}  // namespace

TEST(Coverage, WalkedRowsHoldExactlyThePixelCentresInsideEveryEdge) {
    // Corners on the subpixel grid, often on pixel centres and sharing a row with another corner
    // (level edges, corners a row passes through), some beyond the scissor; rows walked whole and
    // dealt out to two and three drawing threads, across several bands. Each pixel centre is
    // tested against the three edge functions with the top-left rule.
    const software::Scissor scissor{0, 0, 24, 5 * software::BandRows};
    software::SpanContext context{};
    context.stages.depth = context.shortStages.depth = RecordSpan;
    const software::RowShare shares[][3] = {{{0, 1}}, {{0, 2}, {1, 2}}, {{0, 3}, {1, 3}, {2, 3}}};
    const int shareCounts[] = {1, 2, 3};
    uint32_t seed = 2024;
    auto random = [&seed](int range) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % uint32_t(range));
    };
    for (int trial = 0; trial < 4000; ++trial) {
        software::TriangleCorners corners{};
        int32_t* x = corners.x;
        int32_t* y = corners.y;
        const int extent = trial % 2 ? 28 : 6;  // pixels: large triangles and small ones
        for (int i = 0; i < 3; ++i) {
            x[i] = random(extent * 16) - 32 + (trial % 5) * 16;
            y[i] = random(extent * 16) - 32 + (trial % 7) * software::BandRows * 11;
            if (random(3) == 0) x[i] &= ~15, y[i] &= ~15;  // on a pixel centre
            if (i > 0 && random(4) == 0) y[i] = y[i - 1];
        }
        int64_t area = int64_t(x[1] - x[0]) * (y[2] - y[0]) - int64_t(x[2] - x[0]) * (y[1] - y[0]);
        if (area == 0) continue;
        if (area < 0) std::swap(x[1], x[2]), std::swap(y[1], y[2]);
        corners.box = software::CoveredBox(x, y, scissor);
        std::set<std::array<int, 2>> expected;
        for (int py = scissor.top; py < scissor.bottom; ++py)
            for (int px = scissor.left; px < scissor.right; ++px) {
                bool inside = true;
                for (int i = 0; i < 3; ++i) {
                    const int64_t dx = x[(i + 1) % 3] - x[i], dy = y[(i + 1) % 3] - y[i];
                    const int64_t bias = dy < 0 || (dy == 0 && dx > 0) ? 0 : -1;
                    inside = inside && dx * (py * 16 - y[i]) - dy * (px * 16 - x[i]) + bias >= 0;
                }
                if (inside) expected.insert({py, px});
            }
        for (int s = 0; s < 3; ++s) {
            std::set<std::array<int, 2>> pixels;
            for (int k = 0; k < shareCounts[s]; ++k) {
                std::set<std::array<int, 2>> own;
                walked = &own;
                software::RasteriseTriangle(context, corners, shares[s][k]);
                bool ownsRow = false;
                for (int py = corners.box.top; py < corners.box.bottom; ++py)
                    ownsRow = ownsRow || py / software::BandRows % shareCounts[s] == k;
                ASSERT_EQ(shares[s][k].Crosses(corners.box.top, corners.box.bottom), ownsRow)
                    << "rows " << corners.box.top << " to " << corners.box.bottom << ", share " << k;
                for (const auto& pixel : own) {
                    ASSERT_EQ(pixel[0] / software::BandRows % shareCounts[s], k) << "row " << pixel[0] << " of another thread";
                    pixels.insert(pixel);
                }
            }
            ASSERT_EQ(pixels, expected) << "trial " << trial << " corners " << x[0] << "," << y[0] << " " << x[1] << ","
                                        << y[1] << " " << x[2] << "," << y[2] << " threads " << shareCounts[s];
        }
    }
    walked = nullptr;
}

TEST(Threads, ManyDrawsComeOutAsOnOneThread) {
    // More draws than the drawing threads' ring holds commands, each with a texture of its own
    // (a new draw state), overlapping with no depth test so that the last one drawn shows: any
    // pixel drawn out of order or with another draw's state differs from one thread's picture.
    const Image first(4, 4, 32, std::vector<uint32_t>(16, 0x3060C0)), second(4, 4, 32, std::vector<uint32_t>(16, 0xC06030));
    PipelineCanvas one(96, 96, 32, 16, software::ChosenInstructionSet(), 1);
    PipelineCanvas three(96, 96, 32, 16, software::ChosenInstructionSet(), 3);
    for (PipelineCanvas* canvas : {&one, &three}) {
        canvas->SetState(D3DRENDERSTATE_ZENABLE, 0);
        uint32_t seed = 7;
        for (int draw = 0; draw < 20000; ++draw) {
            seed = seed * 1664525u + 1013904223u;
            const float x = float(seed >> 8 & 63), y = float(seed >> 16 & 63), size = float(2 + (seed >> 24 & 31));
            auto corner = [&](float cx, float cy) { return ScreenVertex{cx, cy, 0.5f, 1.0f, 0xFFFFFF, 0, 0.5f, 0.5f}; };
            canvas->Draw({corner(x, y), corner(x + size, y), corner(x, y + size)}, draw % 2 ? &first : &second);
        }
    }
    EXPECT_EQ(one.Picture(), three.Picture());
}

TEST(Culling, DefaultDiscardsCounterClockwise) {
    PipelineCanvas canvas(8, 8);
    std::vector<ScreenVertex> clockwise = {At(0, 0), At(8, 0), At(0, 8)};
    std::vector<ScreenVertex> counter = {At(8, 8), At(8, 0), At(0, 8)};
    for (auto& p : counter) p.diffuse = 0x0000FF;
    canvas.Draw(clockwise);
    canvas.Draw(counter);
    EXPECT_EQ(canvas.Rgb(1, 1), 0x010000u);
    EXPECT_EQ(canvas.Rgb(7, 7), 0u);
}

