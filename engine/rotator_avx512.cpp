// AVX-512 kernel of the colour rotation: sixteen target pixels per step,
// decided in single precision and checked against the exact rule.
//
// The source positions are computed exactly as in the scalar code, in
// double: x = ic + js[k] and y = jc[k] - is, their floors fx and fy (a
// negative position gives a negative index, which is uncovered as in the
// scalar rule) and the fractions dx = x - fx and dy = y - fy, which are
// exact in double. The two neighbouring source pixels of each source row
// come in one 8-byte gather.
//
// The blend is then evaluated in single precision, v = p00 w00 + p01 w01 +
// p10 w10 + p11 w11 with w00 = (1-dx)(1-dy), w01 = (1-dx)dy, w10 = dx(1-dy),
// w11 = dx dy formed from dx and dy rounded to float. Its distance from the
// exact real value is bounded: dx and dy are off by at most 2^-25, 1-dx and
// 1-dy by at most 2^-24, each weight by at most 2^-22; with pixel values up
// to 255 the weighted sum is off by at most 1020 x 2^-22 < 2.5e-4, and its
// four roundings (partial sums below 256) add at most 4 x 2^-17 < 4e-5. The
// double arithmetic of the scalar rule is within 1e-11 of the real value.
// So when v lies more than 2^-10 away from the nearest half-integer,
// rounding v to the nearest integer gives the byte that the scalar rule's
// trunc(v + 0.5) gives. Lanes nearer than that (about one value in 500,
// and every exact tie such as 10.5) are recomputed with the scalar rule, as
// are the rare covered lanes whose 8-byte loads would reach past the source
// buffer (the last source row when its rows carry fewer than two bytes of
// padding). Every byte therefore equals the scalar result; the randomised
// tests of the kernels include positions built to land on and next to
// ties.
//
// Built only for x86-64 with GCC or Clang outside Windows (whose ABI does
// not keep 64-byte stack alignment for spilled vectors); chosen at run
// time when the processor has AVX-512 F, BW, DQ and VBMI.
#include "rotator_kernels.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(_WIN32)
#include <immintrin.h>

// GCC 12's AVX-512 headers start some intrinsics from deliberately undefined
// vectors, which its own uninitialised-value analysis then reports.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define SKEWMEND_AVX512 __attribute__((target("avx512f,avx512bw,avx512dq,avx512vbmi,fma")))

