// The vector stages in AVX2, used only where the processor has it: eight 32-bit or sixteen
// 16-bit lanes a register, sixteen pixels a step. This unit alone is compiled for AVX2.
#include <immintrin.h>

#include "ddraw/software/spans_simd.h"

namespace software {

namespace {

struct Avx2 {
    static constexpr int Width = 8;
    static constexpr int Pixels = 16;
    typedef __m256 F;
    typedef __m256i I;
    typedef __m256i H;

    static SOFTWARE_PIXEL_INLINE F FSet(float v) { return _mm256_set1_ps(v); }
    static SOFTWARE_PIXEL_INLINE F FAdd(F a, F b) { return _mm256_add_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FSub(F a, F b) { return _mm256_sub_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FMul(F a, F b) { return _mm256_mul_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FDiv(F a, F b) { return _mm256_div_ps(a, b); }
    // a < b ? a : b and a > b ? a : b, NaN in a giving b, as the scalar selects do.
    static SOFTWARE_PIXEL_INLINE F FMin(F a, F b) { return _mm256_min_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FMax(F a, F b) { return _mm256_max_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FGreater(F a, F b) { return _mm256_cmp_ps(a, b, _CMP_GT_OQ); }
    static SOFTWARE_PIXEL_INLINE F FSelect(F mask, F a, F b) { return _mm256_blendv_ps(b, a, mask); }
    static constexpr bool RoundsDown = true;
    static SOFTWARE_PIXEL_INLINE F FFloor(F a) { return _mm256_floor_ps(a); }
    static SOFTWARE_PIXEL_INLINE F FromInt(I a) { return _mm256_cvtepi32_ps(a); }
    static SOFTWARE_PIXEL_INLINE I Truncate(F a) { return _mm256_cvttps_epi32(a); }

    static SOFTWARE_PIXEL_INLINE I Set(int32_t v) { return _mm256_set1_epi32(v); }
    // start + step x lane, in wrapping arithmetic.
    static SOFTWARE_PIXEL_INLINE I Ramp(uint32_t start, uint32_t step) {
        return _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(start)),
                                _mm256_mullo_epi32(_mm256_set1_epi32(static_cast<int32_t>(step)),
                                                   _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
    }
    // 0, 1, 2, ... in the lanes.
    static SOFTWARE_PIXEL_INLINE I Lanes() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }
    static SOFTWARE_PIXEL_INLINE I Add(I a, I b) { return _mm256_add_epi32(a, b); }
    static SOFTWARE_PIXEL_INLINE I Sub(I a, I b) { return _mm256_sub_epi32(a, b); }
    static SOFTWARE_PIXEL_INLINE I And(I a, I b) { return _mm256_and_si256(a, b); }
    static SOFTWARE_PIXEL_INLINE I Or(I a, I b) { return _mm256_or_si256(a, b); }
    static SOFTWARE_PIXEL_INLINE I Xor(I a, I b) { return _mm256_xor_si256(a, b); }
    static SOFTWARE_PIXEL_INLINE I ShiftRight(I a, int n) { return _mm256_srai_epi32(a, n); }
    static SOFTWARE_PIXEL_INLINE I ShiftRightLogical(I a, int n) { return _mm256_srli_epi32(a, n); }
    static SOFTWARE_PIXEL_INLINE I ShiftLeft(I a, int n) { return _mm256_slli_epi32(a, n); }
    static SOFTWARE_PIXEL_INLINE I Greater(I a, I b) { return _mm256_cmpgt_epi32(a, b); }
    static SOFTWARE_PIXEL_INLINE I Equal(I a, I b) { return _mm256_cmpeq_epi32(a, b); }
    static SOFTWARE_PIXEL_INLINE I Select(I mask, I a, I b) { return _mm256_blendv_epi8(b, a, mask); }
    static SOFTWARE_PIXEL_INLINE I Load(const int32_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    static SOFTWARE_PIXEL_INLINE void FStore(float* p, F a) { _mm256_storeu_ps(p, a); }
    static SOFTWARE_PIXEL_INLINE void Store(int32_t* p, I a) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a); }
    static SOFTWARE_PIXEL_INLINE void Store(uint32_t* p, I a) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a); }

    // 32-bit lanes of two registers to 16-bit lanes of one, saturating to -32768..32767; the
    // packs work within 128-bit halves, so the quarters are put back in order.
    static SOFTWARE_PIXEL_INLINE H Narrow(I lo, I hi) {
        return _mm256_permute4x64_epi64(_mm256_packs_epi32(lo, hi), 0xD8);
    }
    // The same for values 0..65535.
    static SOFTWARE_PIXEL_INLINE H NarrowUnsigned(I lo, I hi) {
        return _mm256_permute4x64_epi64(_mm256_packus_epi32(lo, hi), 0xD8);
    }
    static SOFTWARE_PIXEL_INLINE void Widen(H a, I* lo, I* hi) {
        *lo = _mm256_cvtepu16_epi32(_mm256_castsi256_si128(a));
        *hi = _mm256_cvtepu16_epi32(_mm256_extracti128_si256(a, 1));
    }

    static SOFTWARE_PIXEL_INLINE H HSet(int v) { return _mm256_set1_epi16(static_cast<int16_t>(v)); }
    static SOFTWARE_PIXEL_INLINE H HAdd(H a, H b) { return _mm256_add_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HSub(H a, H b) { return _mm256_sub_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HMul(H a, H b) { return _mm256_mullo_epi16(a, b); }
    // The high 16 bits of the unsigned product; the signed product's bits 15 to 30, rounded.
    static SOFTWARE_PIXEL_INLINE H HMulHigh(H a, H b) { return _mm256_mulhi_epu16(a, b); }
    static constexpr bool RoundsProductHigh = true;
    static SOFTWARE_PIXEL_INLINE H HMulRoundHigh(H a, H b) { return _mm256_mulhrs_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HShiftRight(H a, int n) { return _mm256_srli_epi16(a, n); }
    static SOFTWARE_PIXEL_INLINE H HShiftLeft(H a, int n) { return _mm256_slli_epi16(a, n); }
    static SOFTWARE_PIXEL_INLINE H HAnd(H a, H b) { return _mm256_and_si256(a, b); }
    static SOFTWARE_PIXEL_INLINE H HOr(H a, H b) { return _mm256_or_si256(a, b); }
    // Signed, as in the SSE2 stages: the stages only compare values below 32768.
    static SOFTWARE_PIXEL_INLINE H HMin(H a, H b) { return _mm256_min_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HMax(H a, H b) { return _mm256_max_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HEqual(H a, H b) { return _mm256_cmpeq_epi16(a, b); }
    // a - b as unsigned values, 0 where b is the greater.
    static SOFTWARE_PIXEL_INLINE H HSubtractSaturating(H a, H b) { return _mm256_subs_epu16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HNot(H a) { return _mm256_xor_si256(a, _mm256_set1_epi32(-1)); }
    static SOFTWARE_PIXEL_INLINE H HSelect(H mask, H a, H b) { return _mm256_blendv_epi8(b, a, mask); }
    // table[index] in each 16-bit lane, for a table of 16 bytes and indices 0..15: a byte shuffle
    // within each half, the high byte of each lane zeroed by its control's top bit.
    static SOFTWARE_PIXEL_INLINE H HLookup16(const uint8_t* table, H index) {
        const __m256i bytes = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table)));
        return _mm256_shuffle_epi8(bytes, _mm256_or_si256(index, _mm256_set1_epi16(static_cast<int16_t>(0x8000))));
    }
    static SOFTWARE_PIXEL_INLINE H HLoad(const uint16_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    static SOFTWARE_PIXEL_INLINE void HStore(uint16_t* p, H a) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a);
    }

    // The 32-bit word at base + row x pitch + byteColumn for each lane; the offsets fit 32 bits
    // (see TextureFitsLanes). Eight loads into lanes: on some processors (AMD's Zen 2 and 3) the
    // gather instruction takes several times as long.
    static SOFTWARE_PIXEL_INLINE I GatherWords(const uint8_t* base, ptrdiff_t pitch, I row, I byteColumn) {
        alignas(32) uint32_t offsets[Width];
        _mm256_store_si256(reinterpret_cast<__m256i*>(offsets), WordOffsets(pitch, row, byteColumn));
        return LoadWordsAt(base, offsets);
    }
    static SOFTWARE_PIXEL_INLINE I WordOffsets(ptrdiff_t pitch, I row, I byteColumn) {
        return _mm256_add_epi32(_mm256_mullo_epi32(row, _mm256_set1_epi32(static_cast<int32_t>(pitch))), byteColumn);
    }
    // The 32-bit word at base + each of Width byte offsets.
    static SOFTWARE_PIXEL_INLINE I LoadWordsAt(const uint8_t* base, const uint32_t* offsets) {
        __m128i halves[2];
        for (int k = 0; k < 2; ++k) {
            const uint32_t* at = offsets + 4 * k;
            halves[k] = _mm_cvtsi32_si128(WordAt(base, at[0]));
            halves[k] = _mm_insert_epi32(halves[k], WordAt(base, at[1]), 1);
            halves[k] = _mm_insert_epi32(halves[k], WordAt(base, at[2]), 2);
            halves[k] = _mm_insert_epi32(halves[k], WordAt(base, at[3]), 3);
        }
        return _mm256_inserti128_si256(_mm256_castsi128_si256(halves[0]), halves[1], 1);
    }
    // Whether every lane of a 32-bit mask is set; whether no bit at all is.
    static SOFTWARE_PIXEL_INLINE bool All(I mask) { return _mm256_movemask_epi8(mask) == -1; }
    static SOFTWARE_PIXEL_INLINE bool None(I mask) { return _mm256_testz_si256(mask, mask) != 0; }
    // The first and the last lane.
    static SOFTWARE_PIXEL_INLINE int32_t First(I a) { return _mm256_cvtsi256_si32(a); }
    static SOFTWARE_PIXEL_INLINE int32_t Last(I a) { return _mm256_extract_epi32(a, 7); }
    // The word of table at each lane's index (0..7).
    static constexpr bool PermutesWords = true;
    static SOFTWARE_PIXEL_INLINE I PermuteWords(I table, I index) { return _mm256_permutevar8x32_epi32(table, index); }

    // A step's mask bytes (non-zero: draw) as 16-bit lanes of all ones or zero.
    static SOFTWARE_PIXEL_INLINE H LoadMask(const uint8_t* bytes) {
        const __m256i wide = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)));
        return HNot(_mm256_cmpeq_epi16(wide, _mm256_setzero_si256()));
    }
    // Writes a step's mask as bytes 0 or 1; returns how many lanes are set.
    static SOFTWARE_PIXEL_INLINE int StoreMask(H mask, uint8_t* bytes) {
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi16(mask, _mm256_setzero_si256()), 0xD8);
        const __m128i narrow = _mm256_castsi256_si128(packed);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), _mm_and_si128(narrow, _mm_set1_epi8(1)));
        return __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(narrow)));
    }
    // Lanes below count set.
    static SOFTWARE_PIXEL_INLINE H LanesBelow(int count) {
        return _mm256_cmpgt_epi16(_mm256_set1_epi16(static_cast<int16_t>(count)),
                                  _mm256_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    }
};

}  // namespace

extern const LaneStageTable avx2Stages = {LaneStages<Avx2>::Depth, LaneStages<Avx2>::Shade, LaneStages<Avx2>::BatchShade,
                                    LaneStages<Avx2>::Output, LaneStages<Avx2>::BatchOutput,
                                    LaneStages<Avx2>::BatchDepth};

}  // namespace software
