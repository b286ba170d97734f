// Texture sampling: texel layouts, wild co-ordinates, and the same texels on every drawing path.
#include <gtest/gtest.h>

#include <limits>

#include "pipelinecanvas.h"

using namespace softdevtest;

namespace {

constexpr uint32_t A = 0xFF0000, B = 0x00FF00, C = 0x0000FF, D = 0xFFFFFF;

}  // namespace

TEST(Sampling, SixteenBitTexelsExpandToEightBits) {
    struct Case {
        int bits;
        uint32_t expected;
    } cases[] = {{16, 0xFF8242}, {15, 0xFF8442}, {32, 0xFF8040}};
    for (const Case& c : cases) {
        Image texture(1, 1, c.bits, {0xFF8040});
        PipelineCanvas canvas(2, 2);
        canvas.Draw(Quad(0, 0, 2, 2, 0xFFFFFF), &texture);
        EXPECT_EQ(canvas.Rgb(1, 1), c.expected);
    }
}

TEST(Sampling, WildTextureCoordinatesStaySafe) {
    Image texture(2, 2, 16, {A, B, C, D});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float values[] = {nan, 1e30f, -1e30f, std::numeric_limits<float>::infinity()};
    for (float u : values) {
        for (DWORD mode : {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP})
            for (DWORD filter : {D3DTFG_POINT, D3DTFG_LINEAR}) {
                PipelineCanvas canvas(4, 4);
                SetFilter(canvas, filter);
                canvas.renderer.SetTextureStageState(0, D3DTSS_ADDRESS, mode);
                EXPECT_EQ(canvas.Draw(Quad(0, 0, 4, 4, 0xFFFFFF, 0.5f, u, u, 1, 1), &texture), D3D_OK);
            }
    }
}

TEST(Sampling, PixelsDoNotDependOnWhereASpanStarts) {
    // The same textured, shaded, perspective triangles drawn whole and in two scissored halves
    // (as tiles would draw them) give identical pixels and depths.
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 64; ++i) texels.push_back(i * 0x030507);
    Image texture(8, 8, 16, texels);
    ScreenVertex a{3.3f, 2.1f, 0.2f, 1.0f, 0xFF2040, 0, 0, 0}, b{97.6f, 9.4f, 0.7f, 0.3f, 0x20FF40, 0, 3, 0};
    ScreenVertex c{51.2f, 60.8f, 0.4f, 0.6f, 0x4020FF, 0, 1.5f, 2.5f};
    std::vector<ScreenVertex> triangle = {a, b, c};
    PipelineCanvas whole(100, 64, 16), halves(100, 64, 16);
    for (PipelineCanvas* canvas : {&whole, &halves}) {
        SetFilter(*canvas, D3DTFG_LINEAR);
        canvas->renderer.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
    }
    whole.Draw(triangle, &texture);
    D3DVIEWPORT7 left{0, 0, 37, 64, 0.0f, 1.0f}, right{37, 0, 63, 64, 0.0f, 1.0f};
    halves.renderer.SetViewport(left, 100, 64);
    halves.Draw(triangle, &texture);
    halves.renderer.SetViewport(right, 100, 64);
    halves.Draw(triangle, &texture);
    int drawn = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 100; ++x) {
            ASSERT_EQ(whole.Raw(x, y), halves.Raw(x, y)) << x << "," << y;
            ASSERT_EQ(whole.Depth(x, y), halves.Depth(x, y)) << x << "," << y;
            drawn += whole.Depth(x, y) != 65535;
        }
    EXPECT_GT(drawn, 2000);
}

