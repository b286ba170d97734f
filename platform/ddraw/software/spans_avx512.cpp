// The vector stages in AVX-512 (the foundation with its byte and word, doubleword and quadword,
// and 128/256-bit forms), used only where the processor has it: sixteen 32-bit or thirty-two
// 16-bit lanes a register, thirty-two pixels a step. This unit alone is compiled for AVX-512.
//
// The kernels select with masks held in vector lanes (all ones or zero), as the narrower sets
// do. Here a 32-bit compare gives a mask register that becomes lanes only where a kernel uses it
// as one: a select or a test straight after the compare keeps to the mask register.
#include <immintrin.h>

#include "ddraw/software/spans_simd.h"

namespace software {

namespace {

struct Avx512 {
    static constexpr int Width = 16;
    static constexpr int Pixels = 32;
    typedef __m512 F;
    typedef __m512i I;
    typedef __m512i H;

    // A compare's result: a mask register, as lanes of all ones or zero where it is taken as one.
    struct Mask {
        __mmask16 bits;
        SOFTWARE_PIXEL_INLINE operator I() const { return _mm512_movm_epi32(bits); }
    };

    static SOFTWARE_PIXEL_INLINE __mmask16 Lanes32(I mask) { return _mm512_movepi32_mask(mask); }
    static SOFTWARE_PIXEL_INLINE __mmask32 Lanes16(H mask) { return _mm512_movepi16_mask(mask); }

