// Texture sampling: point and bilinear filters, address modes, perspective, texel layouts.
#include <gtest/gtest.h>

#include <limits>

#include "canvas.h"

using namespace softdevtest;

namespace {

constexpr uint32_t A = 0xFF0000, B = 0x00FF00, C = 0x0000FF, D = 0xFFFFFF;

struct Texture {
    Image image;
    Texture(int w, int h, ColourFormat format, const std::vector<uint32_t>& texels)
        : image(w, h, RgbFormat(format), format == ColourFormat::X8R8G8B8 ? 4 : 2) {
        FillTexture(image, format, texels);
    }
};

void SetFilter(Canvas& canvas, DWORD filter) {
    canvas.renderer.SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
    canvas.renderer.SetTextureStageState(0, D3DTSS_MINFILTER, filter);
}

}  // namespace

TEST(Sampling, PointFilterPicksTheTexelUnderThePixelCentre) {
    Texture texture(2, 2, ColourFormat::X8R8G8B8, {A, B, C, D});
    Canvas canvas(4, 4);
    canvas.Draw(Quad(0, 0, 4, 4, 0xFFFFFFFF), &texture.image);
    const uint32_t expected[4][4] = {{A, A, B, B}, {A, A, B, B}, {C, C, D, D}, {C, C, D, D}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(canvas.Rgb(x, y), expected[y][x]) << x << "," << y;
}

TEST(Sampling, BilinearBlendsBetweenTexelCentres) {
    Texture texture(2, 2, ColourFormat::X8R8G8B8, {A, B, C, D});
    Canvas canvas(4, 4);
    SetFilter(canvas, D3DTFG_LINEAR);
    canvas.Draw(Quad(0, 0, 4, 4, 0xFFFFFFFF), &texture.image);
    EXPECT_EQ(canvas.Rgb(1, 1), A);         // exactly on texel (0, 0)'s centre
    EXPECT_EQ(canvas.Rgb(3, 3), D);
    EXPECT_EQ(canvas.Rgb(3, 1), B);
    EXPECT_EQ(canvas.Rgb(2, 1), 0x808000u);  // half-way between A and B
    EXPECT_EQ(canvas.Rgb(2, 2), 0x808080u);  // the four texels equally
    EXPECT_EQ(canvas.Rgb(0, 1), 0x808000u);  // wraps to the far column
}

TEST(Sampling, AddressModesBeyondTheTexture) {
    Texture texture(2, 2, ColourFormat::X8R8G8B8, {A, B, C, D});
    struct Case {
        DWORD mode;
        uint32_t row[8];
    } cases[] = {
        {D3DTADDRESS_WRAP, {A, A, B, B, A, A, B, B}},
        {D3DTADDRESS_MIRROR, {A, A, B, B, B, B, B, A}},
        {D3DTADDRESS_CLAMP, {A, A, B, B, B, B, B, B}},
    };
    for (const Case& c : cases) {
        Canvas canvas(8, 1);
        canvas.renderer.SetTextureStageState(0, D3DTSS_ADDRESS, c.mode);
        // u runs from 0 to 2 over 8 pixels, v stays 0.
        canvas.Draw(Quad(0, 0, 8, 1, 0xFFFFFF, 0.5f, 0, 0, 2, 0), &texture.image);
        for (int x = 0; x < 8; ++x) EXPECT_EQ(canvas.Rgb(x, 0), c.row[x]) << c.mode << " at " << x;
    }
    // Clamped bilinear sampling at the left edge does not reach round to the far column.
    Canvas canvas(4, 4);
    SetFilter(canvas, D3DTFG_LINEAR);
    canvas.renderer.SetTextureStageState(0, D3DTSS_ADDRESS, D3DTADDRESS_CLAMP);
    canvas.Draw(Quad(0, 0, 4, 4, 0xFFFFFF), &texture.image);
    EXPECT_EQ(canvas.Rgb(0, 1), A);
}

TEST(Sampling, SeparateAddressModesPerAxis) {
    Texture texture(2, 2, ColourFormat::X8R8G8B8, {A, B, C, D});
    Canvas canvas(8, 8);
    canvas.renderer.SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    canvas.renderer.SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    canvas.Draw(Quad(0, 0, 8, 8, 0xFFFFFF, 0.5f, 0, 0, 2, 2), &texture.image);
    EXPECT_EQ(canvas.Rgb(7, 1), B);  // u clamped to the right column
    EXPECT_EQ(canvas.Rgb(1, 5), A);  // v wrapped back to the top row
}

TEST(Sampling, PerspectiveCorrectAndAffineCoordinates) {
    // Texel i of a 16 x 1 texture has red 16 i. The quad's right edge is four times as far
    // (rhw 0.25) as its left edge; u runs 0..1.
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 16; ++i) texels.push_back((16 * i) << 16);
    Texture texture(16, 1, ColourFormat::X8R8G8B8, texels);
    TlVertex a{0, 0, 0.5f, 1.0f, 0xFFFFFF, 0, 0, 0}, b{10, 0, 0.5f, 0.25f, 0xFFFFFF, 0, 1, 0};
    TlVertex c{10, 1, 0.5f, 0.25f, 0xFFFFFF, 0, 1, 0}, d{0, 1, 0.5f, 1.0f, 0xFFFFFF, 0, 0, 0};
    std::vector<TlVertex> quad = {a, b, c, a, c, d};

    Canvas canvas(10, 1);
    canvas.Draw(quad, &texture.image);
    // u(x) = 0.25 f / (1 - 0.75 f) with f = x / 10.
    const int columns[] = {3, 4, 6, 7, 9};
    const uint32_t perspective[] = {1, 2, 4, 5, 11};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(canvas.Rgb(columns[i], 0) >> 16, 16 * perspective[i]) << columns[i];

    canvas.renderer.SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 0);
    canvas.Draw(quad, &texture.image);
    const uint32_t affine[] = {4, 6, 9, 11, 14};  // u = f
    for (int i = 0; i < 5; ++i) EXPECT_EQ(canvas.Rgb(columns[i], 0) >> 16, 16 * affine[i]) << columns[i];
}

