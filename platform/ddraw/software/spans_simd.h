// The pixel stages in vector registers: the scalar stages' arithmetic in the same order and
// precision, so every pixel comes out bit for bit as the scalar stages draw it.
//
// Included by one unit per instruction set, after it has defined its register operations (a
// struct with the members the kernels use below) and compiled for that instruction set.
// Everything here is a template of those operations or has internal linkage, so no unit's code
// can be taken for another's at link time, and nothing here calls an inline function of
// another header.
//
// The kernels take one step of S::Pixels pixels at a time: 32-bit values in two registers of
// S::Width lanes, 8-bit channels and 16-bit pixels in 16-bit lanes of one register.
// Texture co-ordinates are computed for whole steps (every address mode keeps any value inside
// the texture, so extra lanes read only texels); target and depth memory past the span are
// never read or written. Colour planes and 16-bit depth planes are only given to these kernels
// for triangles whose values stay well inside 32 bits (see TriangleSetup), so 32-bit lanes hold
// them exactly; 32-bit depth starts each step from its exact value instead.
#pragma once

#include <cstdint>
#include <cstring>

#include "ddraw/software/spans.h"

namespace software {

namespace {

// The dither thresholds with each row repeated, so that a step loads its lanes from the
// column of its first pixel. Built at compile time: no code of this unit runs before the
// instruction set is known to be there.
struct DitherLanes {
    uint16_t rows[4][4 + MaxStepPixels];
};

constexpr DitherLanes MakeDitherLanes() {
    DitherLanes lanes{};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4 + MaxStepPixels; ++x) lanes.rows[y][x] = DitherThresholds[y][x & 3];
    return lanes;
}

alignas(32) constexpr DitherLanes ditherLanes = MakeDitherLanes();

// The 32-bit word at a byte offset, for the vector sets that read texels into lanes one by one.
SOFTWARE_PIXEL_INLINE int32_t WordAt(const uint8_t* base, uint32_t offset) {
    int32_t word;
    std::memcpy(&word, base + offset, sizeof word);
    return word;
}

// ---- shared pieces ----

// One row of a texture: its index, its first texel and the bytes of texture memory from there on.
struct TextureRow {
    int index;
    const uint8_t* texels;
    int64_t bytesLeft;

    TextureRow(const SpanContext& c, int row)
        : index(row), texels(c.texels + row * c.texelPitch),
          bytesLeft(static_cast<int64_t>(c.texelPitch) * (c.textureHeight - row)) {}
};

template <class S>
struct Channels {
    typename S::H r, g, b;
};

// Values of a fixed-point plane along a row, one step at a time.
template <class S>
struct PlaneLanes {
    typename S::I lo, hi, stride;

