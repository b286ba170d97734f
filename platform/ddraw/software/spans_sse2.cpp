// The vector stages in SSE2, which every x86-64 processor has: four 32-bit or eight 16-bit
// lanes a register, eight pixels a step.
#include <emmintrin.h>

#include "ddraw/software/spans_simd.h"

namespace software {

namespace {

struct Sse2 {
    static constexpr int Width = 4;
    static constexpr int Pixels = 8;
    typedef __m128 F;
    typedef __m128i I;
    typedef __m128i H;

    static SOFTWARE_PIXEL_INLINE F FSet(float v) { return _mm_set1_ps(v); }
    static SOFTWARE_PIXEL_INLINE F FAdd(F a, F b) { return _mm_add_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FSub(F a, F b) { return _mm_sub_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FMul(F a, F b) { return _mm_mul_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FDiv(F a, F b) { return _mm_div_ps(a, b); }
    // a < b ? a : b and a > b ? a : b, NaN in a giving b, as the scalar selects do.
    static SOFTWARE_PIXEL_INLINE F FMin(F a, F b) { return _mm_min_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FMax(F a, F b) { return _mm_max_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FGreater(F a, F b) { return _mm_cmpgt_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FSelect(F mask, F a, F b) {
        return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
    }
    static constexpr bool RoundsDown = false;  // rounding to an integer needs SSE4.1
    static SOFTWARE_PIXEL_INLINE F FromInt(I a) { return _mm_cvtepi32_ps(a); }
    static SOFTWARE_PIXEL_INLINE I Truncate(F a) { return _mm_cvttps_epi32(a); }

    static SOFTWARE_PIXEL_INLINE I Set(int32_t v) { return _mm_set1_epi32(v); }
    // start + step x lane, in wrapping arithmetic.
    static SOFTWARE_PIXEL_INLINE I Ramp(uint32_t start, uint32_t step) {
        return _mm_setr_epi32(static_cast<int32_t>(start), static_cast<int32_t>(start + step),
                              static_cast<int32_t>(start + 2 * step), static_cast<int32_t>(start + 3 * step));
    }
    // 0, 1, 2, ... in the lanes.
    static SOFTWARE_PIXEL_INLINE I Lanes() { return _mm_setr_epi32(0, 1, 2, 3); }
    static SOFTWARE_PIXEL_INLINE I Add(I a, I b) { return _mm_add_epi32(a, b); }
    static SOFTWARE_PIXEL_INLINE I Sub(I a, I b) { return _mm_sub_epi32(a, b); }
    static SOFTWARE_PIXEL_INLINE I And(I a, I b) { return _mm_and_si128(a, b); }
    static SOFTWARE_PIXEL_INLINE I Or(I a, I b) { return _mm_or_si128(a, b); }
    static SOFTWARE_PIXEL_INLINE I Xor(I a, I b) { return _mm_xor_si128(a, b); }
    static SOFTWARE_PIXEL_INLINE I ShiftRight(I a, int n) { return _mm_srai_epi32(a, n); }
    static SOFTWARE_PIXEL_INLINE I ShiftRightLogical(I a, int n) { return _mm_srli_epi32(a, n); }
    static SOFTWARE_PIXEL_INLINE I ShiftLeft(I a, int n) { return _mm_slli_epi32(a, n); }
    static SOFTWARE_PIXEL_INLINE I Greater(I a, I b) { return _mm_cmpgt_epi32(a, b); }
    static SOFTWARE_PIXEL_INLINE I Equal(I a, I b) { return _mm_cmpeq_epi32(a, b); }
    static SOFTWARE_PIXEL_INLINE I Select(I mask, I a, I b) {
        return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
    }
    static SOFTWARE_PIXEL_INLINE I Load(const int32_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    static SOFTWARE_PIXEL_INLINE void FStore(float* p, F a) { _mm_storeu_ps(p, a); }
    static SOFTWARE_PIXEL_INLINE void Store(int32_t* p, I a) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a); }
    static SOFTWARE_PIXEL_INLINE void Store(uint32_t* p, I a) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a); }

    // 32-bit lanes of two registers to 16-bit lanes of one, saturating to -32768..32767.
    static SOFTWARE_PIXEL_INLINE H Narrow(I lo, I hi) { return _mm_packs_epi32(lo, hi); }
    // The same for values 0..65535.
    static SOFTWARE_PIXEL_INLINE H NarrowUnsigned(I lo, I hi) {
        const I bias = _mm_set1_epi32(32768);
        return _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(lo, bias), _mm_sub_epi32(hi, bias)), _mm_set1_epi16(-32768));
    }
    static SOFTWARE_PIXEL_INLINE void Widen(H a, I* lo, I* hi) {
        *lo = _mm_unpacklo_epi16(a, _mm_setzero_si128());
        *hi = _mm_unpackhi_epi16(a, _mm_setzero_si128());
    }

    static SOFTWARE_PIXEL_INLINE H HSet(int v) { return _mm_set1_epi16(static_cast<int16_t>(v)); }
    static SOFTWARE_PIXEL_INLINE H HAdd(H a, H b) { return _mm_add_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HSub(H a, H b) { return _mm_sub_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HMul(H a, H b) { return _mm_mullo_epi16(a, b); }
    // The high 16 bits of the unsigned product. (The rounded signed product needs SSSE3.)
    static SOFTWARE_PIXEL_INLINE H HMulHigh(H a, H b) { return _mm_mulhi_epu16(a, b); }
    static constexpr bool RoundsProductHigh = false;
    static SOFTWARE_PIXEL_INLINE H HShiftRight(H a, int n) { return _mm_srli_epi16(a, n); }
    static SOFTWARE_PIXEL_INLINE H HShiftLeft(H a, int n) { return _mm_slli_epi16(a, n); }
    static SOFTWARE_PIXEL_INLINE H HAnd(H a, H b) { return _mm_and_si128(a, b); }
    static SOFTWARE_PIXEL_INLINE H HOr(H a, H b) { return _mm_or_si128(a, b); }
    // Signed: the stages only compare values below 32768.
    static SOFTWARE_PIXEL_INLINE H HMin(H a, H b) { return _mm_min_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HMax(H a, H b) { return _mm_max_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HEqual(H a, H b) { return _mm_cmpeq_epi16(a, b); }
    // a - b as unsigned values, 0 where b is the greater.
    static SOFTWARE_PIXEL_INLINE H HSubtractSaturating(H a, H b) { return _mm_subs_epu16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HNot(H a) { return _mm_xor_si128(a, _mm_set1_epi32(-1)); }
    static SOFTWARE_PIXEL_INLINE H HSelect(H mask, H a, H b) { return Select(mask, a, b); }
    // table[index] in each 16-bit lane, for indices 0..15 (a byte shuffle needs SSSE3).
    static SOFTWARE_PIXEL_INLINE H HLookup16(const uint8_t* table, H index) {
        alignas(16) uint16_t lanes[Pixels];
        _mm_store_si128(reinterpret_cast<__m128i*>(lanes), index);
        for (uint16_t& lane : lanes) lane = table[lane];
        return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
    }
    static SOFTWARE_PIXEL_INLINE H HLoad(const uint16_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    static SOFTWARE_PIXEL_INLINE void HStore(uint16_t* p, H a) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a); }

    // The 32-bit word at base + row x pitch + byteColumn for each lane.
    static SOFTWARE_PIXEL_INLINE I GatherWords(const uint8_t* base, ptrdiff_t pitch, I row, I byteColumn) {
        alignas(16) uint32_t offsets[Width];
        _mm_store_si128(reinterpret_cast<__m128i*>(offsets), WordOffsets(pitch, row, byteColumn));
        return LoadWordsAt(base, offsets);
    }
    // SSE2 multiplies only the even lanes into 64 bits: the odd ones are shifted down to them.
    static SOFTWARE_PIXEL_INLINE I WordOffsets(ptrdiff_t pitch, I row, I byteColumn) {
        const __m128i times = _mm_set1_epi32(static_cast<int32_t>(pitch));
        const __m128i even = _mm_mul_epu32(row, times), odd = _mm_mul_epu32(_mm_srli_epi64(row, 32), times);
        const __m128i rowStart = _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                                                    _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
        return _mm_add_epi32(rowStart, byteColumn);
    }
    // The 32-bit word at base + each of Width byte offsets.
    static SOFTWARE_PIXEL_INLINE I LoadWordsAt(const uint8_t* base, const uint32_t* offsets) {
        alignas(16) int32_t words[Width];
        for (int k = 0; k < Width; ++k) words[k] = WordAt(base, offsets[k]);
        return _mm_load_si128(reinterpret_cast<const __m128i*>(words));
    }
    // Whether every lane of a 32-bit mask is set; whether no bit at all is.
    static SOFTWARE_PIXEL_INLINE bool All(I mask) { return _mm_movemask_epi8(mask) == 0xFFFF; }
    static SOFTWARE_PIXEL_INLINE bool None(I a) {
        return _mm_movemask_epi8(_mm_cmpeq_epi8(a, _mm_setzero_si128())) == 0xFFFF;
    }
    // The first and the last lane.
    static SOFTWARE_PIXEL_INLINE int32_t First(I a) { return _mm_cvtsi128_si32(a); }
    static SOFTWARE_PIXEL_INLINE int32_t Last(I a) { return _mm_cvtsi128_si32(_mm_shuffle_epi32(a, 0xFF)); }
    // SSE2 has no variable permute of words.
    static constexpr bool PermutesWords = false;

    // A step's mask bytes (non-zero: draw) as 16-bit lanes of all ones or zero.
    static SOFTWARE_PIXEL_INLINE H LoadMask(const uint8_t* bytes) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i wide = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes)), zero);
        return HNot(_mm_cmpeq_epi16(wide, zero));
    }
    // Writes a step's mask as bytes 0 or 1; returns how many lanes are set.
    static SOFTWARE_PIXEL_INLINE int StoreMask(H mask, uint8_t* bytes) {
        const __m128i narrow = _mm_packs_epi16(mask, _mm_setzero_si128());
        _mm_storel_epi64(reinterpret_cast<__m128i*>(bytes), _mm_and_si128(narrow, _mm_set1_epi8(1)));
        return __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(narrow)) & 0xFFu);
    }
    // Lanes below count set.
    static SOFTWARE_PIXEL_INLINE H LanesBelow(int count) {
        return _mm_cmpgt_epi16(_mm_set1_epi16(static_cast<int16_t>(count)), _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7));
    }
};

}  // namespace

extern const LaneStageTable sse2Stages = {LaneStages<Sse2>::Depth, LaneStages<Sse2>::Shade, LaneStages<Sse2>::BatchShade,
                                    LaneStages<Sse2>::Output, LaneStages<Sse2>::BatchOutput,
                                    LaneStages<Sse2>::BatchDepth};

}  // namespace software