TEST(Sampling, SixteenBitTexelsExpandToEightBits) {
    struct Case {
        ColourFormat format;
        uint32_t expected;
    } cases[] = {{ColourFormat::R5G6B5, 0xFF8242}, {ColourFormat::X1R5G5B5, 0xFF8442}, {ColourFormat::X8R8G8B8, 0xFF8040}};
    for (const Case& c : cases) {
        Texture texture(1, 1, c.format, {0xFF8040});
        Canvas canvas(2, 2);
        canvas.Draw(Quad(0, 0, 2, 2, 0xFFFFFF), &texture.image);
        EXPECT_EQ(canvas.Rgb(1, 1), c.expected);
    }
}

TEST(Sampling, TextureIsModulatedByTheDiffuseColour) {
    Texture texture(1, 1, ColourFormat::X8R8G8B8, {0xC86432});  // (200, 100, 50)
    Canvas canvas(2, 2);
    canvas.Draw(Quad(0, 0, 2, 2, 0x808080), &texture.image);
    EXPECT_EQ(canvas.Rgb(0, 0), 0x643219u);  // (100, 50, 25), each x 128 / 255 rounded
    canvas.Draw(Quad(0, 0, 2, 2, 0x808080));  // no texture: the diffuse colour alone
    EXPECT_EQ(canvas.Rgb(0, 0), 0x808080u);
}

TEST(Sampling, WildTextureCoordinatesStaySafe) {
    Texture texture(2, 2, ColourFormat::R5G6B5, {A, B, C, D});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float values[] = {nan, 1e30f, -1e30f, std::numeric_limits<float>::infinity()};
    for (float u : values) {
        for (DWORD mode : {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP})
            for (DWORD filter : {D3DTFG_POINT, D3DTFG_LINEAR}) {
                Canvas canvas(4, 4);
                SetFilter(canvas, filter);
                canvas.renderer.SetTextureStageState(0, D3DTSS_ADDRESS, mode);
                EXPECT_EQ(canvas.Draw(Quad(0, 0, 4, 4, 0xFFFFFF, 0.5f, u, u, 1, 1), &texture.image), D3D_OK);
            }
    }
}

