// Pixel processing: a triangle's spans go through three stages, each specialised once per draw
// for the state in force (depth test, shading, blending into the target), so no pixel loop
// branches on render state or calls through a pointer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ddraw/software/formats.h"

namespace software {

struct SpanContext;

// Tests and writes depth for n pixels from (x, y); sets mask[i] for the pixels that pass and
// returns how many passed.
typedef int (*DepthStage)(const SpanContext& context, int y, int x, int n, uint8_t* mask);
// Computes the source colour (0x00RRGGBB) of n pixels from (x, y).
typedef void (*ShadeStage)(const SpanContext& context, int y, int x, int n, uint32_t* colour);
// Blends the source colours into the target where mask[i] is set.
typedef void (*OutputStage)(const SpanContext& context, int y, int x, int n, const uint32_t* colour,
                            const uint8_t* mask);

// An attribute in fixed point, exact at every pixel whatever order pixels are visited in:
// value = c + dx * column + dy * row, relative to the context's reference pixel.
struct FixedPlane {
    int64_t c, dx, dy;
    int64_t At(int column, int row) const { return c + dx * column + dy * row; }
};

// An attribute in single precision, evaluated as (at + dy * row) + dx * column relative to a
// reference pixel, so each pixel's value depends only on its position.
struct FloatPlane {
    float at, dx, dy;
};

enum class Blend : uint8_t { Replace, Add, AddTimesSource, AddTimesInverseSource };
enum class Filter : uint8_t { Point, Linear };
enum class Address : uint8_t { Wrap, Mirror, Clamp };

// Fractional bits of the colour and depth planes.
constexpr int ColourFraction = 16;
constexpr int DepthFraction = 8;

struct SpanContext {
    uint8_t* colour;  // target pixel (0, 0)
    ptrdiff_t colourPitch;
    uint8_t* depth;  // depth of pixel (0, 0), or null
    ptrdiff_t depthPitch;

    const uint8_t* texels;  // texel (0, 0)
    ptrdiff_t texelPitch;
    int textureWidth, textureHeight;

    int referenceX, referenceY;    // pixel the planes are relative to
    FixedPlane z;                  // depth scaled to the depth buffer's range
    FixedPlane red, green, blue;   // 0..255
    FloatPlane s, t, q;            // u/w, v/w, 1/w; or u, v (q unused) without perspective

    DepthStage depthStage;
    ShadeStage shadeStage;
    OutputStage outputStage;
};

DepthStage SelectDepthStage(DepthFormat format, bool test, bool write);
// textureFormat Unsupported selects untextured shading (the diffuse colour alone).
ShadeStage SelectShadeStage(ColourFormat textureFormat, Filter filter, Address addressU, Address addressV,
                            bool perspective);
OutputStage SelectOutputStage(ColourFormat target, bool dither, Blend blend);

// Draws pixels x0..x1 (inclusive) of row y.
void DrawSpan(const SpanContext& context, int y, int x0, int x1);

}  // namespace software