TEST(Sampling, BillboardsDrawAsOnePixelAtATime) {
    // Screen-aligned quads (a flare's shape) whose rows cross the texture's edges in every
    // address mode and layout, drawn on the path under test and on the scalar one. Once with
    // texels of every colour, once with a glow: black around a lit disc, where the vector paths
    // leave out steps that can only sample black, and with a lit texel on the first and last
    // column of two rows, where wrapping pairs join them.
    std::vector<uint32_t> noise, glow;
    for (uint32_t i = 0; i < 40 * 24; ++i) {
        const uint32_t texel = i * 0x0B0705 + (i >> 3) * 0x010203;
        const int x = int(i % 40) - 20, y = int(i / 40) - 12;
        noise.push_back(texel);
        glow.push_back(x * x * 49 + y * y * 144 < 144 * 49 || i == 3 * 40 || i == 20 * 40 + 39 ? texel | 0x010101 : 0);
    }
    for (const std::vector<uint32_t>* texels : {&noise, &glow})
    for (int layout : {16, 15, 32}) {
        Image texture(40, 24, layout, *texels);
        for (DWORD mode : {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP})
            for (DWORD perspective : {1, 0}) {
                PipelineCanvas path(160, 120, 16);
                PipelineCanvas scalar(160, 120, 16, 16, software::InstructionSet::Scalar);
                for (PipelineCanvas* canvas : {&path, &scalar}) {
                    SetFilter(*canvas, D3DTFG_LINEAR);
                    canvas->renderer.SetTextureStageState(0, D3DTSS_ADDRESS, mode);
                    canvas->renderer.SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, perspective);
                    canvas->renderer.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
                    // The texture once across the target, from left to right and from right to left;
                    // magnified, minified and nearly one texel a pixel.
                    canvas->Draw(Quad(1.5f, 0.5f, 158.7f, 119.2f, 0xFFFFFF, 0.5f, 0.004f, 0.01f, 0.996f, 0.99f),
                                 &texture);
                    canvas->Draw(Quad(20.2f, 30.5f, 139.7f, 99.5f, 0xE0F0FF, 0.5f, 0.97f, 0.02f, 0.04f, 0.96f),
                                 &texture);
                    canvas->Draw(Quad(3.3f, 2.6f, 150.2f, 60.4f, 0xFFFFFF, 0.5f, -1.3f, 0.2f, 2.7f, 1.9f),
                                 &texture);
                    canvas->Draw(Quad(10.0f, 62.0f, 47.5f, 118.0f, 0xC08040, 0.5f, 0.6f, -0.4f, 4.6f, 3.1f),
                                 &texture);
                    canvas->Draw(Quad(50.0f, 62.0f, 90.0f, 118.0f, 0xFFFFFF, 0.5f, 0.0f, 0.0f, 1.0f, 2.5f),
                                 &texture);
                }
                for (int y = 0; y < 120; ++y)
                    for (int x = 0; x < 160; ++x)
                        ASSERT_EQ(path.Raw(x, y), scalar.Raw(x, y))
                            << x << "," << y << " layout " << int(layout) << " mode " << mode << " perspective "
                            << perspective << (texels == &glow ? " glow" : "");
            }
    }
}

