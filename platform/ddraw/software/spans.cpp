#include "ddraw/software/spans.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "ddraw/software/texturesampling.h"

namespace software {

namespace {

// ---- depth ----

int NoDepth(const SpanContext&, int, int, int n, uint8_t* mask) {
    std::memset(mask, 1, n);
    return n;
}

int NoDepthBatch(const SpanContext&, const PixelBatch& batch, uint8_t* mask) {
    std::memset(mask, 1, batch.count);
    return batch.count;
}

// One pixel's test of its depth z (in the plane's fixed point) against the stored one at, which
// it replaces when asked and when it passes.
template <typename Z, bool Write>
SOFTWARE_PIXEL_INLINE bool LessEqualDepthPixel(int64_t z, uint8_t* at) {
    const int64_t zMax = std::numeric_limits<Z>::max();
    int64_t value = (z + (1 << (DepthFraction - 1))) >> DepthFraction;
    value = value < 0 ? 0 : (value > zMax ? zMax : value);
    Z stored;
    std::memcpy(&stored, at, sizeof(Z));
    const bool pass = value <= static_cast<int64_t>(stored);
    if (Write && pass) {
        const Z written = static_cast<Z>(value);
        std::memcpy(at, &written, sizeof(Z));
    }
    return pass;
}

template <typename Z, bool Write>
int LessEqualDepth(const SpanContext& c, int y, int x, int n, uint8_t* mask) {
    uint8_t* row = c.depth + y * c.depthPitch + x * static_cast<ptrdiff_t>(sizeof(Z));
    const int64_t dz = c.z.dx;
    int64_t z = c.z.At(x - c.referenceX, y - c.referenceY);
    int passed = 0;
    for (int i = 0; i < n; ++i, z += dz) {
        mask[i] = LessEqualDepthPixel<Z, Write>(z, row + i * sizeof(Z));
        passed += mask[i];
    }
    return passed;
}

// A batch's depth test a pixel at a time, each at its own position: for 32-bit depth, whose
// plane does not fit the vector lanes, one call instead of one a span.
template <typename Z, bool Write>
int LessEqualDepthBatch(const SpanContext& c, const PixelBatch& batch, uint8_t* mask) {
    uint8_t* origin = c.depth + c.referenceY * c.depthPitch + c.referenceX * static_cast<ptrdiff_t>(sizeof(Z));
    int passed = 0;
    for (int i = 0; i < batch.count; ++i) {
        uint8_t* at = origin + batch.row[i] * c.depthPitch + batch.column[i] * static_cast<ptrdiff_t>(sizeof(Z));
        mask[i] = LessEqualDepthPixel<Z, Write>(c.z.At(batch.column[i], batch.row[i]), at);
        passed += mask[i];
    }
    return passed;
}

// ---- shading ----

SOFTWARE_PIXEL_INLINE uint32_t Channel(int64_t value) {
    int64_t c = (value + (1 << (ColourFraction - 1))) >> ColourFraction;
    return static_cast<uint32_t>(c < 0 ? 0 : (c > 255 ? 255 : c));
}

// a * b / 255, rounded to nearest, for a and b in 0..255.
SOFTWARE_PIXEL_INLINE uint32_t MultiplyUnit(uint32_t a, uint32_t b) {
    uint32_t p = a * b + 128;
    return (p + (p >> 8)) >> 8;
}

SOFTWARE_PIXEL_INLINE uint32_t Modulate(uint32_t texel, uint32_t r, uint32_t g, uint32_t b) {
    return PackRgb(MultiplyUnit((texel >> 16) & 255, r), MultiplyUnit((texel >> 8) & 255, g),
                   MultiplyUnit(texel & 255, b));
}

void ShadeUntextured(const SpanContext& c, int y, int x, int n, uint32_t* out) {
    const int column = x - c.referenceX, row = y - c.referenceY;
    int64_t r = c.red.At(column, row), g = c.green.At(column, row), b = c.blue.At(column, row);
    for (int i = 0; i < n; ++i, r += c.red.dx, g += c.green.dx, b += c.blue.dx)
        out[i] = PackRgb(Channel(r), Channel(g), Channel(b));
}

template <class S, bool Perspective>
void ShadeTextured(const SpanContext& c, int y, int x, int n, uint32_t* out) {
    const int column = x - c.referenceX, row = y - c.referenceY;
    int64_t r = c.red.At(column, row), g = c.green.At(column, row), b = c.blue.At(column, row);
    const float rowS = c.s.at + c.s.dy * static_cast<float>(row);
    const float rowT = c.t.at + c.t.dy * static_cast<float>(row);
    const float rowQ = c.q.at + c.q.dy * static_cast<float>(row);
    int32_t tx[Chunk], ty[Chunk];
    for (int i = 0; i < n; ++i) {
        const float offset = static_cast<float>(column + i);
        float u = rowS + c.s.dx * offset;
        float v = rowT + c.t.dx * offset;
        if (Perspective) {
            float w = 1.0f / (rowQ + c.q.dx * offset);
            u = u * w;
            v = v * w;
        }
        S::Locate(c, u, v, &tx[i], &ty[i]);
    }
    for (int i = 0; i < n; ++i, r += c.red.dx, g += c.green.dx, b += c.blue.dx)
        out[i] = Modulate(S::Fetch(c, tx[i], ty[i]), Channel(r), Channel(g), Channel(b));
}

// ---- output ----

template <ColourFormat F, bool Dither>
SOFTWARE_PIXEL_INLINE void StorePixel(uint8_t* row, int x, int y, uint32_t colour) {
    uint32_t r = (colour >> 16) & 255, g = (colour >> 8) & 255, b = colour & 255;
    if (F == ColourFormat::X8R8G8B8) {
        std::memcpy(row + 4 * x, &colour, 4);
        return;
    }
    uint32_t d = Dither ? DitherThresholds[y & 3][x & 3] : 0;
    uint32_t five = d >> 1;
    uint32_t r5 = std::min<uint32_t>((r + five) >> 3, 31);
    uint32_t b5 = std::min<uint32_t>((b + five) >> 3, 31);
    uint16_t p;
    if (F == ColourFormat::R5G6B5) {
        uint32_t g6 = std::min<uint32_t>((g + (d >> 2)) >> 2, 63);
        p = static_cast<uint16_t>((r5 << 11) | (g6 << 5) | b5);
    } else {
        uint32_t g5 = std::min<uint32_t>((g + five) >> 3, 31);
        p = static_cast<uint16_t>((r5 << 10) | (g5 << 5) | b5);
    }
    std::memcpy(row + 2 * x, &p, 2);
}

template <Blend B>
SOFTWARE_PIXEL_INLINE uint32_t Combine(uint32_t s, uint32_t d) {
    if (B == Blend::Replace) return s;
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t sc = (s >> shift) & 255, dc = (d >> shift) & 255, value;
        if (B == Blend::Add)
            value = sc + dc;
        else if (B == Blend::AddTimesSource)
            value = sc + MultiplyUnit(dc, sc);
        else
            value = sc + MultiplyUnit(dc, 255 - sc);
        result |= std::min<uint32_t>(value, 255) << shift;
    }
    return result;
}

template <ColourFormat F, bool Dither, Blend B>
void Output(const SpanContext& c, int y, int x, int n, const uint32_t* colour, const uint8_t* mask) {
    uint8_t* row = c.colour + y * c.colourPitch;
    for (int i = 0; i < n; ++i) {
        if (!mask[i]) continue;
        uint32_t value = colour[i];
        if (B != Blend::Replace) value = Combine<B>(value, LoadPixel<F>(row, x + i));
        StorePixel<F, Dither>(row, x + i, y, value);
    }
}

// ---- selection ----

template <ColourFormat F, Filter K, Address U, Address V>
ShadeStage SelectPerspective(bool perspective) {
    return perspective ? ShadeTextured<Sampler<F, K, U, V>, true> : ShadeTextured<Sampler<F, K, U, V>, false>;
}

template <ColourFormat F, Filter K, Address U>
ShadeStage SelectAddressV(Address v, bool perspective) {
    switch (v) {
    case Address::Wrap: return SelectPerspective<F, K, U, Address::Wrap>(perspective);
    case Address::Mirror: return SelectPerspective<F, K, U, Address::Mirror>(perspective);
    default: return SelectPerspective<F, K, U, Address::Clamp>(perspective);
    }
}

template <ColourFormat F, Filter K>
ShadeStage SelectAddressU(Address u, Address v, bool perspective) {
    switch (u) {
    case Address::Wrap: return SelectAddressV<F, K, Address::Wrap>(v, perspective);
    case Address::Mirror: return SelectAddressV<F, K, Address::Mirror>(v, perspective);
    default: return SelectAddressV<F, K, Address::Clamp>(v, perspective);
    }
}

template <ColourFormat F>
ShadeStage SelectFilter(Filter filter, Address u, Address v, bool perspective) {
    return filter == Filter::Point ? SelectAddressU<F, Filter::Point>(u, v, perspective)
                                   : SelectAddressU<F, Filter::Linear>(u, v, perspective);
}

template <ColourFormat F, bool Dither>
OutputStage SelectBlend(Blend blend) {
    switch (blend) {
    case Blend::Replace: return Output<F, Dither, Blend::Replace>;
    case Blend::Add: return Output<F, Dither, Blend::Add>;
    case Blend::AddTimesSource: return Output<F, Dither, Blend::AddTimesSource>;
    default: return Output<F, Dither, Blend::AddTimesInverseSource>;
    }
}

const LaneStageTable* LaneStagesOf(InstructionSet set) {
    switch (set) {
    case InstructionSet::Sse2: return &sse2Stages;
    case InstructionSet::Avx2: return &avx2Stages;
    case InstructionSet::Avx512: return &avx512Stages;
    default: return nullptr;
    }
}

DepthStage SelectScalarDepthStage(DepthFormat format, bool test, bool write) {
    if (!test || format == DepthFormat::Unsupported) return NoDepth;
    if (format == DepthFormat::Z16) return write ? LessEqualDepth<uint16_t, true> : LessEqualDepth<uint16_t, false>;
    return write ? LessEqualDepth<uint32_t, true> : LessEqualDepth<uint32_t, false>;
}

ShadeStage SelectScalarShadeStage(ColourFormat textureFormat, Filter filter, Address addressU, Address addressV,
                                  bool perspective) {
    switch (textureFormat) {
    case ColourFormat::R5G6B5: return SelectFilter<ColourFormat::R5G6B5>(filter, addressU, addressV, perspective);
    case ColourFormat::X1R5G5B5:
        return SelectFilter<ColourFormat::X1R5G5B5>(filter, addressU, addressV, perspective);
    case ColourFormat::X8R8G8B8:
        return SelectFilter<ColourFormat::X8R8G8B8>(filter, addressU, addressV, perspective);
    default: return ShadeUntextured;
    }
}

OutputStage SelectScalarOutputStage(ColourFormat target, bool dither, Blend blend) {
    switch (target) {
    case ColourFormat::R5G6B5:
        return dither ? SelectBlend<ColourFormat::R5G6B5, true>(blend) : SelectBlend<ColourFormat::R5G6B5, false>(blend);
    case ColourFormat::X1R5G5B5:
        return dither ? SelectBlend<ColourFormat::X1R5G5B5, true>(blend)
                      : SelectBlend<ColourFormat::X1R5G5B5, false>(blend);
    default: return SelectBlend<ColourFormat::X8R8G8B8, false>(blend);
    }
}

}  // namespace