    static SOFTWARE_PIXEL_INLINE F FSet(float v) { return _mm512_set1_ps(v); }
    static SOFTWARE_PIXEL_INLINE F FAdd(F a, F b) { return _mm512_add_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FSub(F a, F b) { return _mm512_sub_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FMul(F a, F b) { return _mm512_mul_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FDiv(F a, F b) { return _mm512_div_ps(a, b); }
    // a < b ? a : b and a > b ? a : b, NaN in a giving b, as the scalar selects do.
    static SOFTWARE_PIXEL_INLINE F FMin(F a, F b) { return _mm512_min_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FMax(F a, F b) { return _mm512_max_ps(a, b); }
    static SOFTWARE_PIXEL_INLINE F FGreater(F a, F b) {
        return _mm512_castsi512_ps(_mm512_movm_epi32(_mm512_cmp_ps_mask(a, b, _CMP_GT_OQ)));
    }
    static SOFTWARE_PIXEL_INLINE F FSelect(F mask, F a, F b) {
        return _mm512_mask_blend_ps(Lanes32(_mm512_castps_si512(mask)), b, a);
    }
    static constexpr bool RoundsDown = true;
    static SOFTWARE_PIXEL_INLINE F FFloor(F a) {
        return _mm512_roundscale_ps(a, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    }
    static SOFTWARE_PIXEL_INLINE F FromInt(I a) { return _mm512_cvtepi32_ps(a); }
    static SOFTWARE_PIXEL_INLINE I Truncate(F a) { return _mm512_cvttps_epi32(a); }

    static SOFTWARE_PIXEL_INLINE I Set(int32_t v) { return _mm512_set1_epi32(v); }
    // start + step x lane, in wrapping arithmetic.
    static SOFTWARE_PIXEL_INLINE I Ramp(uint32_t start, uint32_t step) {
        return _mm512_add_epi32(_mm512_set1_epi32(static_cast<int32_t>(start)),
                                _mm512_mullo_epi32(_mm512_set1_epi32(static_cast<int32_t>(step)), Lanes()));
    }
    // 0, 1, 2, ... in the lanes.
    static SOFTWARE_PIXEL_INLINE I Lanes() {
        return _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    }
    static SOFTWARE_PIXEL_INLINE I Add(I a, I b) { return _mm512_add_epi32(a, b); }
    static SOFTWARE_PIXEL_INLINE I Sub(I a, I b) { return _mm512_sub_epi32(a, b); }
    static SOFTWARE_PIXEL_INLINE I And(I a, I b) { return _mm512_and_si512(a, b); }
    static SOFTWARE_PIXEL_INLINE I Or(I a, I b) { return _mm512_or_si512(a, b); }
    static SOFTWARE_PIXEL_INLINE I Xor(I a, I b) { return _mm512_xor_si512(a, b); }
    static SOFTWARE_PIXEL_INLINE I ShiftRight(I a, int n) { return _mm512_srai_epi32(a, n); }
    static SOFTWARE_PIXEL_INLINE I ShiftRightLogical(I a, int n) { return _mm512_srli_epi32(a, n); }
    static SOFTWARE_PIXEL_INLINE I ShiftLeft(I a, int n) { return _mm512_slli_epi32(a, n); }
    static SOFTWARE_PIXEL_INLINE Mask Greater(I a, I b) { return {_mm512_cmpgt_epi32_mask(a, b)}; }
    static SOFTWARE_PIXEL_INLINE Mask Equal(I a, I b) { return {_mm512_cmpeq_epi32_mask(a, b)}; }
    static SOFTWARE_PIXEL_INLINE Mask Or(Mask a, Mask b) { return {static_cast<__mmask16>(a.bits | b.bits)}; }
    static SOFTWARE_PIXEL_INLINE I Select(I mask, I a, I b) { return _mm512_mask_blend_epi32(Lanes32(mask), b, a); }
    static SOFTWARE_PIXEL_INLINE I Select(Mask mask, I a, I b) { return _mm512_mask_blend_epi32(mask.bits, b, a); }
    static SOFTWARE_PIXEL_INLINE I Load(const int32_t* p) { return _mm512_loadu_si512(p); }
    static SOFTWARE_PIXEL_INLINE void FStore(float* p, F a) { _mm512_storeu_ps(p, a); }
    static SOFTWARE_PIXEL_INLINE void Store(int32_t* p, I a) { _mm512_storeu_si512(p, a); }
    static SOFTWARE_PIXEL_INLINE void Store(uint32_t* p, I a) { _mm512_storeu_si512(p, a); }

    // The packs work within 128-bit quarters, leaving the 64-bit pieces of the two sources
    // interleaved; this order puts them back.
    static SOFTWARE_PIXEL_INLINE H InOrder(H packed) {
        return _mm512_permutexvar_epi64(_mm512_setr_epi64(0, 2, 4, 6, 1, 3, 5, 7), packed);
    }
    // 32-bit lanes of two registers to 16-bit lanes of one, saturating to -32768..32767.
    static SOFTWARE_PIXEL_INLINE H Narrow(I lo, I hi) { return InOrder(_mm512_packs_epi32(lo, hi)); }
    // The same for values 0..65535.
    static SOFTWARE_PIXEL_INLINE H NarrowUnsigned(I lo, I hi) { return InOrder(_mm512_packus_epi32(lo, hi)); }
    static SOFTWARE_PIXEL_INLINE void Widen(H a, I* lo, I* hi) {
        *lo = _mm512_cvtepu16_epi32(_mm512_castsi512_si256(a));
        *hi = _mm512_cvtepu16_epi32(_mm512_extracti64x4_epi64(a, 1));
    }

    static SOFTWARE_PIXEL_INLINE H HSet(int v) { return _mm512_set1_epi16(static_cast<int16_t>(v)); }
    static SOFTWARE_PIXEL_INLINE H HAdd(H a, H b) { return _mm512_add_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HSub(H a, H b) { return _mm512_sub_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HMul(H a, H b) { return _mm512_mullo_epi16(a, b); }
    // The high 16 bits of the unsigned product; the signed product's bits 15 to 30, rounded.
    static SOFTWARE_PIXEL_INLINE H HMulHigh(H a, H b) { return _mm512_mulhi_epu16(a, b); }
    static constexpr bool RoundsProductHigh = true;
    static SOFTWARE_PIXEL_INLINE H HMulRoundHigh(H a, H b) { return _mm512_mulhrs_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HShiftRight(H a, int n) { return _mm512_srli_epi16(a, n); }
    static SOFTWARE_PIXEL_INLINE H HShiftLeft(H a, int n) { return _mm512_slli_epi16(a, n); }
    static SOFTWARE_PIXEL_INLINE H HAnd(H a, H b) { return _mm512_and_si512(a, b); }
    static SOFTWARE_PIXEL_INLINE H HOr(H a, H b) { return _mm512_or_si512(a, b); }
    // Signed, as in the SSE2 stages: the stages only compare values below 32768.
    static SOFTWARE_PIXEL_INLINE H HMin(H a, H b) { return _mm512_min_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HMax(H a, H b) { return _mm512_max_epi16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HEqual(H a, H b) { return _mm512_movm_epi16(_mm512_cmpeq_epi16_mask(a, b)); }
    // a - b as unsigned values, 0 where b is the greater.
    static SOFTWARE_PIXEL_INLINE H HSubtractSaturating(H a, H b) { return _mm512_subs_epu16(a, b); }
    static SOFTWARE_PIXEL_INLINE H HNot(H a) { return _mm512_xor_si512(a, _mm512_set1_epi32(-1)); }
    static SOFTWARE_PIXEL_INLINE H HSelect(H mask, H a, H b) { return _mm512_mask_blend_epi16(Lanes16(mask), b, a); }
    // table[index] in each 16-bit lane, for a table of 16 bytes and indices 0..15: a byte shuffle
    // within each quarter, the high byte of each lane zeroed by its control's top bit.
    static SOFTWARE_PIXEL_INLINE H HLookup16(const uint8_t* table, H index) {
        const __m512i bytes = _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table)));
        return _mm512_shuffle_epi8(bytes, _mm512_or_si512(index, _mm512_set1_epi16(static_cast<int16_t>(0x8000))));
    }
    static SOFTWARE_PIXEL_INLINE H HLoad(const uint16_t* p) { return _mm512_loadu_si512(p); }
    static SOFTWARE_PIXEL_INLINE void HStore(uint16_t* p, H a) { _mm512_storeu_si512(p, a); }

    // The 32-bit word at base + row x pitch + byteColumn for each lane; the offsets fit 32 bits
    // (see TextureFitsLanes). Sixteen loads into lanes: faster than the gather instruction even
    // on processors whose gathers are quick (AMD's Zen 5).
    static SOFTWARE_PIXEL_INLINE I GatherWords(const uint8_t* base, ptrdiff_t pitch, I row, I byteColumn) {
        alignas(64) uint32_t offsets[Width];
        _mm512_store_si512(offsets, WordOffsets(pitch, row, byteColumn));
        return LoadWordsAt(base, offsets);
    }
    static SOFTWARE_PIXEL_INLINE I WordOffsets(ptrdiff_t pitch, I row, I byteColumn) {
        return _mm512_add_epi32(_mm512_mullo_epi32(row, _mm512_set1_epi32(static_cast<int32_t>(pitch))), byteColumn);
    }
    // The 32-bit word at base + each of Width byte offsets.
    static SOFTWARE_PIXEL_INLINE I LoadWordsAt(const uint8_t* base, const uint32_t* offsets) {
        __m128i quarters[4];
        for (int k = 0; k < 4; ++k) {
            const uint32_t* at = offsets + 4 * k;
            quarters[k] = _mm_cvtsi32_si128(WordAt(base, at[0]));
            quarters[k] = _mm_insert_epi32(quarters[k], WordAt(base, at[1]), 1);
            quarters[k] = _mm_insert_epi32(quarters[k], WordAt(base, at[2]), 2);
            quarters[k] = _mm_insert_epi32(quarters[k], WordAt(base, at[3]), 3);
        }
        const __m256i low = _mm256_inserti128_si256(_mm256_castsi128_si256(quarters[0]), quarters[1], 1);
        const __m256i high = _mm256_inserti128_si256(_mm256_castsi128_si256(quarters[2]), quarters[3], 1);
        return _mm512_inserti64x4(_mm512_castsi256_si512(low), high, 1);
    }
    // Whether every lane of a 32-bit mask is set; whether no bit at all is.
    static SOFTWARE_PIXEL_INLINE bool All(I mask) {
        return _mm512_cmpeq_epi32_mask(mask, _mm512_set1_epi32(-1)) == 0xFFFF;
    }
    static SOFTWARE_PIXEL_INLINE bool None(I mask) { return _mm512_test_epi32_mask(mask, mask) == 0; }
    static SOFTWARE_PIXEL_INLINE bool All(Mask mask) { return mask.bits == 0xFFFF; }
    static SOFTWARE_PIXEL_INLINE bool None(Mask mask) { return mask.bits == 0; }
    // The first and the last lane.
    static SOFTWARE_PIXEL_INLINE int32_t First(I a) { return _mm_cvtsi128_si32(_mm512_castsi512_si128(a)); }
    static SOFTWARE_PIXEL_INLINE int32_t Last(I a) { return _mm_extract_epi32(_mm512_extracti32x4_epi32(a, 3), 3); }
    // The word of table at each lane's index (0..15).
    static constexpr bool PermutesWords = true;
    static SOFTWARE_PIXEL_INLINE I PermuteWords(I table, I index) { return _mm512_permutexvar_epi32(index, table); }

    // A step's mask bytes (non-zero: draw) as 16-bit lanes of all ones or zero.
    static SOFTWARE_PIXEL_INLINE H LoadMask(const uint8_t* bytes) {
        const __m512i wide = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes)));
        return _mm512_movm_epi16(_mm512_test_epi16_mask(wide, wide));
    }
    // Writes a step's mask as bytes 0 or 1; returns how many lanes are set.
    static SOFTWARE_PIXEL_INLINE int StoreMask(H mask, uint8_t* bytes) {
        const __mmask32 set = Lanes16(mask);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(bytes), _mm256_maskz_set1_epi8(set, 1));
        return __builtin_popcount(static_cast<unsigned>(set));
    }
    // Lanes below count set.
    static SOFTWARE_PIXEL_INLINE H LanesBelow(int count) {
        const uint32_t lanes = count >= 32 ? ~0u : (1u << count) - 1;
        return _mm512_movm_epi16(_cvtu32_mask32(lanes));
    }
};

}  // namespace

extern const LaneStageTable avx512Stages = {
    LaneStages<Avx512>::Depth,  LaneStages<Avx512>::Shade,       LaneStages<Avx512>::BatchShade,
    LaneStages<Avx512>::Output, LaneStages<Avx512>::BatchOutput, LaneStages<Avx512>::BatchDepth};

}  // namespace software