namespace Skewmend {

namespace {

// Half-width of the band around a rounding boundary in which the single
// precision result is not trusted.
constexpr float kUnsure = 1.0f / 1024.0f;

// Permutation that moves byte `pixelByte` of the eight 8-byte lanes of the
// first table (target pixels 0-7) and of the second (pixels 8-15) to the
// low byte of the sixteen 32-bit lanes; the other bytes are cleared by the
// mask kLowBytes.
SKEWMEND_AVX512 inline __m512i PickIndex(int pixelByte) {
    alignas(64) uint8_t index[64] = {};
    for (int q = 0; q < 16; ++q) {
        index[4 * q] = static_cast<uint8_t>((q < 8 ? 0 : 64) + 8 * (q % 8) + pixelByte);
    }
    return _mm512_load_si512(index);
}

constexpr __mmask64 kLowBytes = 0x1111111111111111ULL;

// Store mask of the target bytes of the first `count` pixels: all three
// bytes, or byte `channel` of each.
inline __mmask64 StoreMask(int channel, int count) {
    uint64_t mask = 0;
    for (int q = 0; q < count; ++q) {
        mask |= (channel < 0 ? 7ULL : 1ULL << channel) << (3 * q);
    }
    return mask;
}

template <int Channel>
SKEWMEND_AVX512 int32_t RowAvx512(const ColourRowArgs& a) {
    const __m512d ic = _mm512_set1_pd(a.ic);
    const __m512d is = _mm512_set1_pd(a.is);
    const __m512i lastRow = _mm512_set1_epi32(a.lastRow > 0 ? a.lastRow : 0);
    const __m512i lastCol = _mm512_set1_epi32(a.lastCol > 0 ? a.lastCol : 0);
    const __m512i stride = _mm512_set1_epi32(static_cast<int32_t>(a.stride));
    const __m512 one = _mm512_set1_ps(1.0f);
    const __m512 nearHalf = _mm512_set1_ps(0.5f - kUnsure);
    const __m512i fillPixel =
        _mm512_set1_epi32(static_cast<int32_t>(a.fill[0] | (static_cast<uint32_t>(a.fill[1]) << 8) |
                                               (static_cast<uint32_t>(a.fill[2]) << 16)));
    // The largest offset whose 8-byte load in the next source row stays in
    // the buffer; -1 when no lane may load.
    const int64_t lastLoad = static_cast<int64_t>(a.stride) * a.lastRow - 8;
    const __m512i safeEnd = _mm512_set1_epi32(
        lastLoad < 0 ? -1 : static_cast<int32_t>(lastLoad > 0x7FFFFFFF ? 0x7FFFFFFF : lastLoad));

    constexpr int kFirst = Channel < 0 ? 0 : Channel;
    constexpr int kEnd = Channel < 0 ? 3 : Channel + 1;
    __m512i pickLeft[3];
    __m512i pickRight[3];
    for (int ch = kFirst; ch < kEnd; ++ch) {
        pickLeft[ch] = PickIndex(ch);
        pickRight[ch] = PickIndex(3 + ch);
    }
    alignas(64) uint8_t packBytes[64] = {};
    for (int q = 0; q < 16; ++q) {
        for (int b = 0; b < 3; ++b) {
            packBytes[3 * q + b] = static_cast<uint8_t>(4 * q + b);
        }
    }
    const __m512i pack = _mm512_load_si512(packBytes);
    const __mmask64 fullStore = StoreMask(Channel, 16);

    for (int32_t k = 0; k < a.width; k += 16) {
        const int32_t count = a.width - k < 16 ? a.width - k : 16;
        const auto valid = static_cast<__mmask16>((1u << count) - 1);
        const auto validLo = static_cast<__mmask8>(valid);
        const auto validHi = static_cast<__mmask8>(valid >> 8);
        const __m512d x0 = _mm512_add_pd(ic, _mm512_maskz_loadu_pd(validLo, a.js + k));
        const __m512d x1 = _mm512_add_pd(ic, _mm512_maskz_loadu_pd(validHi, a.js + k + 8));
        const __m512d y0 = _mm512_sub_pd(_mm512_maskz_loadu_pd(validLo, a.jc + k), is);
        const __m512d y1 = _mm512_sub_pd(_mm512_maskz_loadu_pd(validHi, a.jc + k + 8), is);
        // Floors (a negative position gives a negative index, which the
        // unsigned comparison below treats as far beyond the source).
        constexpr int kDown = _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC;
        const __m256i fx0 = _mm512_cvt_roundpd_epi32(x0, kDown);
        const __m256i fx1 = _mm512_cvt_roundpd_epi32(x1, kDown);
        const __m256i fy0 = _mm512_cvt_roundpd_epi32(y0, kDown);
        const __m256i fy1 = _mm512_cvt_roundpd_epi32(y1, kDown);
        const __m512i fx = _mm512_inserti64x4(_mm512_castsi256_si512(fx0), fx1, 1);
        const __m512i fy = _mm512_inserti64x4(_mm512_castsi256_si512(fy0), fy1, 1);
        const __mmask16 covered =
            valid & _mm512_cmplt_epu32_mask(fx, lastRow) & _mm512_cmplt_epu32_mask(fy, lastCol);
        uint8_t* out = a.out + 3 * static_cast<int64_t>(k);
        const __mmask64 store = count == 16 ? fullStore : StoreMask(Channel, count);
        if (covered == 0) {
            _mm512_mask_storeu_epi8(out, store, _mm512_permutexvar_epi8(pack, fillPixel));
            continue;
        }

        const __m512i offset = _mm512_add_epi32(_mm512_mullo_epi32(fx, stride),
                                                _mm512_add_epi32(fy, _mm512_add_epi32(fy, fy)));
        const __mmask16 load = covered & _mm512_cmple_epi32_mask(offset, safeEnd);
        const __m256i offsetLo = _mm512_castsi512_si256(offset);
        const __m256i offsetHi = _mm512_extracti64x4_epi64(offset, 1);
        const auto loadLo = static_cast<__mmask8>(load);
        const auto loadHi = static_cast<__mmask8>(load >> 8);
        const __m512i none = _mm512_setzero_si512();
        const uint8_t* below = a.pixels + a.stride;
        const __m512i upLo = _mm512_mask_i32gather_epi64(none, loadLo, offsetLo, a.pixels, 1);
        const __m512i upHi = _mm512_mask_i32gather_epi64(none, loadHi, offsetHi, a.pixels, 1);
        const __m512i downLo = _mm512_mask_i32gather_epi64(none, loadLo, offsetLo, below, 1);
        const __m512i downHi = _mm512_mask_i32gather_epi64(none, loadHi, offsetHi, below, 1);

        // The fractional parts x - floor(x) and y - floor(y), exact in
        // double, then rounded to float.
        constexpr int kFraction = _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC;
        const __m512 dx = _mm512_insertf32x8(
            _mm512_castps256_ps512(_mm512_cvtpd_ps(_mm512_reduce_pd(x0, kFraction))),
            _mm512_cvtpd_ps(_mm512_reduce_pd(x1, kFraction)), 1);
        const __m512 dy = _mm512_insertf32x8(
            _mm512_castps256_ps512(_mm512_cvtpd_ps(_mm512_reduce_pd(y0, kFraction))),
            _mm512_cvtpd_ps(_mm512_reduce_pd(y1, kFraction)), 1);
        const __m512 ax = _mm512_sub_ps(one, dx);
        const __m512 ay = _mm512_sub_ps(one, dy);
        const __m512 w00 = _mm512_mul_ps(ax, ay);
        const __m512 w01 = _mm512_mul_ps(ax, dy);
        const __m512 w10 = _mm512_mul_ps(dx, ay);
        const __m512 w11 = _mm512_mul_ps(dx, dy);

        __m512i result = _mm512_setzero_si512();
        unsigned unsure = 0;
        for (int ch = kFirst; ch < kEnd; ++ch) {
            const __m512 p00 = _mm512_cvtepi32_ps(
                _mm512_maskz_permutex2var_epi8(kLowBytes, upLo, pickLeft[ch], upHi));
            const __m512 p01 = _mm512_cvtepi32_ps(
                _mm512_maskz_permutex2var_epi8(kLowBytes, upLo, pickRight[ch], upHi));
            const __m512 p10 = _mm512_cvtepi32_ps(
                _mm512_maskz_permutex2var_epi8(kLowBytes, downLo, pickLeft[ch], downHi));
            const __m512 p11 = _mm512_cvtepi32_ps(
                _mm512_maskz_permutex2var_epi8(kLowBytes, downLo, pickRight[ch], downHi));
            __m512 v = _mm512_mul_ps(p00, w00);
            v = _mm512_fmadd_ps(p01, w01, v);
            v = _mm512_fmadd_ps(p10, w10, v);
            v = _mm512_fmadd_ps(p11, w11, v);
            // v - round(v) lies in [-1/2, 1/2]; near either end the byte
            // is in doubt. Otherwise rounding to nearest is rounding half up.
            const __m512 off = _mm512_reduce_ps(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
            unsure |= _mm512_cmp_ps_mask(_mm512_abs_ps(off), nearHalf, _CMP_GT_OQ);
            const __m512i byte =
                _mm512_cvt_roundps_epi32(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
            result = _mm512_or_si512(result, _mm512_slli_epi32(byte, 8 * ch));
        }
        result = _mm512_mask_blend_epi32(covered, fillPixel, result);
        _mm512_mask_storeu_epi8(out, store, _mm512_permutexvar_epi8(pack, result));

        // Lanes the single-precision result cannot decide, and lanes that
        // could not load, follow the scalar rule.
        unsigned redo = covered & (unsure | (covered & ~load));
        while (redo != 0) {
            const int q = __builtin_ctz(redo);
            redo &= redo - 1;
            ExactPixel(a, k + q);
        }
    }
    return a.width;
}

int32_t ColourRowAvx512(const ColourRowArgs& a) {
    switch (a.channel) {
        case 0:
            return RowAvx512<0>(a);
        case 1:
            return RowAvx512<1>(a);
        case 2:
            return RowAvx512<2>(a);
        default:
            return RowAvx512<-1>(a);
    }
}

}  // namespace

ColourRowFn Avx512RowKernel() {
    const bool usable = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                        __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vbmi");
    return usable ? ColourRowAvx512 : nullptr;
}

}  // namespace Skewmend

#else

namespace Skewmend {

ColourRowFn Avx512RowKernel() {
    return nullptr;
}

}  // namespace Skewmend

#endif