bool TextureFitsLanes(int width, int height, ptrdiff_t pitch) {
    return width >= 2 && pitch > 0 && static_cast<int64_t>(pitch) * height <= INT32_MAX;
}

DepthStage SelectDepthStage(InstructionSet set, DepthFormat format, bool test, bool write) {
    const LaneStageTable* lanes = LaneStagesOf(set);
    DepthStage stage = lanes ? lanes->depth(format, test, write) : nullptr;
    return stage ? stage : SelectScalarDepthStage(format, test, write);
}

ShadeStage SelectShadeStage(InstructionSet set, ColourFormat textureFormat, Filter filter, Address addressU,
                            Address addressV, bool perspective) {
    const LaneStageTable* lanes = LaneStagesOf(set);
    ShadeStage stage = lanes ? lanes->shade(textureFormat, filter, addressU, addressV, perspective) : nullptr;
    return stage ? stage : SelectScalarShadeStage(textureFormat, filter, addressU, addressV, perspective);
}

OutputStage SelectOutputStage(InstructionSet set, ColourFormat target, bool dither, Blend blend) {
    const LaneStageTable* lanes = LaneStagesOf(set);
    OutputStage stage = lanes ? lanes->output(target, dither, blend) : nullptr;
    return stage ? stage : SelectScalarOutputStage(target, dither, blend);
}