TEST(Sampling, PixelsDoNotDependOnWhereASpanStarts) {
    // The same textured, shaded, perspective triangles drawn whole and in two scissored halves
    // (as tiles would draw them) give identical pixels and depths.
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 64; ++i) texels.push_back(i * 0x030507);
    Texture texture(8, 8, ColourFormat::R5G6B5, texels);
    TlVertex a{3.3f, 2.1f, 0.2f, 1.0f, 0xFF2040, 0, 0, 0}, b{97.6f, 9.4f, 0.7f, 0.3f, 0x20FF40, 0, 3, 0};
    TlVertex c{51.2f, 60.8f, 0.4f, 0.6f, 0x4020FF, 0, 1.5f, 2.5f};
    std::vector<TlVertex> triangle = {a, b, c};
    Canvas whole(100, 64, ColourFormat::R5G6B5), halves(100, 64, ColourFormat::R5G6B5);
    for (Canvas* canvas : {&whole, &halves}) {
        SetFilter(*canvas, D3DTFG_LINEAR);
        canvas->renderer.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
    }
    whole.Draw(triangle, &texture.image);
    D3DVIEWPORT7 left{0, 0, 37, 64, 0.0f, 1.0f}, right{37, 0, 63, 64, 0.0f, 1.0f};
    halves.renderer.SetViewport(left, 100, 64);
    halves.Draw(triangle, &texture.image);
    halves.renderer.SetViewport(right, 100, 64);
    halves.Draw(triangle, &texture.image);
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
    // address mode and layout, drawn on the path under test and on the scalar one.
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 40 * 24; ++i) texels.push_back(i * 0x0B0705 + (i >> 3) * 0x010203);
    for (ColourFormat layout : {ColourFormat::R5G6B5, ColourFormat::X1R5G5B5, ColourFormat::X8R8G8B8}) {
        Texture texture(40, 24, layout, texels);
        for (DWORD mode : {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP})
            for (DWORD perspective : {1, 0}) {
                Canvas path(160, 120, ColourFormat::R5G6B5);
                Canvas scalar(160, 120, ColourFormat::R5G6B5, DepthFormat::Z16, software::InstructionSet::Scalar);
                for (Canvas* canvas : {&path, &scalar}) {
                    SetFilter(*canvas, D3DTFG_LINEAR);
                    canvas->renderer.SetTextureStageState(0, D3DTSS_ADDRESS, mode);
                    canvas->renderer.SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, perspective);
                    canvas->renderer.SetRenderState(D3DRENDERSTATE_DITHERENABLE, 1);
                    // Magnified, minified and nearly one texel a pixel.
                    canvas->Draw(Quad(3.3f, 2.6f, 150.2f, 60.4f, 0xFFFFFF, 0.5f, -1.3f, 0.2f, 2.7f, 1.9f),
                                 &texture.image);
                    canvas->Draw(Quad(10.0f, 62.0f, 47.5f, 118.0f, 0xC08040, 0.5f, 0.6f, -0.4f, 4.6f, 3.1f),
                                 &texture.image);
                    canvas->Draw(Quad(50.0f, 62.0f, 90.0f, 118.0f, 0xFFFFFF, 0.5f, 0.0f, 0.0f, 1.0f, 2.5f),
                                 &texture.image);
                }
                for (int y = 0; y < 120; ++y)
                    for (int x = 0; x < 160; ++x)
                        ASSERT_EQ(path.Raw(x, y), scalar.Raw(x, y))
                            << x << "," << y << " layout " << int(layout) << " mode " << mode << " perspective "
                            << perspective;
            }
    }
}
