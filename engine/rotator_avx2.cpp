// AVX2 kernel of the colour rotation: eight target pixels per step,
// decided in single precision and checked against the exact rule.
//
// The method is the one of the AVX-512 kernel (engine/rotator_avx512.cpp,
// whose header argues the bound): positions, floors and fractions in
// double exactly as in the scalar rule, the two neighbouring source pixels
// of each source row in one 8-byte gather, the blend in single precision,
// and every lane whose value lies within 2^-10 of a half-integer (or whose
// loads would reach past the source buffer) recomputed with the scalar
// rule. Without fused multiply-adds the four products and three sums of
// the blend add at most 7 x 2^-17 < 6e-5 of rounding to the 2.5e-4 that the
// single-precision weights may cost, still far inside the 2^-10 band.
//
// The byte shuffles of AVX2 stay within 128-bit halves, so the channel
// values come out in the lane order 0 1 4 5 2 3 6 7; the weights are put in
// that order once per step and the results put back before storing.
//
// Built only for x86-64 with GCC or Clang; the function carries its own
// target attribute and is chosen at run time when the processor has AVX2.
#include "engine/rotator_kernels.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#define SKEWMEND_AVX2 __attribute__((target("avx2")))

namespace Skewmend {

namespace {

// Half-width of the band around a rounding boundary in which the single
// precision result is not trusted.
constexpr float kUnsure = 1.0f / 1024.0f;

// Shuffle control that moves byte `pixelByte` of the two 8-byte lanes of
// each 128-bit half to 32-bit lanes `first` and `first + 1` of that half,
// clearing every other byte.
SKEWMEND_AVX2 inline __m256i PickIndex(int pixelByte, int first) {
    int8_t index[32];
    for (int n = 0; n < 32; ++n) {
        index[n] = -1;
    }
    for (int half = 0; half < 2; ++half) {
        for (int q = 0; q < 2; ++q) {
            index[16 * half + 4 * (first + q)] = static_cast<int8_t>(8 * q + pixelByte);
        }
    }
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(index));
}

// Writes eight packed pixels (twelve bytes in each 16-byte half of
// `bytes`): all 24 bytes, or byte `Channel` of each pixel only.
template <int Channel>
inline void StoreBytes(uint8_t* out, const uint8_t* bytes) {
    if (Channel < 0) {
        __builtin_memcpy(out, bytes, 12);
        __builtin_memcpy(out + 12, bytes + 16, 12);
        return;
    }
    for (int q = 0; q < 4; ++q) {
        out[3 * q + Channel] = bytes[3 * q + Channel];
        out[12 + 3 * q + Channel] = bytes[16 + 3 * q + Channel];
    }
}

template <int Channel>
SKEWMEND_AVX2 int32_t RowAvx2(const ColourRowArgs& a) {
    if (a.lastRow < 1 || a.lastCol < 1) {
        return 0;  // nothing is covered; the scalar rule fills the row
    }
    const __m256d ic = _mm256_set1_pd(a.ic);
    const __m256d is = _mm256_set1_pd(a.is);
    const __m256i rowLimit = _mm256_set1_epi32(a.lastRow - 1);
    const __m256i colLimit = _mm256_set1_epi32(a.lastCol - 1);
    const __m256i stride = _mm256_set1_epi32(static_cast<int32_t>(a.stride));
    const __m256 one = _mm256_set1_ps(1.0f);
    const __m256 nearHalf = _mm256_set1_ps(0.5f - kUnsure);
    const __m256 magnitude = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
    // Lane order of the shuffled channel values, and back (its own inverse).
    const __m256i shuffledOrder = _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7);
    const __m256i fillPixel =
        _mm256_set1_epi32(static_cast<int32_t>(a.fill[0] | (static_cast<uint32_t>(a.fill[1]) << 8) |
                                               (static_cast<uint32_t>(a.fill[2]) << 16)));
    // Bytes 0-2 of each 32-bit lane packed into the first twelve bytes of
    // each 128-bit half.
    const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                          1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    // The largest offset whose 8-byte load in the next source row stays in
    // the buffer; -1 when no lane may load.
    const int64_t lastLoad = static_cast<int64_t>(a.stride) * a.lastRow - 8;
    const __m256i safeEnd = _mm256_set1_epi32(
        lastLoad < 0 ? -1 : static_cast<int32_t>(lastLoad > 0x7FFFFFFF ? 0x7FFFFFFF : lastLoad));

