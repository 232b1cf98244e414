// AVX2 kernel of the colour rotation: four target pixels per step.
//
// Each step computes the four source positions x = ic + js[k] and
// y = jc[k] - is as one vector, floors them by truncation (minus one for
// negatives), tests coverage, and loads for every covered lane the six
// bytes of the two neighbouring source pixels in each of the two source
// rows (two 32-bit words per row, at the pixel and two bytes further on, so
// nothing past the second pixel is read). The bilinear value of each
// channel is then formed lane by lane with the very operations of the
// scalar code, ((p00 (1-dx)) (1-dy) + (p01 (1-dx)) dy) + (p10 dx) (1-dy))
// + (p11 dx) dy, rounded by adding 0.5 and truncating, and limited to 255.
// IEEE double vector operations round exactly as scalar ones, and no fused
// multiply-add is used, so every byte equals the scalar result.
//
// Uniform neighbourhoods (plain paper, solid ink) take a short cut. When the
// four neighbours of a channel all hold p, each term is p times two weights
// with two roundings, the weights (1-dx)(1-dy), (1-dx)dy, dx(1-dy), dx dy
// add up to 1 within a few units of 2^-53, and the three additions round
// once each: v differs from p by less than 255 x 10 x 2^-53 < 3e-13. Adding
// 0.5 and truncating therefore gives p exactly, as the arithmetic would.
//
// Built only for x86-64 with GCC or Clang; the function carries its own
// target attribute and is chosen at run time when the processor has AVX2.
#include "rotator_kernels.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

namespace Skewmend {

namespace {

inline int32_t Word(const uint8_t* at) {
    int32_t v;
    __builtin_memcpy(&v, at, 4);
    return v;
}

// Shuffle control that moves byte b of each 32-bit lane to the lane's low
// byte and clears the rest.
__attribute__((target("avx2"))) inline __m128i ByteOfEachLane(int b) {
    const auto c = static_cast<char>(b);
    return _mm_setr_epi8(c, -1, -1, -1, static_cast<char>(4 + b), -1, -1, -1,
                         static_cast<char>(8 + b), -1, -1, -1, static_cast<char>(12 + b), -1, -1,
                         -1);
}

// Writes four pixels held as B | G << 8 | R << 16 in the 32-bit lanes: all
// twelve bytes, or byte `channel` of each pixel only.
__attribute__((target("avx2"))) inline void StorePixels(uint8_t* out, __m128i pixels, __m128i pack,
                                                        int channel) {
    alignas(16) uint8_t bytes[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(bytes), _mm_shuffle_epi8(pixels, pack));
    if (channel < 0) {
        __builtin_memcpy(out, bytes, 12);
        return;
    }
    for (int q = 0; q < 4; ++q) {
        out[3 * q + channel] = bytes[3 * q + channel];
    }
}

// Channel: -1 for all three, else the one byte to write. A template, so
// that each form gets its own fully unrolled loop.
template <int Channel>
__attribute__((target("avx2"))) int32_t RowAvx2(const ColourRowArgs& a) {
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d half = _mm256_set1_pd(0.5);
    const __m256d zero = _mm256_setzero_pd();
    const __m256d ic = _mm256_set1_pd(a.ic);
    const __m256d is = _mm256_set1_pd(a.is);
    const __m128i lastRow = _mm_set1_epi32(a.lastRow);
    const __m128i lastCol = _mm_set1_epi32(a.lastCol);
    const __m128i minusOne = _mm_set1_epi32(-1);
    const __m128i max255 = _mm_set1_epi32(255);
    const __m128i low24 = _mm_set1_epi32(0xFFFFFF);
    const __m128i fillPixel =
        _mm_set1_epi32(static_cast<int32_t>(a.fill[0] | (static_cast<uint32_t>(a.fill[1]) << 8) |
                                            (static_cast<uint32_t>(a.fill[2]) << 16)));
    // Bytes 0-2 of each 32-bit lane, packed: four pixels in twelve bytes.
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i evenHalves = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);