    PlaneLanes() : lo(S::Set(0)), hi(S::Set(0)), stride(S::Set(0)) {}
    PlaneLanes(const FixedPlane& plane, int column, int row) {
        const int64_t start = plane.c + plane.dx * column + plane.dy * row;
        lo = S::Ramp(static_cast<uint32_t>(start), static_cast<uint32_t>(plane.dx));
        hi = S::Add(lo, S::Set(static_cast<int32_t>(static_cast<uint32_t>(plane.dx) * S::Width)));
        stride = S::Set(static_cast<int32_t>(static_cast<uint32_t>(plane.dx) * S::Pixels));
    }
    void Advance() {
        lo = S::Add(lo, stride);
        hi = S::Add(hi, stride);
    }
};

// (value + 0.5) >> ColourFraction, clamped to 0..255, in 16-bit lanes.
template <class S>
SOFTWARE_PIXEL_INLINE typename S::H ChannelOf(typename S::I lo, typename S::I hi) {
    const typename S::I half = S::Set(1 << (ColourFraction - 1));
    const typename S::H narrow = S::Narrow(S::ShiftRight(S::Add(lo, half), ColourFraction),
                                           S::ShiftRight(S::Add(hi, half), ColourFraction));
    return S::HMin(S::HMax(narrow, S::HSet(0)), S::HSet(255));
}

// Whether a colour plane is 255 at every pixel, where modulating by it changes nothing.
SOFTWARE_PIXEL_INLINE bool IsFullWhite(const FixedPlane& plane) {
    const int64_t value = (plane.c + (1 << (ColourFraction - 1))) >> ColourFraction;
    return plane.dx == 0 && plane.dy == 0 && value >= 255;
}

// a * b / 255 rounded to nearest, for a and b in 0..255 (b = 255 gives a): with p = a x b + 128,
// (p + (p >> 8)) >> 8, which is the high half of p x 257.
template <class S>
SOFTWARE_PIXEL_INLINE typename S::H MultiplyUnit(typename S::H a, typename S::H b) {
    return S::HMulHigh(S::HAdd(S::HMul(a, b), S::HSet(128)), S::HSet(257));
}

// a + (b - a) x f / 256, rounded, as (a x (256 - f) + b x f + 128) >> 8 for f in 0..255. That
// is a + (((b - a) x f + 128) >> 8): where the instruction set rounds a product's high half at
// bit 15, the product of b - a and f x 128.
template <class S>
SOFTWARE_PIXEL_INLINE typename S::H Lerp(typename S::H a, typename S::H b, typename S::H f) {
    if constexpr (S::RoundsProductHigh) return S::HAdd(a, S::HMulRoundHigh(S::HSub(b, a), S::HShiftLeft(f, 7)));
    const typename S::H sum = S::HAdd(S::HMul(a, S::HSub(S::HSet(256), f)), S::HMul(b, f));
    return S::HShiftRight(S::HAdd(sum, S::HSet(128)), 8);
}

template <class S>
SOFTWARE_PIXEL_INLINE typename S::H Expand5(typename S::H c) {
    return S::HOr(S::HShiftLeft(c, 3), S::HShiftRight(c, 2));
}

template <class S>
SOFTWARE_PIXEL_INLINE typename S::H Expand6(typename S::H c) {
    return S::HOr(S::HShiftLeft(c, 2), S::HShiftRight(c, 4));
}

// Pixels of a layout (16-bit lanes for 16-bit layouts, two 32-bit registers otherwise) as
// 8-bit channels.
template <class S, ColourFormat F>
SOFTWARE_PIXEL_INLINE Channels<S> Unpack16(typename S::H p) {
    const typename S::H five = S::HSet(31);
    if (F == ColourFormat::R5G6B5)
        return {Expand5<S>(S::HShiftRight(p, 11)), Expand6<S>(S::HAnd(S::HShiftRight(p, 5), S::HSet(63))),
                Expand5<S>(S::HAnd(p, five))};
    return {Expand5<S>(S::HAnd(S::HShiftRight(p, 10), five)), Expand5<S>(S::HAnd(S::HShiftRight(p, 5), five)),
            Expand5<S>(S::HAnd(p, five))};
}

template <class S>
SOFTWARE_PIXEL_INLINE Channels<S> Unpack32(typename S::I lo, typename S::I hi) {
    const typename S::I byte = S::Set(255);
    return {S::Narrow(S::And(S::ShiftRightLogical(lo, 16), byte), S::And(S::ShiftRightLogical(hi, 16), byte)),
            S::Narrow(S::And(S::ShiftRightLogical(lo, 8), byte), S::And(S::ShiftRightLogical(hi, 8), byte)),
            S::Narrow(S::And(lo, byte), S::And(hi, byte))};
}

// 0x00RRGGBB per pixel.
template <class S>
SOFTWARE_PIXEL_INLINE void StoreRgb(const Channels<S>& c, uint32_t* out) {
    typename S::I r[2], g[2], b[2];
    S::Widen(c.r, &r[0], &r[1]);
    S::Widen(c.g, &g[0], &g[1]);
    S::Widen(c.b, &b[0], &b[1]);
    for (int half = 0; half < 2; ++half)
        S::Store(out + half * S::Width,
                 S::Or(S::Or(S::ShiftLeft(r[half], 16), S::ShiftLeft(g[half], 8)), b[half]));
}

// A step's pixels in target or depth memory, from pixel x of a row of rowPixels pixels (its
// pitch): used in place when the row holds the whole step, padding included, through a copy
// otherwise. Lanes past the span keep their pixels: the stages write them back unchanged, and
// the row belongs to the thread drawing it.
template <class S, class T>
class StepMemory {
public:
    StepMemory(uint8_t* row, int x, int rowPixels, int count)
        : at(reinterpret_cast<T*>(row) + x), inPlace(x + S::Pixels <= rowPixels), count(count) {
        if (!inPlace) {
            std::memset(copy, 0, sizeof copy);
            std::memcpy(copy, at, sizeof(T) * count);
        }
    }
    T* Pixels() { return inPlace ? at : copy; }
    void Finish() {
        if (!inPlace) std::memcpy(at, copy, sizeof(T) * count);
    }

private:
    T* at;
    bool inPlace;
    int count;
    T copy[MaxStepPixels];
};

// Lanes of a step that lie inside the span.
template <class S>
SOFTWARE_PIXEL_INLINE typename S::H SpanLanes(int count) {
    return count >= S::Pixels ? S::HSet(-1) : S::LanesBelow(count);
}

// ---- depth ----

// The lanes of a 16-bit depth step that pass: the plane's values lo, hi rounded and brought into
// 0..65535 by the saturation of the unsigned narrowing, then value <= stored (nothing is left of
// value less stored), among the lanes below count.
template <class S>
SOFTWARE_PIXEL_INLINE typename S::H DepthPasses16(typename S::I lo, typename S::I hi, typename S::H stored, int count,
                                                  typename S::H* value) {
    const typename S::I half = S::Set(1 << (DepthFraction - 1));
    *value = S::NarrowUnsigned(S::ShiftRight(S::Add(lo, half), DepthFraction),
                               S::ShiftRight(S::Add(hi, half), DepthFraction));
    return S::HAnd(S::HEqual(S::HSubtractSaturating(*value, stored), S::HSet(0)), SpanLanes<S>(count));
}

template <class S, bool Write>
int LessEqualDepth16(const SpanContext& c, int y, int x, int n, uint8_t* mask) {
    uint8_t* row = c.depth + y * c.depthPitch;
    const int rowPixels = static_cast<int>(c.depthPitch / static_cast<ptrdiff_t>(sizeof(uint16_t)));
    PlaneLanes<S> z(c.z, x - c.referenceX, y - c.referenceY);
    int passed = 0;
    for (int i = 0; i < n; i += S::Pixels, z.Advance()) {
        const int count = n - i < S::Pixels ? n - i : S::Pixels;
        StepMemory<S, uint16_t> memory(row, x + i, rowPixels, count);
        const typename S::H stored = S::HLoad(memory.Pixels());
        typename S::H value;
        const typename S::H pass = DepthPasses16<S>(z.lo, z.hi, stored, count, &value);
        passed += S::StoreMask(pass, mask + i);
        if (Write) {
            S::HStore(memory.Pixels(), S::HSelect(pass, value, stored));
            memory.Finish();
        }
    }
    return passed;
}

// 32-bit depth: the plane has fractional bits beyond 32 bits. Each step starts from the exact
// 64-bit value at its first pixel; with (z + 0.5) and the step along the row each split into a
// whole part and a fraction, a lane's value is the wholes' ramp plus the carry out of the
// fractions' ramp, exact in wrapping 32-bit lanes wherever it lies inside the buffer's range.
// Steps whose values leave that range take the clamping pixel loop.
template <class S, bool Write>
int LessEqualDepth32(const SpanContext& c, int y, int x, int n, uint8_t* mask) {
    uint8_t* row = c.depth + y * c.depthPitch;
    const int rowPixels = static_cast<int>(c.depthPitch / static_cast<ptrdiff_t>(sizeof(uint32_t)));
    const int64_t dx = c.z.dx, top = 0xFFFFFFFFll, fraction = (1 << DepthFraction) - 1;
    const uint32_t wholeStep = static_cast<uint32_t>(dx >> DepthFraction);
    const uint32_t fractionStep = static_cast<uint32_t>(dx & fraction);
    const typename S::I wholeRamp[2] = {S::Ramp(0, wholeStep), S::Ramp(wholeStep * S::Width, wholeStep)};
    const typename S::I fractionRamp[2] = {S::Ramp(0, fractionStep), S::Ramp(fractionStep * S::Width, fractionStep)};
    const typename S::I flip = S::Set(INT32_MIN);
    int64_t z = c.z.At(x - c.referenceX, y - c.referenceY) + (1 << (DepthFraction - 1));
    int passed = 0;
    for (int i = 0; i < n; i += S::Pixels, z += dx * S::Pixels) {
        const int count = n - i < S::Pixels ? n - i : S::Pixels;
        StepMemory<S, uint32_t> memory(row, x + i, rowPixels, count);
        uint32_t* stored = memory.Pixels();
        const int64_t first = z >> DepthFraction, last = (z + dx * (count - 1)) >> DepthFraction;
        if (first < 0 || last < 0 || first > top || last > top) {
            for (int k = 0; k < S::Pixels; ++k) {
                int64_t value = (z + dx * k) >> DepthFraction;
                value = value < 0 ? 0 : (value > top ? top : value);
                const bool pass = k < count && value <= static_cast<int64_t>(stored[k]);
                mask[i + k] = pass;
                passed += pass;
                if (Write && pass) stored[k] = static_cast<uint32_t>(value);
            }
        } else {
            const typename S::I whole = S::Set(static_cast<int32_t>(static_cast<uint32_t>(first)));
            const typename S::I part = S::Set(static_cast<int32_t>(z & fraction));
            typename S::I value[2], old[2], fails[2];
            for (int h = 0; h < 2; ++h) {
                value[h] = S::Add(S::Add(whole, wholeRamp[h]),
                                  S::ShiftRightLogical(S::Add(part, fractionRamp[h]), DepthFraction));
                old[h] = S::Load(reinterpret_cast<const int32_t*>(stored + h * S::Width));
                // Unsigned compare through the flipped sign bit.
                fails[h] = S::Greater(S::Xor(value[h], flip), S::Xor(old[h], flip));
            }
            const typename S::H pass = S::HAnd(S::HNot(S::Narrow(fails[0], fails[1])), SpanLanes<S>(count));
            passed += S::StoreMask(pass, mask + i);
            if (Write) {
                typename S::I keep[2];
                S::Widen(pass, &keep[0], &keep[1]);
                for (int h = 0; h < 2; ++h)
                    S::Store(reinterpret_cast<int32_t*>(stored + h * S::Width),
                             S::Select(S::Equal(keep[h], S::Set(0)), old[h], value[h]));
            }
        }
        if (Write) memory.Finish();
    }
    return passed;
}

// ---- shading ----

template <class S>
void ShadeUntexturedLanes(const SpanContext& c, int y, int x, int n, uint32_t* out) {
    const int column = x - c.referenceX, row = y - c.referenceY;
    PlaneLanes<S> r(c.red, column, row), g(c.green, column, row), b(c.blue, column, row);
    for (int i = 0; i < n; i += S::Pixels, r.Advance(), g.Advance(), b.Advance())
        StoreRgb<S>({ChannelOf<S>(r.lo, r.hi), ChannelOf<S>(g.lo, g.hi), ChannelOf<S>(b.lo, b.hi)}, out + i);
}

// Keeps a co-ordinate where the integer conversions are defined; NaN goes to the limit.
template <class S>
SOFTWARE_PIXEL_INLINE typename S::F Sanitise(typename S::F u) {
    const float limit = 4194304.0f;
    return S::FMax(S::FMin(u, S::FSet(limit)), S::FSet(-limit));
}

// Of a sanitised co-ordinate, so exact either way.
template <class S>
SOFTWARE_PIXEL_INLINE typename S::F Floor(typename S::F u) {
    if constexpr (S::RoundsDown) return S::FFloor(u);
    const typename S::F f = S::FromInt(S::Truncate(u));
    return S::FSelect(S::FGreater(f, u), S::FSub(f, S::FSet(1.0f)), f);
}

// A wrapped co-ordinate's fraction, and the whole number it lies above.
template <class S>
SOFTWARE_PIXEL_INLINE typename S::F Wrap(typename S::F u, typename S::F* whole) {
    u = Sanitise<S>(u);
    *whole = Floor<S>(u);
    return S::FSub(u, *whole);
}

template <class S, Address A>
SOFTWARE_PIXEL_INLINE typename S::F Reduce(typename S::F u) {
    if (A == Address::Wrap) {
        typename S::F whole;
        return Wrap<S>(u, &whole);
    }
    if (A == Address::Mirror) {
        u = Sanitise<S>(u);
        u = S::FSub(u, S::FMul(S::FSet(2.0f), Floor<S>(S::FMul(u, S::FSet(0.5f)))));
        return S::FSelect(S::FGreater(u, S::FSet(1.0f)), S::FSub(S::FSet(2.0f), u), u);
    }
    u = S::FMax(u, S::FSet(0.0f));  // NaN becomes 0
    return S::FMin(u, S::FSet(1.0f));
}

// A reduced co-ordinate as texels in 24.8 fixed point, less half a texel: bilinear samples are
// centred on texels. Both products are at least -0.5 texel, so truncation after the +256 offset
// is floor.
template <class S>
SOFTWARE_PIXEL_INLINE typename S::I TexelFixed(typename S::F reduced, typename S::F scale) {
    return S::Sub(S::Truncate(S::FAdd(S::FMul(reduced, scale), S::FSet(128.0f))), S::Set(256));
}

// Texel indices brought back into 0..size-1 by the address mode. Reduced co-ordinates lie in
// 0..1, so a texel or the first of a bilinear pair is at most one below the range (FixBelow)
// and the second of a pair or a point sample at most one above it (FixAbove).
template <class S, Address A>
SOFTWARE_PIXEL_INLINE typename S::I FixBelow(typename S::I i, typename S::I size) {
    const auto below = S::Greater(S::Set(0), i);
    return S::Select(below, A == Address::Wrap ? S::Add(i, size) : S::Set(0), i);
}

template <class S, Address A>
SOFTWARE_PIXEL_INLINE typename S::I FixAbove(typename S::I i, typename S::I size) {
    const typename S::I last = S::Sub(size, S::Set(1));
    return S::Select(S::Greater(i, last), A == Address::Wrap ? S::Sub(i, size) : last, i);
}

// The two 16-bit texels of a pair read as one 32-bit word: the first in the low half.
template <class S>
SOFTWARE_PIXEL_INLINE void SplitPair(typename S::I pair, typename S::I* first, typename S::I* second) {
    *first = S::And(pair, S::Set(0xFFFF));
    *second = S::ShiftRightLogical(pair, 16);
}

// A texel of each lane as the low bits of a 32-bit lane. 16-bit texels are read in pairs from
// the pair's first column, at most width - 2, so no read leaves the row.
template <class S, ColourFormat F>
SOFTWARE_PIXEL_INLINE typename S::I FetchTexel(const SpanContext& c, typename S::I row, typename S::I column) {
    if (F == ColourFormat::X8R8G8B8)
        return S::GatherWords(c.texels, c.texelPitch, row, S::ShiftLeft(column, 2));
    const typename S::I last = S::Set(c.textureWidth - 2);
    const typename S::I first = S::Select(S::Greater(column, last), last, column);
    typename S::I low, high;
    SplitPair<S>(S::GatherWords(c.texels, c.texelPitch, row, S::ShiftLeft(first, 1)), &low, &high);
    return S::Select(S::Equal(column, first), low, high);
}

// The texels of two columns of a row; for bilinear filtering the second column is nearly
// always the one after the first, and one read of a pair gives both.
template <class S, ColourFormat F>
SOFTWARE_PIXEL_INLINE void FetchTexels(const SpanContext& c, typename S::I row, typename S::I column0,
                                       typename S::I column1, typename S::I* texel0, typename S::I* texel1) {
    if (F == ColourFormat::X8R8G8B8) {
        *texel0 = FetchTexel<S, F>(c, row, column0);
        *texel1 = FetchTexel<S, F>(c, row, column1);
        return;
    }
    if (S::All(S::Equal(column1, S::Add(column0, S::Set(1))))) {
        // Every lane's second column follows its first inside the row (the usual case): each
        // pair is read from its first column as it is.
        SplitPair<S>(S::GatherWords(c.texels, c.texelPitch, row, S::ShiftLeft(column0, 1)), texel0, texel1);
        return;
    }
    const typename S::I last = S::Set(c.textureWidth - 2);
    const typename S::I first = S::Select(S::Greater(column0, last), last, column0);
    typename S::I low, high;
    SplitPair<S>(S::GatherWords(c.texels, c.texelPitch, row, S::ShiftLeft(first, 1)), &low, &high);
    *texel0 = S::Select(S::Equal(column0, first), low, high);
    const auto isFirst = S::Equal(column1, first);
    const auto inPair = S::Or(isFirst, S::Equal(column1, S::Add(first, S::Set(1))));
    *texel1 = S::Select(isFirst, low, high);
    // Wrapping from the last column back to the first.
    if (!S::All(inPair)) *texel1 = S::Select(inPair, *texel1, FetchTexel<S, F>(c, row, column1));
}

// A texture row's bilinear pairs where every lane reads the same row (a billboard facing the
// camera): with a word permute, when the lanes' first columns lie within a window of the row and
// each second column follows its first, two loads of the window and permutes replace the
// per-lane reads; otherwise, or without a permute, the reads of FetchTexels.
template <class S, ColourFormat F>
SOFTWARE_PIXEL_INLINE void FetchTexelsInRow(const SpanContext& c, const TextureRow& row, typename S::I column0,
                                            typename S::I column1, typename S::I* texel0, typename S::I* texel1) {
    typedef typename S::I Iv;
    if constexpr (S::PermutesWords) {
        constexpr int Bytes = F == ColourFormat::X8R8G8B8 ? 4 : 2;
        // Columns window, window + 1, ... of the lanes' first texels; the second load reaches
        // LoadEnd bytes past the window's first texel.
        constexpr int Reach = 2 * S::Width - 2;
        constexpr int64_t LoadEnd = Bytes == 4 ? 8 * S::Width : 2 + 4 * S::Width;
        const int first = S::First(column0), last = S::Last(column0);
        const int window = first < last ? first : last;
        const Iv k = S::Sub(column0, S::Set(window));
        if (static_cast<int64_t>(window) * Bytes + LoadEnd <= row.bytesLeft &&
            S::None(S::Or(S::Greater(S::Set(0), k), S::Greater(k, S::Set(Reach)))) &&
            S::All(S::Equal(column1, S::Add(column0, S::Set(1))))) {
            const uint8_t* at = row.texels + static_cast<ptrdiff_t>(window) * Bytes;
            if (Bytes == 4) {
                const Iv low = S::Load(reinterpret_cast<const int32_t*>(at));
                const Iv high = S::Load(reinterpret_cast<const int32_t*>(at + 4 * S::Width));
                const Iv next = S::Add(k, S::Set(1)), lowEnd = S::Set(S::Width - 1);
                *texel0 = S::Select(S::Greater(k, lowEnd), S::PermuteWords(high, k), S::PermuteWords(low, k));
                *texel1 =
                    S::Select(S::Greater(next, lowEnd), S::PermuteWords(high, next), S::PermuteWords(low, next));
            } else {
                // Pairs starting on an even column of the window, and on an odd one.
                const Iv even = S::Load(reinterpret_cast<const int32_t*>(at));
                const Iv odd = S::Load(reinterpret_cast<const int32_t*>(at + 2));
                const Iv half = S::ShiftRightLogical(k, 1);
                const auto isOdd = S::Equal(S::And(k, S::Set(1)), S::Set(1));
                SplitPair<S>(S::Select(isOdd, S::PermuteWords(odd, half), S::PermuteWords(even, half)), texel0,
                             texel1);
            }
            return;
        }
    }
    FetchTexels<S, F>(c, S::Set(row.index), column0, column1, texel0, texel1);
}

// The bits of a texel of the layout that hold colour, as a constant (no call at run time).
template <ColourFormat F>
constexpr int32_t ColourBits() {
    constexpr uint32_t bits = ColourBitsOf(F);
    return static_cast<int32_t>(bits);
}

template <class S, ColourFormat F>
SOFTWARE_PIXEL_INLINE Channels<S> ChannelsOfTexels(const typename S::I texels[2]) {
    if (F == ColourFormat::X8R8G8B8) return Unpack32<S>(texels[0], texels[1]);
    return Unpack16<S, F>(S::NarrowUnsigned(texels[0], texels[1]));
}

template <class S>
SOFTWARE_PIXEL_INLINE Channels<S> LerpChannels(const Channels<S>& a, const Channels<S>& b, typename S::H f) {
    return {Lerp<S>(a.r, b.r, f), Lerp<S>(a.g, b.g, f), Lerp<S>(a.b, b.b, f)};
}

// The colour plane lanes of a batch step, each from its pixel's own position.
template <class S>
SOFTWARE_PIXEL_INLINE void BatchPlaneLanes(const FixedPlane& plane, const PixelBatch& batch, int i, typename S::I* lo,
                                           typename S::I* hi) {
    alignas(32) int32_t values[MaxStepPixels];
    for (int k = 0; k < S::Pixels; ++k)
        values[k] = static_cast<int32_t>(static_cast<uint32_t>(plane.c) +
                                         static_cast<uint32_t>(plane.dx) * static_cast<uint32_t>(batch.column[i + k]) +
                                         static_cast<uint32_t>(plane.dy) * static_cast<uint32_t>(batch.row[i + k]));
    *lo = S::Load(values);
    *hi = S::Load(values + S::Width);
}

// The diffuse colour of each pixel of a batch: untextured meshes of small triangles (particles,
// distant geometry) hand on a short span nearly every row.
template <class S>
void ShadeUntexturedBatch(const SpanContext& c, const PixelBatch& batch, uint32_t* out) {
    for (int i = 0; i < batch.count; i += S::Pixels) {
        typename S::I r[2], g[2], b[2];
        BatchPlaneLanes<S>(c.red, batch, i, &r[0], &r[1]);
        BatchPlaneLanes<S>(c.green, batch, i, &g[0], &g[1]);
        BatchPlaneLanes<S>(c.blue, batch, i, &b[0], &b[1]);
        StoreRgb<S>({ChannelOf<S>(r[0], r[1]), ChannelOf<S>(g[0], g[1]), ChannelOf<S>(b[0], b[1])}, out + i);
    }
}

// The steps of a span facing the camera (one texel row pair, one 1/w) whose bilinear samples
// can only read black texels, as bits from step 0; 0 when that cannot be told. The texel column
// of the pixels at each step's ends is found by the span's own arithmetic; where the column
// moves one way along the whole span (it does unless the co-ordinate wraps inside it), a step
// whose ends lie on one side of the lit columns of both texel rows lies there whole.
template <class S, Address U, bool Perspective>
SOFTWARE_PIXEL_INLINE uint32_t BlackSteps(const SpanContext& c, int row0, int row1, int column, typename S::F rowS,
                                          typename S::F sdx, typename S::F rowW, typename S::F scaleU, int n) {
    typedef typename S::I Iv;
    const int steps = (n + S::Pixels - 1) / S::Pixels;
    const int16_t* lit0 = c.litColumns + 2 * row0;
    const int16_t* lit1 = c.litColumns + 2 * row1;
    const int first = lit0[0] < lit1[0] ? lit0[0] : lit1[0], last = lit0[1] > lit1[1] ? lit0[1] : lit1[1];
    if (first > last) return (1u << steps) - 1;
    // A bilinear pair from column k reads k and k + 1; wrapping pairs join the last column to
    // the first.
    if (U == Address::Mirror || (U == Address::Wrap && (first == 0 || last == c.textureWidth - 1))) return 0;
    const int low = first - 1, high = last;
    // Each step's first and last pixel; lanes past the span repeat its last pixel.
    // Whole registers of them, however few steps a chunk has.
    constexpr int Points = 2 * Chunk / S::Pixels > S::Width ? 2 * Chunk / S::Pixels : S::Width;
    alignas(32) int32_t points[Points], columns[Points], floors[Points];
    alignas(32) float coordinates[Points];
    for (int k = 0; k < Points; ++k) {
        const int p = k / 2 * S::Pixels + (k & 1) * (S::Pixels - 1);
        points[k] = p < n ? p : n - 1;
    }
    for (int k = 0; k < 2 * steps; k += S::Width) {
        typename S::F u = S::FAdd(rowS, S::FMul(sdx, S::FromInt(S::Add(S::Load(points + k), S::Set(column)))));
        if (Perspective) u = S::FMul(u, rowW);
        S::FStore(coordinates + k, u);
        typename S::F reduced;
        if (U == Address::Wrap) {
            typename S::F whole;
            reduced = Wrap<S>(u, &whole);
            S::Store(floors + k, S::Truncate(whole));
        } else {
            reduced = Reduce<S, U>(u);
        }
        const Iv tx = TexelFixed<S>(reduced, scaleU);
        S::Store(columns + k, S::ShiftRight(tx, 8));
    }
    uint32_t black = 0;
    for (int k = 0; k < steps; ++k) {
        // Infinite and NaN co-ordinates have no order to rely on (x - x is 0 only for finite x).
        const float a0 = coordinates[2 * k], a1 = coordinates[2 * k + 1];
        if (a0 - a0 != 0.0f || a1 - a1 != 0.0f) return 0;
        if (U == Address::Wrap && (floors[2 * k] != floors[0] || floors[2 * k + 1] != floors[0])) return 0;
        const int a = columns[2 * k], b = columns[2 * k + 1];
        if ((a < low && b < low) || (a > high && b > high)) black |= 1u << k;
    }
    return black;
}

// Textures at least two texels wide whose memory 32-bit offsets reach (see
// TextureFitsLanes); others are shaded by the scalar stages. Shades n pixels of one row from
// (column, row) relative to the reference pixel, or the pixels of a batch, each lane at its own
// row. One function serves both (a well-predicted branch a step) so that each combination of
// states is compiled once.
template <class S, ColourFormat F, Filter K, Address U, Address V, bool Perspective>
__attribute__((noinline)) void ShadeTexturedSteps(const SpanContext& c, int column, int row, const PixelBatch* batch,
                                                  int n, uint32_t* out) {
    typedef typename S::F Fv;
    typedef typename S::I Iv;
    const bool batched = batch != nullptr;
    const Fv rowS = S::FSet(c.s.at + c.s.dy * static_cast<float>(row));
    const Fv rowT = S::FSet(c.t.at + c.t.dy * static_cast<float>(row));
    const Fv rowQ = S::FSet(c.q.at + c.q.dy * static_cast<float>(row));
    const Fv sdx = S::FSet(c.s.dx), tdx = S::FSet(c.t.dx), qdx = S::FSet(c.q.dx);
    const Iv width = S::Set(c.textureWidth), height = S::Set(c.textureHeight);
    const Fv scaleU = S::FSet(static_cast<float>(K == Filter::Point ? c.textureWidth : c.textureWidth * 256));
    const Fv scaleV = S::FSet(static_cast<float>(K == Filter::Point ? c.textureHeight : c.textureHeight * 256));
    const Iv byte = S::Set(255);
    // A billboard facing the camera has one 1/w at every corner, an unlit triangle full white at
    // every pixel: then the division is made once and the modulation left out, to the same result.
    const bool constantQ = Perspective && c.q.dx == 0.0f && c.q.dy == 0.0f && c.q.at != 0.0f;
    const Fv rowW = constantQ ? S::FDiv(S::FSet(1.0f), rowQ) : S::FSet(0.0f);
    const bool white = IsFullWhite(c.red) && IsFullWhite(c.green) && IsFullWhite(c.blue);
    // A row's colour lanes step along it; a batch's are found per step, an unlit triangle needs none.
    const bool stepPlanes = !white && !batched;
    // A billboard facing the camera also has v the same along each row (t's step along a row
    // is 0 and 1/w is the same everywhere): its texel rows and vertical weight are found once.
    const bool rowConstant = !batched && K == Filter::Linear && c.t.dx == 0.0f && (!Perspective || constantQ);
    int rowJ0 = 0, rowJ1 = 0;
    Iv rowFy = S::Set(0);
    if (rowConstant) {
        const Fv v = Reduce<S, V>(Perspective ? S::FMul(rowT, rowW) : rowT);
        const Iv ty = TexelFixed<S>(v, scaleV);
        const Iv row0 = S::ShiftRight(ty, 8);
        rowJ0 = S::First(FixBelow<S, V>(row0, height));
        rowJ1 = S::First(FixAbove<S, V>(S::Add(row0, S::Set(1)), height));
        rowFy = S::And(ty, byte);
    }
    const TextureRow texelRow0(c, rowJ0), texelRow1(c, rowJ1);
    // Steps at the span's ends that can only sample black shade black without sampling.
    int begin = 0, end = n;
    if (rowConstant && c.litColumns) {
        const int steps = (n + S::Pixels - 1) / S::Pixels;
        const uint32_t black = BlackSteps<S, U, Perspective>(c, rowJ0, rowJ1, column, rowS, sdx, rowW, scaleU, n);
        int first = 0, last = steps;
        while (first < last && (black >> first & 1)) ++first;
        while (last > first && (black >> (last - 1) & 1)) --last;
        begin = first * S::Pixels;
        end = last * S::Pixels < n ? last * S::Pixels : n;
        for (int i = 0; i < steps * S::Pixels; i += S::Pixels) {
            if (i >= begin && i < end) continue;
            S::Store(out + i, S::Set(0));
            S::Store(out + i + S::Width, S::Set(0));
        }
    }
    // Every lane's texel co-ordinates first, in a loop of arithmetic alone, then the reads: each
    // step's division and rounding no longer stand between the previous step's reads and its own.
    // Bilinear lanes also get the byte offsets of their texels' first columns in both rows, for
    // the registers whose second columns all follow their first (the usual case). Not with four
    // lanes a register, where the extra work outweighs the reads it saves (SSE2 drew 5% slower).
    constexpr bool offsetsAhead = S::Width >= 8;
    constexpr int Room = Chunk + 2 * MaxStepPixels;
    alignas(64) int32_t columns[Room], rows[Room];
    alignas(64) uint32_t offsets0[Room], offsets1[Room];
    uint64_t following = 0;
    static_assert(Room / S::Width <= 64, "a bit for each register of a span");
    constexpr int Bytes = F == ColourFormat::X8R8G8B8 ? 4 : 2;
    for (int at = begin; at < end; at += S::Width) {
        Fv offset, rs = rowS, rt = rowT, rq = rowQ;
        if (batched) {
            // The scalar stage's order: at + dy x row first, then dx x column added.
            offset = S::FromInt(S::Load(batch->column + at));
            const Fv rowsAt = S::FromInt(S::Load(batch->row + at));
            rs = S::FAdd(S::FSet(c.s.at), S::FMul(S::FSet(c.s.dy), rowsAt));
            rt = S::FAdd(S::FSet(c.t.at), S::FMul(S::FSet(c.t.dy), rowsAt));
            if (Perspective && !constantQ) rq = S::FAdd(S::FSet(c.q.at), S::FMul(S::FSet(c.q.dy), rowsAt));
        } else {
            offset = S::FromInt(S::Add(S::Set(column + at), S::Lanes()));
        }
        Fv u = S::FAdd(rs, S::FMul(sdx, offset));
        if (rowConstant) {
            if (Perspective) u = S::FMul(u, rowW);
            S::Store(columns + at, TexelFixed<S>(Reduce<S, U>(u), scaleU));
            continue;
        }
        Fv v = S::FAdd(rt, S::FMul(tdx, offset));
        if (Perspective) {
            Fv w = rowW;
            if (!constantQ) w = S::FDiv(S::FSet(1.0f), S::FAdd(rq, S::FMul(qdx, offset)));
            u = S::FMul(u, w);
            v = S::FMul(v, w);
        }
        u = Reduce<S, U>(u);
        v = Reduce<S, V>(v);
        if (K == Filter::Point) {
            S::Store(columns + at, S::Truncate(S::FMul(u, scaleU)));
            S::Store(rows + at, S::Truncate(S::FMul(v, scaleV)));
        } else {
            const Iv tx = TexelFixed<S>(u, scaleU), ty = TexelFixed<S>(v, scaleV);
            S::Store(columns + at, tx);
            S::Store(rows + at, ty);
            if (!offsetsAhead) continue;
            const Iv column0 = S::ShiftRight(tx, 8), row0 = S::ShiftRight(ty, 8);
            const Iv i0 = FixBelow<S, U>(column0, width), i1 = FixAbove<S, U>(S::Add(column0, S::Set(1)), width);
            if (!S::All(S::Equal(i1, S::Add(i0, S::Set(1))))) continue;
            following |= uint64_t(1) << (at / S::Width);
            const Iv j0 = FixBelow<S, V>(row0, height), j1 = FixAbove<S, V>(S::Add(row0, S::Set(1)), height);
            const Iv byteColumn = S::ShiftLeft(i0, Bytes == 4 ? 2 : 1);
            S::Store(reinterpret_cast<int32_t*>(offsets0 + at), S::WordOffsets(c.texelPitch, j0, byteColumn));
            S::Store(reinterpret_cast<int32_t*>(offsets1 + at), S::WordOffsets(c.texelPitch, j1, byteColumn));
        }
    }
    PlaneLanes<S> r, g, b;
    if (stepPlanes) {
        r = PlaneLanes<S>(c.red, column + begin, row);
        g = PlaneLanes<S>(c.green, column + begin, row);
        b = PlaneLanes<S>(c.blue, column + begin, row);
    }

    for (int i = begin; i < end; i += S::Pixels) {
        if (stepPlanes && i > begin) {
            r.Advance();
            g.Advance();
            b.Advance();
        }
        Iv t00[2], t01[2], t10[2], t11[2], fx[2], fy[2];
        // A step that ends inside its first register leaves the second one's lanes unread:
        // short spans are the common case in dense meshes.
        const int halves = end - i > S::Width ? 2 : 1;
        if (halves == 1) t00[1] = t01[1] = t10[1] = t11[1] = fx[1] = fy[1] = S::Set(0);
        for (int half = 0; half < halves; ++half) {
            const int at = i + half * S::Width;
            if (rowConstant) {
                const Iv tx = S::Load(columns + at);
                const Iv column0 = S::ShiftRight(tx, 8);
                const Iv i0 = FixBelow<S, U>(column0, width), i1 = FixAbove<S, U>(S::Add(column0, S::Set(1)), width);
                FetchTexelsInRow<S, F>(c, texelRow0, i0, i1, &t00[half], &t01[half]);
                FetchTexelsInRow<S, F>(c, texelRow1, i0, i1, &t10[half], &t11[half]);
                fx[half] = S::And(tx, byte);
                fy[half] = rowFy;
                continue;
            }
            if (K == Filter::Point) {
                const Iv texelColumn = FixAbove<S, U>(S::Load(columns + at), width);
                const Iv texelRow = FixAbove<S, V>(S::Load(rows + at), height);
                t00[half] = FetchTexel<S, F>(c, texelRow, texelColumn);
            } else {
                const Iv tx = S::Load(columns + at), ty = S::Load(rows + at);
                if (following >> (at / S::Width) & 1) {
                    if (Bytes == 4) {
                        t00[half] = S::LoadWordsAt(c.texels, offsets0 + at);
                        t01[half] = S::LoadWordsAt(c.texels + 4, offsets0 + at);
                        t10[half] = S::LoadWordsAt(c.texels, offsets1 + at);
                        t11[half] = S::LoadWordsAt(c.texels + 4, offsets1 + at);
                    } else {
                        SplitPair<S>(S::LoadWordsAt(c.texels, offsets0 + at), &t00[half], &t01[half]);
                        SplitPair<S>(S::LoadWordsAt(c.texels, offsets1 + at), &t10[half], &t11[half]);
                    }
                } else {
                    const Iv column0 = S::ShiftRight(tx, 8), row0 = S::ShiftRight(ty, 8);
                    const Iv i0 = FixBelow<S, U>(column0, width);
                    const Iv i1 = FixAbove<S, U>(S::Add(column0, S::Set(1)), width);
                    const Iv j0 = FixBelow<S, V>(row0, height), j1 = FixAbove<S, V>(S::Add(row0, S::Set(1)), height);
                    FetchTexels<S, F>(c, j0, i0, i1, &t00[half], &t01[half]);
                    FetchTexels<S, F>(c, j1, i0, i1, &t10[half], &t11[half]);
                }
                fx[half] = S::And(tx, byte);
                fy[half] = S::And(ty, byte);
            }
        }
        // A step whose texels are all black shades black whatever the weights and the diffuse
        // colour; glow textures are black over much of their area.
        Iv any = S::Or(t00[0], t00[1]);
        if (K == Filter::Linear)
            any = S::Or(any, S::Or(S::Or(S::Or(t01[0], t01[1]), S::Or(t10[0], t10[1])), S::Or(t11[0], t11[1])));
        if (S::None(S::And(any, S::Set(ColourBits<F>())))) {
            S::Store(out + i, S::Set(0));
            S::Store(out + i + S::Width, S::Set(0));
            continue;
        }
        Channels<S> texel;
        if (K == Filter::Point) {
            texel = ChannelsOfTexels<S, F>(t00);
        } else {
            const typename S::H fractionX = S::Narrow(fx[0], fx[1]), fractionY = S::Narrow(fy[0], fy[1]);
            const Channels<S> top =
                LerpChannels<S>(ChannelsOfTexels<S, F>(t00), ChannelsOfTexels<S, F>(t01), fractionX);
            const Channels<S> bottom =
                LerpChannels<S>(ChannelsOfTexels<S, F>(t10), ChannelsOfTexels<S, F>(t11), fractionX);
            texel = LerpChannels<S>(top, bottom, fractionY);
        }
        if (white) {
            StoreRgb<S>(texel, out + i);
            continue;
        }
        if (batched) {
            BatchPlaneLanes<S>(c.red, *batch, i, &r.lo, &r.hi);
            BatchPlaneLanes<S>(c.green, *batch, i, &g.lo, &g.hi);
            BatchPlaneLanes<S>(c.blue, *batch, i, &b.lo, &b.hi);
        }
        StoreRgb<S>({MultiplyUnit<S>(texel.r, ChannelOf<S>(r.lo, r.hi)),
                     MultiplyUnit<S>(texel.g, ChannelOf<S>(g.lo, g.hi)),
                     MultiplyUnit<S>(texel.b, ChannelOf<S>(b.lo, b.hi))},
                    out + i);
    }
}

template <class S, ColourFormat F, Filter K, Address U, Address V, bool Perspective>
void ShadeTexturedLanes(const SpanContext& c, int y, int x, int n, uint32_t* out) {
    ShadeTexturedSteps<S, F, K, U, V, Perspective>(c, x - c.referenceX, y - c.referenceY, nullptr, n, out);
}

template <class S, ColourFormat F, Filter K, Address U, Address V, bool Perspective>
void ShadeTexturedBatch(const SpanContext& c, const PixelBatch& batch, uint32_t* out) {
    ShadeTexturedSteps<S, F, K, U, V, Perspective>(c, 0, 0, &batch, batch.count, out);
}

// ---- output ----

template <class S, Blend B>
SOFTWARE_PIXEL_INLINE typename S::H CombineChannel(typename S::H s, typename S::H d) {
    typename S::H value;
    if (B == Blend::Add)
        value = S::HAdd(s, d);
    else if (B == Blend::AddTimesSource)
        value = S::HAdd(s, MultiplyUnit<S>(d, s));
    else
        value = S::HAdd(s, MultiplyUnit<S>(d, S::HSub(S::HSet(255), s)));
    return S::HMin(value, S::HSet(255));
}

template <class S, Blend B>
SOFTWARE_PIXEL_INLINE Channels<S> Combine(const Channels<S>& s, const Channels<S>& d) {
    if (B == Blend::Replace) return s;
    return {CombineChannel<S, B>(s.r, d.r), CombineChannel<S, B>(s.g, d.g), CombineChannel<S, B>(s.b, d.b)};
}

// 8-bit channels to 5-6-5 or 5-5-5 pixels, with the ordered dither when asked for.
template <class S, ColourFormat F, bool Dither>
SOFTWARE_PIXEL_INLINE typename S::H Pack16(const Channels<S>& c, typename S::H threshold) {
    const typename S::H five = Dither ? S::HShiftRight(threshold, 1) : S::HSet(0);
    const typename S::H r5 = S::HMin(S::HShiftRight(S::HAdd(c.r, five), 3), S::HSet(31));
    const typename S::H b5 = S::HMin(S::HShiftRight(S::HAdd(c.b, five), 3), S::HSet(31));
    if (F == ColourFormat::R5G6B5) {
        const typename S::H six = Dither ? S::HShiftRight(threshold, 2) : S::HSet(0);
        const typename S::H g6 = S::HMin(S::HShiftRight(S::HAdd(c.g, six), 2), S::HSet(63));
        return S::HOr(S::HOr(S::HShiftLeft(r5, 11), S::HShiftLeft(g6, 5)), b5);
    }
    const typename S::H g5 = S::HMin(S::HShiftRight(S::HAdd(c.g, five), 3), S::HSet(31));
    return S::HOr(S::HOr(S::HShiftLeft(r5, 10), S::HShiftLeft(g5, 5)), b5);
}

// Whether the blend adds the source and a step's source colours are all black: the target's
// colours stay as they are.
template <class S, Blend B>
SOFTWARE_PIXEL_INLINE bool AddsBlack(const uint32_t* colour) {
    if (B != Blend::Add && B != Blend::AddTimesInverseSource) return false;
    return S::None(S::Or(S::Load(reinterpret_cast<const int32_t*>(colour)),
                         S::Load(reinterpret_cast<const int32_t*>(colour + S::Width))));
}

// A step's new 16-bit pixels: the source colours blended over the old pixels and packed where
// draw is set, the old pixels elsewhere.
template <class S, ColourFormat F, bool Dither, Blend B>
SOFTWARE_PIXEL_INLINE typename S::H Output16Step(typename S::H old, const uint32_t* colour, typename S::H threshold,
                                                 typename S::H draw) {
    // Black added is the old pixel, written again through the dither.
    const Channels<S> blended =
        AddsBlack<S, B>(colour)
            ? Unpack16<S, F>(old)
            : Combine<S, B>(Unpack32<S>(S::Load(reinterpret_cast<const int32_t*>(colour)),
                                        S::Load(reinterpret_cast<const int32_t*>(colour + S::Width))),
                            Unpack16<S, F>(old));
    return S::HSelect(draw, Pack16<S, F, Dither>(blended, threshold), old);
}

// The same for 32-bit pixels, in two registers.
template <class S, Blend B>
SOFTWARE_PIXEL_INLINE void Output32Step(typename S::I* pixels, const uint32_t* colour, typename S::H draw) {
    typename S::I value[2] = {S::Load(reinterpret_cast<const int32_t*>(colour)),
                              S::Load(reinterpret_cast<const int32_t*>(colour + S::Width))};
    if (B != Blend::Replace) {
        const Channels<S> blended = Combine<S, B>(Unpack32<S>(value[0], value[1]), Unpack32<S>(pixels[0], pixels[1]));
        alignas(32) uint32_t packed[MaxStepPixels];
        StoreRgb<S>(blended, packed);
        value[0] = S::Load(reinterpret_cast<const int32_t*>(packed));
        value[1] = S::Load(reinterpret_cast<const int32_t*>(packed + S::Width));
    }
    typename S::I keep[2];
    S::Widen(draw, &keep[0], &keep[1]);
    for (int half = 0; half < 2; ++half)
        pixels[half] = S::Select(S::Equal(keep[half], S::Set(0)), pixels[half], value[half]);
}

// Whether a step leaves the target as it is: black added, unless the dither moves a 16-bit pixel
// as it is written again.
template <class S, Blend B, bool Dither>
SOFTWARE_PIXEL_INLINE bool LeavesTarget(const uint32_t* colour) {
    return !Dither && AddsBlack<S, B>(colour);
}

template <class S, ColourFormat F, bool Dither, Blend B>
void Output16(const SpanContext& c, int y, int x, int n, const uint32_t* colour, const uint8_t* mask) {
    uint8_t* row = c.colour + y * c.colourPitch;
    const int rowPixels = static_cast<int>(c.colourPitch / static_cast<ptrdiff_t>(sizeof(uint16_t)));
    const typename S::H threshold = S::HLoad(ditherLanes.rows[y & 3] + (x & 3));
    for (int i = 0; i < n; i += S::Pixels) {
        if (LeavesTarget<S, B, Dither>(colour + i)) continue;
        const int count = n - i < S::Pixels ? n - i : S::Pixels;
        StepMemory<S, uint16_t> memory(row, x + i, rowPixels, count);
        const typename S::H draw = S::HAnd(S::LoadMask(mask + i), SpanLanes<S>(count));
        S::HStore(memory.Pixels(), Output16Step<S, F, Dither, B>(S::HLoad(memory.Pixels()), colour + i, threshold, draw));
        memory.Finish();
    }
}

template <class S, Blend B>
void Output32(const SpanContext& c, int y, int x, int n, const uint32_t* colour, const uint8_t* mask) {
    uint8_t* row = c.colour + y * c.colourPitch;
    const int rowPixels = static_cast<int>(c.colourPitch / static_cast<ptrdiff_t>(sizeof(uint32_t)));
    for (int i = 0; i < n; i += S::Pixels) {
        if (LeavesTarget<S, B, false>(colour + i)) continue;
        const int count = n - i < S::Pixels ? n - i : S::Pixels;
        StepMemory<S, uint32_t> memory(row, x + i, rowPixels, count);
        int32_t* pixels = reinterpret_cast<int32_t*>(memory.Pixels());
        typename S::I values[2] = {S::Load(pixels), S::Load(pixels + S::Width)};
        Output32Step<S, B>(values, colour + i, S::HAnd(S::LoadMask(mask + i), SpanLanes<S>(count)));
        S::Store(pixels, values[0]);
        S::Store(pixels + S::Width, values[1]);
        memory.Finish();
    }
}

// A batch step's pixels gathered from a surface (the target or the depth buffer, from its
// pixel (0, 0)) into lanes and scattered back: lanes past the batch read its last pixel and are
// not written; lanes not drawn write their own value.
template <class S, class T>
class BatchMemory {
public:
    BatchMemory(const SpanContext& c, uint8_t* surface, ptrdiff_t pitch, const PixelBatch& batch, int i)
        : count(batch.count - i) {
        uint8_t* origin = surface + c.referenceY * pitch + c.referenceX * static_cast<ptrdiff_t>(sizeof(T));
        for (int k = 0; k < S::Pixels; ++k) {
            at[k] = origin + batch.row[i + k] * pitch + batch.column[i + k] * static_cast<ptrdiff_t>(sizeof(T));
            std::memcpy(&pixels[k], at[k], sizeof(T));
        }
    }
    T* Pixels() { return pixels; }
    void Finish() {
        for (int k = 0; k < S::Pixels && k < count; ++k) std::memcpy(at[k], &pixels[k], sizeof(T));
    }

private:
    int count;
    uint8_t* at[MaxStepPixels];
    alignas(32) T pixels[MaxStepPixels];
};

// The dither threshold of each pixel of a batch step, looked up by (row & 3) x 4 + (column & 3).
template <class S>
SOFTWARE_PIXEL_INLINE typename S::H BatchThresholds(const SpanContext& c, const PixelBatch& batch, int i) {
    typename S::I index[2];
    for (int h = 0; h < 2; ++h) {
        const typename S::I x = S::Add(S::Load(batch.column + i + h * S::Width), S::Set(c.referenceX));
        const typename S::I y = S::Add(S::Load(batch.row + i + h * S::Width), S::Set(c.referenceY));
        index[h] = S::Or(S::ShiftLeft(S::And(y, S::Set(3)), 2), S::And(x, S::Set(3)));
    }
    return S::HLookup16(&DitherThresholds[0][0], S::Narrow(index[0], index[1]));
}

template <class S, ColourFormat F, bool Dither, Blend B>
void Output16Batch(const SpanContext& c, const PixelBatch& batch, const uint32_t* colour, const uint8_t* mask) {
    for (int i = 0; i < batch.count; i += S::Pixels) {
        BatchMemory<S, uint16_t> memory(c, c.colour, c.colourPitch, batch, i);
        const typename S::H threshold = Dither ? BatchThresholds<S>(c, batch, i) : S::HSet(0);
        const typename S::H draw = S::HAnd(S::LoadMask(mask + i), SpanLanes<S>(batch.count - i));
        S::HStore(memory.Pixels(), Output16Step<S, F, Dither, B>(S::HLoad(memory.Pixels()), colour + i, threshold, draw));
        memory.Finish();
    }
}

template <class S, Blend B>
void Output32Batch(const SpanContext& c, const PixelBatch& batch, const uint32_t* colour, const uint8_t* mask) {
    for (int i = 0; i < batch.count; i += S::Pixels) {
        BatchMemory<S, uint32_t> memory(c, c.colour, c.colourPitch, batch, i);
        int32_t* pixels = reinterpret_cast<int32_t*>(memory.Pixels());
        typename S::I values[2] = {S::Load(pixels), S::Load(pixels + S::Width)};
        Output32Step<S, B>(values, colour + i, S::HAnd(S::LoadMask(mask + i), SpanLanes<S>(batch.count - i)));
        S::Store(pixels, values[0]);
        S::Store(pixels + S::Width, values[1]);
        memory.Finish();
    }
}

// ---- selection ----

// A textured kernel along spans and its batch form.
struct TexturedShading {
    ShadeStage span;
    BatchShadeStage batch;
};

template <class S, ColourFormat F, Filter K, Address U, Address V>
TexturedShading ShadeWithPerspective(bool perspective) {
    if (perspective) return {ShadeTexturedLanes<S, F, K, U, V, true>, ShadeTexturedBatch<S, F, K, U, V, true>};
    return {ShadeTexturedLanes<S, F, K, U, V, false>, ShadeTexturedBatch<S, F, K, U, V, false>};
}

template <class S, ColourFormat F, Filter K, Address U>
TexturedShading ShadeWithAddressV(Address v, bool perspective) {
    switch (v) {
    case Address::Wrap: return ShadeWithPerspective<S, F, K, U, Address::Wrap>(perspective);
    case Address::Mirror: return ShadeWithPerspective<S, F, K, U, Address::Mirror>(perspective);
    default: return ShadeWithPerspective<S, F, K, U, Address::Clamp>(perspective);
    }
}

template <class S, ColourFormat F, Filter K>
TexturedShading ShadeWithAddressU(Address u, Address v, bool perspective) {
    switch (u) {
    case Address::Wrap: return ShadeWithAddressV<S, F, K, Address::Wrap>(v, perspective);
    case Address::Mirror: return ShadeWithAddressV<S, F, K, Address::Mirror>(v, perspective);
    default: return ShadeWithAddressV<S, F, K, Address::Clamp>(v, perspective);
    }
}

template <class S, ColourFormat F>
TexturedShading ShadeWithFilter(Filter filter, Address u, Address v, bool perspective) {
    return filter == Filter::Point ? ShadeWithAddressU<S, F, Filter::Point>(u, v, perspective)
                                   : ShadeWithAddressU<S, F, Filter::Linear>(u, v, perspective);
}

template <class S>
TexturedShading ShadeWithTexture(ColourFormat texture, Filter filter, Address u, Address v, bool perspective) {
    switch (texture) {
    case ColourFormat::R5G6B5: return ShadeWithFilter<S, ColourFormat::R5G6B5>(filter, u, v, perspective);
    case ColourFormat::X1R5G5B5: return ShadeWithFilter<S, ColourFormat::X1R5G5B5>(filter, u, v, perspective);
    case ColourFormat::X8R8G8B8: return ShadeWithFilter<S, ColourFormat::X8R8G8B8>(filter, u, v, perspective);
    default: return {ShadeUntexturedLanes<S>, ShadeUntexturedBatch<S>};
    }
}

// The 16-bit depth test of a batch's pixels, each lane at its own position, as
// LessEqualDepth16 makes it along a span. Pixels of one triangle are distinct, so each lane
// reads and writes a depth of its own.
template <class S, bool Write>
int LessEqualDepth16Batch(const SpanContext& c, const PixelBatch& batch, uint8_t* mask) {
    int passed = 0;
    for (int i = 0; i < batch.count; i += S::Pixels) {
        BatchMemory<S, uint16_t> memory(c, c.depth, c.depthPitch, batch, i);
        const typename S::H stored = S::HLoad(memory.Pixels());
        typename S::I lo, hi;
        BatchPlaneLanes<S>(c.z, batch, i, &lo, &hi);
        typename S::H value;
        const typename S::H pass = DepthPasses16<S>(lo, hi, stored, batch.count - i, &value);
        passed += S::StoreMask(pass, mask + i);
        if (Write) {
            S::HStore(memory.Pixels(), S::HSelect(pass, value, stored));
            memory.Finish();
        }
    }
    return passed;
}

// An output kernel along spans and its batch form.
struct OutputKernels {
    OutputStage span;
    BatchOutputStage batch;
};

template <class S, ColourFormat F, bool Dither>
OutputKernels Output16WithBlend(Blend blend) {
    switch (blend) {
    case Blend::Replace: return {Output16<S, F, Dither, Blend::Replace>, Output16Batch<S, F, Dither, Blend::Replace>};
    case Blend::Add: return {Output16<S, F, Dither, Blend::Add>, Output16Batch<S, F, Dither, Blend::Add>};
    case Blend::AddTimesSource:
        return {Output16<S, F, Dither, Blend::AddTimesSource>, Output16Batch<S, F, Dither, Blend::AddTimesSource>};
    default:
        return {Output16<S, F, Dither, Blend::AddTimesInverseSource>,
                Output16Batch<S, F, Dither, Blend::AddTimesInverseSource>};
    }
}

template <class S>
OutputKernels OutputWithTarget(ColourFormat target, bool dither, Blend blend) {
    switch (target) {
    case ColourFormat::R5G6B5:
        return dither ? Output16WithBlend<S, ColourFormat::R5G6B5, true>(blend)
                      : Output16WithBlend<S, ColourFormat::R5G6B5, false>(blend);
    case ColourFormat::X1R5G5B5:
        return dither ? Output16WithBlend<S, ColourFormat::X1R5G5B5, true>(blend)
                      : Output16WithBlend<S, ColourFormat::X1R5G5B5, false>(blend);
    default:
        switch (blend) {
        case Blend::Replace: return {Output32<S, Blend::Replace>, Output32Batch<S, Blend::Replace>};
        case Blend::Add: return {Output32<S, Blend::Add>, Output32Batch<S, Blend::Add>};
        case Blend::AddTimesSource: return {Output32<S, Blend::AddTimesSource>, Output32Batch<S, Blend::AddTimesSource>};
        default: return {Output32<S, Blend::AddTimesInverseSource>, Output32Batch<S, Blend::AddTimesInverseSource>};
        }
    }
}

template <class S>
struct LaneStages {
    static DepthStage Depth(DepthFormat format, bool test, bool write) {
        if (!test) return nullptr;
        if (format == DepthFormat::Z16) return write ? LessEqualDepth16<S, true> : LessEqualDepth16<S, false>;
        if (format == DepthFormat::Z32) return write ? LessEqualDepth32<S, true> : LessEqualDepth32<S, false>;
        return nullptr;
    }

    static ShadeStage Shade(ColourFormat texture, Filter filter, Address u, Address v, bool perspective) {
        return ShadeWithTexture<S>(texture, filter, u, v, perspective).span;
    }

    static BatchShadeStage BatchShade(ColourFormat texture, Filter filter, Address u, Address v, bool perspective) {
        return ShadeWithTexture<S>(texture, filter, u, v, perspective).batch;
    }

    static OutputStage Output(ColourFormat target, bool dither, Blend blend) {
        return OutputWithTarget<S>(target, dither, blend).span;
    }

    static BatchOutputStage BatchOutput(ColourFormat target, bool dither, Blend blend) {
        return OutputWithTarget<S>(target, dither, blend).batch;
    }

    static BatchDepthStage BatchDepth(DepthFormat format, bool test, bool write) {
        if (!test || format != DepthFormat::Z16) return nullptr;  // 32-bit depth does not fit the lanes
        return write ? LessEqualDepth16Batch<S, true> : LessEqualDepth16Batch<S, false>;
    }
};

}  // namespace

}  // namespace software