TEST(Sampling, SmallTrianglesDrawAsOnePixelAtATime) {
    // Triangles a few pixels across, whose short rows the vector paths gather across rows, and
    // some wider ones: textured (16- and 32-bit texels, wrapping across the texture's edges) or
    // not, shaded and depth-tested over each other in every blend (added ones without writing
    // depth), target layout and depth format, on the path under test and on the scalar one. Some
    // depths lie outside 0..1 and some triangles are steep in depth,
    // where 32-bit depth leaves its lanes.
    std::vector<uint32_t> texels;
    // Black in its lower half, as glows are around their centre: black source added to the
    // target leaves it as it was.
    for (uint32_t i = 0; i < 16 * 16; ++i) texels.push_back(i < 128 ? i * 0x0B0705 + (i >> 2) * 0x010203 : 0);
    const Image texture16(16, 16, 16, texels), texture32(16, 16, 32, texels);
    uint32_t seed = 12345;
    auto next = [&](float range) {
        seed = seed * 1664525u + 1013904223u;
        return float(seed >> 8) / float(1 << 24) * range;
    };
    std::vector<ScreenVertex> mesh;
    for (int i = 0; i < 900; ++i) {
        const float x = next(94.0f), y = next(58.0f), size = 1.0f + next(i % 10 ? 11.0f : 40.0f);
        for (int corner = 0; corner < 3; ++corner)
            mesh.push_back({x + next(size), y + next(size), next(1.2f) - 0.1f, 0.3f + next(1.0f),
                            0xFF000000 | DWORD(next(16777215.0f)), 0, next(3.0f) - 1.0f, next(3.0f) - 1.0f});
    }
    const Image* const textures[] = {&texture16, &texture32, nullptr};
    for (const Image* textured : textures)
    for (int depthBits : {16, 32})
    for (int bits : {16, 15, 32})
        for (DWORD blend : {DWORD(0), DWORD(D3DBLEND_ONE), DWORD(D3DBLEND_SRCCOLOR), DWORD(D3DBLEND_INVSRCCOLOR)}) {
            PipelineCanvas path(100, 64, bits, depthBits);
            PipelineCanvas scalar(100, 64, bits, depthBits, software::InstructionSet::Scalar);
            PipelineCanvas cleared(100, 64, bits, depthBits);
            cleared.Clear(0x304050, 1.0f);
            for (PipelineCanvas* canvas : {&path, &scalar}) {
                SetFilter(*canvas, D3DTFG_LINEAR);
                canvas->renderer.SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
                canvas->renderer.SetRenderState(D3DRENDERSTATE_DITHERENABLE, bits != 15);
                canvas->renderer.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, blend != 0);
                canvas->renderer.SetRenderState(D3DRENDERSTATE_DESTBLEND, blend);
                // Added light writes no depth, as glows do.
                canvas->renderer.SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, blend != D3DBLEND_ONE);
                canvas->Clear(0x304050, 1.0f);
                canvas->Draw(mesh, textured);
            }
            int drawn = 0;
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 100; ++x) {
                    ASSERT_EQ(path.Raw(x, y), scalar.Raw(x, y))
                        << x << "," << y << " bits " << bits << " blend " << blend << " depth " << depthBits
                        << (textured ? textured == &texture16 ? " 16-bit texels" : " 32-bit texels" : " untextured");
                    ASSERT_EQ(path.Depth(x, y), scalar.Depth(x, y)) << x << "," << y;
                    drawn += path.Depth(x, y) != cleared.Depth(x, y) || path.Raw(x, y) != cleared.Raw(x, y);
                }
            EXPECT_GT(drawn, 2000);
        }
}

TEST(Sampling, BillboardsSeeTheirTexturesPixelsAsTheyAreNow) {
    // The vector paths know where a texture is black from its pixels: after the core changes
    // them (and renews the stamp) or the device draws into the texture, a billboard samples the
    // new pixels.
    Image texture(16, 16, 16, std::vector<uint32_t>(16 * 16, 0));
    PipelineCanvas canvas(64, 32, 16);
    SetFilter(canvas, D3DTFG_LINEAR);
    auto centre = [&] {
        canvas.Clear(0, 1.0f);
        canvas.Draw(Quad(0, 0, 64, 32, 0xFFFFFF, 0.5f, 0.0f, 0.0f, 1.0f, 1.0f), &texture);
        return canvas.Rgb(32, 16);
    };
    auto change = [&](uint32_t texel) {
        PackTexels(16, 16, 16, std::vector<uint32_t>(16 * 16, texel), texture.bytes.data(), texture.memory.pitch);
        texture.memory.changes += 7;
    };
    EXPECT_EQ(centre(), 0u);
    change(0x808080);
    EXPECT_EQ(centre(), 0x848284u);
    change(0);
    EXPECT_EQ(centre(), 0u);
    const std::vector<ScreenVertex> white = Quad(0, 0, 16, 16, 0xFFFFFF);
    const D3DVIEWPORT7 whole{0, 0, 16, 16, 0.0f, 1.0f}, target{0, 0, 64, 32, 0.0f, 1.0f};
    canvas.renderer.SetViewport(whole, 16, 16);
    ASSERT_EQ(canvas.renderer.DrawPrimitive(software::Surfaces{&texture.memory, nullptr, nullptr}, D3DPT_TRIANGLELIST,
                                            kScreenFormat, white.data(), DWORD(white.size())),
              D3D_OK);
    canvas.renderer.SetViewport(target, 64, 32);
    EXPECT_EQ(centre(), 0xFFFFFFu);
}