    int32_t k = 0;
    for (; k + 4 <= a.width; k += 4) {
        const __m256d x = _mm256_add_pd(ic, _mm256_loadu_pd(a.js + k));
        const __m256d y = _mm256_sub_pd(_mm256_loadu_pd(a.jc + k), is);
        // Truncation toward zero, then one less where the value is negative.
        __m128i fx = _mm256_cvttpd_epi32(x);
        __m128i fy = _mm256_cvttpd_epi32(y);
        const __m256d xLess = _mm256_cmp_pd(x, zero, _CMP_LT_OQ);
        const __m256d yLess = _mm256_cmp_pd(y, zero, _CMP_LT_OQ);
        // The low halves of the 64-bit lane masks, as 32-bit lanes (-1 or 0).
        const __m128i xMask = _mm256_castsi256_si128(
            _mm256_permutevar8x32_epi32(_mm256_castpd_si256(xLess), evenHalves));
        const __m128i yMask = _mm256_castsi256_si128(
            _mm256_permutevar8x32_epi32(_mm256_castpd_si256(yLess), evenHalves));
        fx = _mm_add_epi32(fx, xMask);
        fy = _mm_add_epi32(fy, yMask);
        // 0 <= fx < lastRow and 0 <= fy < lastCol.
        const __m128i covered = _mm_and_si128(
            _mm_and_si128(_mm_cmpgt_epi32(fx, minusOne), _mm_cmpgt_epi32(lastRow, fx)),
            _mm_and_si128(_mm_cmpgt_epi32(fy, minusOne), _mm_cmpgt_epi32(lastCol, fy)));
        uint8_t* out = a.out + 3 * k;
        if (_mm_movemask_epi8(covered) == 0) {
            StorePixels(out, fillPixel, pack, Channel);
            continue;
        }
        const __m256d dx = _mm256_sub_pd(x, _mm256_cvtepi32_pd(fx));
        const __m256d dy = _mm256_sub_pd(y, _mm256_cvtepi32_pd(fy));
        const __m256d ax = _mm256_sub_pd(one, dx);  // 1 - dx
        const __m256d ay = _mm256_sub_pd(one, dy);  // 1 - dy

        // Top-left neighbours; uncovered lanes read pixel (0, 0) harmlessly,
        // since some lane is covered and so the source has two rows and
        // two columns.
        alignas(16) int32_t rows[4];
        alignas(16) int32_t cols[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(rows), _mm_and_si128(fx, covered));
        _mm_store_si128(reinterpret_cast<__m128i*>(cols), _mm_and_si128(fy, covered));
        const uint8_t* top[4];
        for (int q = 0; q < 4; ++q) {
            top[q] = a.pixels + static_cast<size_t>(rows[q]) * a.stride +
                     3 * static_cast<size_t>(cols[q]);
        }
        const size_t st = a.stride;
        // [B G R B'] at the pixel and [R B' G' R'] two bytes further on, in
        // the upper (u) and the lower (l) source row: six bytes each.
        const __m128i u0 = _mm_setr_epi32(Word(top[0]), Word(top[1]), Word(top[2]), Word(top[3]));
        const __m128i u2 =
            _mm_setr_epi32(Word(top[0] + 2), Word(top[1] + 2), Word(top[2] + 2), Word(top[3] + 2));
        const __m128i l0 = _mm_setr_epi32(Word(top[0] + st), Word(top[1] + st), Word(top[2] + st),
                                          Word(top[3] + st));
        const __m128i l2 = _mm_setr_epi32(Word(top[0] + st + 2), Word(top[1] + st + 2),
                                          Word(top[2] + st + 2), Word(top[3] + st + 2));
        // Where all four neighbours of a pixel are the same colour the blend
        // gives that colour exactly (see the top of the file), so a step
        // whose covered pixels all sit on such neighbourhoods skips the
        // arithmetic.
        const __m128i upLeft = _mm_and_si128(u0, low24);
        const __m128i uniform =
            _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi32(upLeft, _mm_srli_epi32(u2, 8)),
                                        _mm_cmpeq_epi32(upLeft, _mm_and_si128(l0, low24))),
                          _mm_cmpeq_epi32(upLeft, _mm_srli_epi32(l2, 8)));
        if (_mm_movemask_epi8(_mm_andnot_si128(uniform, covered)) == 0) {
            StorePixels(out, _mm_blendv_epi8(fillPixel, upLeft, covered), pack, Channel);
            continue;
        }
        __m128i result = _mm_setzero_si128();
        constexpr int kFirst = Channel < 0 ? 0 : Channel;
        constexpr int kEnd = Channel < 0 ? 3 : Channel + 1;
        for (int ch = kFirst; ch < kEnd; ++ch) {
            // Channel ch of the left pixel is byte ch of u0 / l0, of the
            // right pixel byte ch + 1 of u2 / l2.
            const __m256d p00 = _mm256_cvtepi32_pd(_mm_shuffle_epi8(u0, ByteOfEachLane(ch)));
            const __m256d p01 = _mm256_cvtepi32_pd(_mm_shuffle_epi8(u2, ByteOfEachLane(ch + 1)));
            const __m256d p10 = _mm256_cvtepi32_pd(_mm_shuffle_epi8(l0, ByteOfEachLane(ch)));
            const __m256d p11 = _mm256_cvtepi32_pd(_mm_shuffle_epi8(l2, ByteOfEachLane(ch + 1)));
            const __m256d t00 = _mm256_mul_pd(_mm256_mul_pd(p00, ax), ay);
            const __m256d t01 = _mm256_mul_pd(_mm256_mul_pd(p01, ax), dy);
            const __m256d t10 = _mm256_mul_pd(_mm256_mul_pd(p10, dx), ay);
            const __m256d t11 = _mm256_mul_pd(_mm256_mul_pd(p11, dx), dy);
            const __m256d v = _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(t00, t01), t10), t11);
            const __m128i t = _mm_min_epi32(_mm256_cvttpd_epi32(_mm256_add_pd(v, half)), max255);
            result = _mm_or_si128(result, _mm_slli_epi32(t, 8 * ch));
        }
        result = _mm_blendv_epi8(fillPixel, result, covered);
        StorePixels(out, result, pack, Channel);
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