BatchShadeStage SelectBatchShadeStage(InstructionSet set, ColourFormat textureFormat, Filter filter, Address addressU,
                                      Address addressV, bool perspective) {
    const LaneStageTable* lanes = LaneStagesOf(set);
    return lanes ? lanes->batchShade(textureFormat, filter, addressU, addressV, perspective) : nullptr;
}

BatchOutputStage SelectBatchOutputStage(InstructionSet set, ColourFormat target, bool dither, Blend blend) {
    const LaneStageTable* lanes = LaneStagesOf(set);
    return lanes ? lanes->batchOutput(target, dither, blend) : nullptr;
}

BatchDepthStage SelectBatchDepthStage(InstructionSet set, DepthFormat format, bool test, bool write) {
    const LaneStageTable* lanes = LaneStagesOf(set);
    if (!lanes) return nullptr;  // nothing is batched
    if (!test || format == DepthFormat::Unsupported) return NoDepthBatch;
    if (BatchDepthStage stage = lanes->batchDepth(format, test, write)) return stage;
    return write ? LessEqualDepthBatch<uint32_t, true> : LessEqualDepthBatch<uint32_t, false>;
}

void SpanDrawer::DrawAtOnce(int y, int x0, int x1) {
    alignas(32) uint8_t mask[Chunk + MaxStepPixels];
    alignas(32) uint32_t colour[Chunk + MaxStepPixels];
    for (int x = x0; x <= x1; x += Chunk) {
        int n = std::min(Chunk, x1 - x + 1);
        const SpanStages& stages = n < ShortSpan ? context.shortStages : context.stages;
        if (!stages.depth(context, y, x, n, mask)) continue;
        stages.shade(context, y, x, n, colour);
        stages.output(context, y, x, n, colour, mask);
    }
}

void SpanDrawer::Finish() {
    if (batch.count == 0) return;
    alignas(32) uint8_t mask[Chunk + MaxStepPixels];
    alignas(32) uint32_t colour[Chunk + MaxStepPixels];
    // Whole vector steps read positions inside the triangle.
    for (int i = batch.count; i < batch.count + MaxStepPixels; ++i) {
        batch.column[i] = batch.column[batch.count - 1];
        batch.row[i] = batch.row[batch.count - 1];
    }
    if (context.batchDepth(context, batch, mask)) {
        context.batchShade(context, batch, colour);
        context.batchOutput(context, batch, colour, mask);
    }
    batch.count = 0;
}

}  // namespace software
