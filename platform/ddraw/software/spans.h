// Pixel processing: a triangle's spans go through three stages, each specialised once per draw
// for the state in force (depth test, shading, blending into the target), so no pixel loop
// branches on render state or calls through a pointer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ddraw/software/formats.h"

// Per-pixel helpers must be inlined into the span loops whatever the compiler's size heuristics say.
#define SOFTWARE_PIXEL_INLINE inline __attribute__((always_inline))

namespace software {

struct SpanContext;
struct PixelBatch;

// Tests and writes depth for n pixels from (x, y); sets mask[i] for the pixels that pass and
// returns how many passed.
typedef int (*DepthStage)(const SpanContext& context, int y, int x, int n, uint8_t* mask);
// The same for the pixels of a batch.
typedef int (*BatchDepthStage)(const SpanContext& context, const PixelBatch& batch, uint8_t* mask);
// Computes the source colour (0x00RRGGBB) of n pixels from (x, y).
typedef void (*ShadeStage)(const SpanContext& context, int y, int x, int n, uint32_t* colour);
// Computes the source colour of each pixel of a batch.
typedef void (*BatchShadeStage)(const SpanContext& context, const PixelBatch& batch, uint32_t* colour);
// Blends the source colours into the target where mask[i] is set.
typedef void (*OutputStage)(const SpanContext& context, int y, int x, int n, const uint32_t* colour,
                            const uint8_t* mask);
// The same for the pixels of a batch.
typedef void (*BatchOutputStage)(const SpanContext& context, const PixelBatch& batch, const uint32_t* colour,
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

// Pixels the stages take at once at most.
constexpr int Chunk = 128;
// Pixels a vector stage takes in one step at most; arrays a chunk passes between stages have
// this much room beyond Chunk.
constexpr int MaxStepPixels = 32;

// Ordered dither thresholds 0..15 of the 16-bit targets, by row and column, each modulo 4.
constexpr uint8_t DitherThresholds[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// Fractional bits of the colour and depth planes.
constexpr int ColourFraction = 16;
constexpr int DepthFraction = 8;

// The stages a span goes through.
struct SpanStages {
    DepthStage depth;
    ShadeStage shade;
    OutputStage output;
};

// Spans shorter than this are cheaper one pixel at a time than in a vector step.
constexpr int ShortSpan = 4;
// Spans shorter than this are shaded in batches with the triangle's other short spans, so that
// small triangles fill whole vector steps instead of a mostly empty step a row.
constexpr int BatchedSpan = 8;

// Pixels of short spans of one triangle, for shading together: positions relative to the
// context's reference pixel, in span order; entries past count repeat the last pixel, so
// whole vector steps read positions inside the triangle.
struct PixelBatch {
    int count;
    alignas(32) int32_t column[Chunk + MaxStepPixels];
    alignas(32) int32_t row[Chunk + MaxStepPixels];
};

// What the triangles of a draw share: the memory drawn into and read, and the stages.
struct SpanDrawState {
    uint8_t* colour;  // target pixel (0, 0)
    ptrdiff_t colourPitch;
    uint8_t* depth;  // depth of pixel (0, 0), or null
    ptrdiff_t depthPitch;

    const uint8_t* texels;  // texel (0, 0)
    ptrdiff_t texelPitch;
    int textureWidth, textureHeight;
    // Per texel row, the first and last column whose texel has colour (first > last: none), or
    // null: spans facing the camera leave out the steps that can only sample black.
    const int16_t* litColumns;

    SpanStages stages;       // for spans of ShortSpan pixels or more
    SpanStages shortStages;  // the scalar stages, for spans too short to fill a vector step
    // Short spans are batched when all three are set (vector stages; with a texture, ones that
    // can sample it).
    BatchDepthStage batchDepth;
    BatchShadeStage batchShade;
    BatchOutputStage batchOutput;
};

// One triangle's attributes.
struct SpanPlanes {
    int referenceX, referenceY;    // pixel the planes are relative to
    FixedPlane z;                  // depth scaled to the depth buffer's range
    FixedPlane red, green, blue;   // 0..255
    FloatPlane s, t, q;            // u/w, v/w, 1/w; or u, v (q unused) without perspective
};

// Kept apart so that drawing threads are handed a draw's state once and each triangle's planes.
struct SpanContext : SpanDrawState, SpanPlanes {};

// Where the stages do their arithmetic: one pixel at a time, or several in the vector registers
// of an instruction set. Every choice draws the same pixels.
enum class InstructionSet : uint8_t { Scalar, Sse2, Avx2, Avx512 };

// The stages for the instruction set; where it has no vector version of a stage, the scalar one.
DepthStage SelectDepthStage(InstructionSet set, DepthFormat format, bool test, bool write);
// textureFormat Unsupported selects untextured shading (the diffuse colour alone).
ShadeStage SelectShadeStage(InstructionSet set, ColourFormat textureFormat, Filter filter, Address addressU,
                            Address addressV, bool perspective);
OutputStage SelectOutputStage(InstructionSet set, ColourFormat target, bool dither, Blend blend);
// Null where the instruction set has no batch form of the shading (the scalar one has none:
// it shades a pixel at a time either way).
BatchShadeStage SelectBatchShadeStage(InstructionSet set, ColourFormat textureFormat, Filter filter, Address addressU,
                                      Address addressV, bool perspective);
BatchOutputStage SelectBatchOutputStage(InstructionSet set, ColourFormat target, bool dither, Blend blend);
// Null for the scalar set, which batches nothing; the pixel-at-a-time batch test where the set
// has no vector one (32-bit depth).
BatchDepthStage SelectBatchDepthStage(InstructionSet set, DepthFormat format, bool test, bool write);

// Whether the vector shading stages can sample a texture: they read texels through 32-bit
// offsets and in pairs of columns.
bool TextureFitsLanes(int width, int height, ptrdiff_t pitch);

// The vector stages of one instruction set, each null where the set has none.
struct LaneStageTable {
    DepthStage (*depth)(DepthFormat format, bool test, bool write);
    ShadeStage (*shade)(ColourFormat textureFormat, Filter filter, Address addressU, Address addressV,
                        bool perspective);
    BatchShadeStage (*batchShade)(ColourFormat textureFormat, Filter filter, Address addressU, Address addressV,
                                  bool perspective);
    OutputStage (*output)(ColourFormat target, bool dither, Blend blend);
    BatchOutputStage (*batchOutput)(ColourFormat target, bool dither, Blend blend);
    BatchDepthStage (*batchDepth)(DepthFormat format, bool test, bool write);  // 16-bit depth tests only
};
extern const LaneStageTable sse2Stages;
extern const LaneStageTable avx2Stages;
extern const LaneStageTable avx512Stages;

// Draws the spans of one triangle: long ones at once, short ones gathered into batches when
// the context has a batch stage. Pixels of one triangle never overlap, so the order in which
// its spans reach the target does not matter; Finish draws what is gathered before the next
// triangle comes.
class SpanDrawer {
public:
    explicit SpanDrawer(const SpanContext& context)
        : context(context), batching(context.batchDepth && context.batchShade && context.batchOutput) {
        batch.count = 0;
    }
    // Pixels x0..x1 (inclusive) of row y. Inline: dense meshes hand on a short span nearly every
    // row, and gathering it takes a few stores.
    void Draw(int y, int x0, int x1) {
        const int length = x1 - x0 + 1;
        if (!batching || length >= BatchedSpan) {
            DrawAtOnce(y, x0, x1);
            return;
        }
        if (batch.count + length > Chunk) Finish();
        const int column = x0 - context.referenceX, row = y - context.referenceY;
        // The room of a whole batched span at once, in a few vector stores: entries past this
        // span are written again by the next one or by the padding of Finish.
        static_assert(Chunk - 1 + BatchedSpan <= Chunk + MaxStepPixels, "a batched span's room fits the batch");
        for (int i = 0; i < BatchedSpan; ++i) {
            batch.column[batch.count + i] = column + i;
            batch.row[batch.count + i] = row;
        }
        batch.count += length;
    }
    void Finish();

private:
    void DrawAtOnce(int y, int x0, int x1);

    const SpanContext& context;
    const bool batching;
    PixelBatch batch;
};

}  // namespace software