    constexpr int kFirst = Channel < 0 ? 0 : Channel;
    constexpr int kEnd = Channel < 0 ? 3 : Channel + 1;
    __m256i leftLow[3];
    __m256i leftHigh[3];
    __m256i rightLow[3];
    __m256i rightHigh[3];
    for (int ch = kFirst; ch < kEnd; ++ch) {
        leftLow[ch] = PickIndex(ch, 0);
        leftHigh[ch] = PickIndex(ch, 2);
        rightLow[ch] = PickIndex(3 + ch, 0);
        rightHigh[ch] = PickIndex(3 + ch, 2);
    }

    int32_t k = 0;
    for (; k + 8 <= a.width; k += 8) {
        const __m256d x0 = _mm256_add_pd(ic, _mm256_loadu_pd(a.js + k));
        const __m256d x1 = _mm256_add_pd(ic, _mm256_loadu_pd(a.js + k + 4));
        const __m256d y0 = _mm256_sub_pd(_mm256_loadu_pd(a.jc + k), is);
        const __m256d y1 = _mm256_sub_pd(_mm256_loadu_pd(a.jc + k + 4), is);
        const __m256d floorX0 = _mm256_floor_pd(x0);
        const __m256d floorX1 = _mm256_floor_pd(x1);
        const __m256d floorY0 = _mm256_floor_pd(y0);
        const __m256d floorY1 = _mm256_floor_pd(y1);
        const __m256i fx =
            _mm256_set_m128i(_mm256_cvttpd_epi32(floorX1), _mm256_cvttpd_epi32(floorX0));
        const __m256i fy =
            _mm256_set_m128i(_mm256_cvttpd_epi32(floorY1), _mm256_cvttpd_epi32(floorY0));
        // 0 <= f <= limit as one unsigned comparison: negative floors are
        // huge unsigned values.
        const __m256i covered =
            _mm256_and_si256(_mm256_cmpeq_epi32(fx, _mm256_min_epu32(fx, rowLimit)),
                             _mm256_cmpeq_epi32(fy, _mm256_min_epu32(fy, colLimit)));
        uint8_t* out = a.out + 3 * static_cast<int64_t>(k);
        const int coveredBits = _mm256_movemask_ps(_mm256_castsi256_ps(covered));
        uint8_t bytes[32];
        if (coveredBits == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(bytes),
                                _mm256_shuffle_epi8(fillPixel, pack));
        } else {
            const __m256i offset = _mm256_add_epi32(_mm256_mullo_epi32(fx, stride),
                                                    _mm256_add_epi32(fy, _mm256_add_epi32(fy, fy)));
            const __m256i load = _mm256_andnot_si256(_mm256_cmpgt_epi32(offset, safeEnd), covered);
            // The next target rows read these pixels a row lower each time:
            // asking for the row eight below now hides its trip from memory,
            // which the processor's own prefetching does not foresee on a
            // slanted path.
            _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(a.pixels) +
                                                       static_cast<uint32_t>(_mm_cvtsi128_si32(
                                                           _mm256_castsi256_si128(offset))) +
                                                       8 * uint64_t{a.stride}),
                         _MM_HINT_T1);
            const __m128i offsetLo = _mm256_castsi256_si128(offset);
            const __m128i offsetHi = _mm256_extracti128_si256(offset, 1);
            const __m256i loadLo = _mm256_cvtepi32_epi64(_mm256_castsi256_si128(load));
            const __m256i loadHi = _mm256_cvtepi32_epi64(_mm256_extracti128_si256(load, 1));
            const auto* above = reinterpret_cast<const long long*>(a.pixels);
            const auto* below = reinterpret_cast<const long long*>(a.pixels + a.stride);
            const __m256i none = _mm256_setzero_si256();
            const __m256i up0 = _mm256_mask_i32gather_epi64(none, above, offsetLo, loadLo, 1);
            const __m256i up1 = _mm256_mask_i32gather_epi64(none, above, offsetHi, loadHi, 1);
            const __m256i down0 = _mm256_mask_i32gather_epi64(none, below, offsetLo, loadLo, 1);
            const __m256i down1 = _mm256_mask_i32gather_epi64(none, below, offsetHi, loadHi, 1);

            const __m256 dxNatural = _mm256_set_m128(_mm256_cvtpd_ps(_mm256_sub_pd(x1, floorX1)),
                                                     _mm256_cvtpd_ps(_mm256_sub_pd(x0, floorX0)));
            const __m256 dyNatural = _mm256_set_m128(_mm256_cvtpd_ps(_mm256_sub_pd(y1, floorY1)),
                                                     _mm256_cvtpd_ps(_mm256_sub_pd(y0, floorY0)));
            const __m256 dx = _mm256_permutevar8x32_ps(dxNatural, shuffledOrder);
            const __m256 dy = _mm256_permutevar8x32_ps(dyNatural, shuffledOrder);
            const __m256 ax = _mm256_sub_ps(one, dx);
            const __m256 ay = _mm256_sub_ps(one, dy);
            const __m256 w00 = _mm256_mul_ps(ax, ay);
            const __m256 w01 = _mm256_mul_ps(ax, dy);
            const __m256 w10 = _mm256_mul_ps(dx, ay);
            const __m256 w11 = _mm256_mul_ps(dx, dy);

            __m256i result = _mm256_setzero_si256();
            __m256 unsure = _mm256_setzero_ps();
            for (int ch = kFirst; ch < kEnd; ++ch) {
                const __m256 p00 = _mm256_cvtepi32_ps(_mm256_or_si256(
                    _mm256_shuffle_epi8(up0, leftLow[ch]), _mm256_shuffle_epi8(up1, leftHigh[ch])));
                const __m256 p01 =
                    _mm256_cvtepi32_ps(_mm256_or_si256(_mm256_shuffle_epi8(up0, rightLow[ch]),
                                                       _mm256_shuffle_epi8(up1, rightHigh[ch])));
                const __m256 p10 =
                    _mm256_cvtepi32_ps(_mm256_or_si256(_mm256_shuffle_epi8(down0, leftLow[ch]),
                                                       _mm256_shuffle_epi8(down1, leftHigh[ch])));
                const __m256 p11 =
                    _mm256_cvtepi32_ps(_mm256_or_si256(_mm256_shuffle_epi8(down0, rightLow[ch]),
                                                       _mm256_shuffle_epi8(down1, rightHigh[ch])));
                const __m256 v = _mm256_add_ps(
                    _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(p00, w00), _mm256_mul_ps(p01, w01)),
                                  _mm256_mul_ps(p10, w10)),
                    _mm256_mul_ps(p11, w11));
                // Away from the half-integers, rounding to nearest is
                // rounding half up.
                const __m256 nearest =
                    _mm256_round_ps(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
                const __m256 off = _mm256_and_ps(_mm256_sub_ps(v, nearest), magnitude);
                unsure = _mm256_or_ps(unsure, _mm256_cmp_ps(off, nearHalf, _CMP_GT_OQ));
                result = _mm256_or_si256(result,
                                         _mm256_slli_epi32(_mm256_cvttps_epi32(nearest), 8 * ch));
            }
            result = _mm256_permutevar8x32_epi32(result, shuffledOrder);
            const int unsureBits =
                _mm256_movemask_ps(_mm256_permutevar8x32_ps(unsure, shuffledOrder));
            const int loadBits = _mm256_movemask_ps(_mm256_castsi256_ps(load));
            _mm256_storeu_si256(
                reinterpret_cast<__m256i*>(bytes),
                _mm256_shuffle_epi8(_mm256_blendv_epi8(fillPixel, result, covered), pack));
            // Lanes the single-precision result cannot decide, and lanes
            // that could not load, follow the scalar rule below.
            int redo = coveredBits & (unsureBits | ~loadBits);
            if (redo != 0) {
                StoreBytes<Channel>(out, bytes);
                while (redo != 0) {
                    const int q = __builtin_ctz(static_cast<unsigned>(redo));
                    redo &= redo - 1;
                    ExactPixel(a, k + q);
                }
                continue;
            }
        }
        StoreBytes<Channel>(out, bytes);
    }
    return k;
}

int32_t ColourRowAvx2(const ColourRowArgs& a) {
    switch (a.channel) {
        case 0:
            return RowAvx2<0>(a);
        case 1:
            return RowAvx2<1>(a);
        case 2:
            return RowAvx2<2>(a);
        default:
            return RowAvx2<-1>(a);
    }
}

}  // namespace

ColourRowFn Avx2RowKernel() {
    return __builtin_cpu_supports("avx2") ? ColourRowAvx2 : nullptr;
}

}  // namespace Skewmend

#else

namespace Skewmend {

ColourRowFn Avx2RowKernel() {
    return nullptr;
}

}  // namespace Skewmend

#endif
