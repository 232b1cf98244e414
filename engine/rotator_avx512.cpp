// AVX-512 kernel of the colour rotation: sixteen target pixels per step,
// decided in integer arithmetic and checked against the exact rule.
//
// Positions. The scalar rule forms x = ic + js[k] and y = jc[k] - is in
// double. The kernel takes the row and column terms split into whole parts
// and fractional parts (rounded to float) and adds them separately: away
// from whole numbers this gives exactly the floors fx and fy of the scalar
// rule's x and y, and the fractions dx = x - fx, dy = y - fy within 2^-23
// (argued at LocateSplit). A step with a lane too near a whole number, and
// every step without split terms, takes the scalar rule's own double
// arithmetic instead (exact floors and fractions). A negative position
// gives a negative index, which is uncovered as in the scalar rule.
//
// Neighbours. Along a target row the positions move monotonically, so in a
// step whose sixteen lanes are all covered the first and last lanes bound
// the source pixels needed. Under a gentle rotation they lie in at most four
// consecutive source rows and twenty-one columns: four masked loads of those
// rows hold them all (nothing past the needed pixels is read), and byte
// permutations pick each lane's pixels. Any other step gathers the two
// neighbouring pixels of each source row with one 8-byte load per lane.
//
// Blend. The weights (1-dx)(1-dy), (1-dx)dy, dx(1-dy) and dx dy are formed
// in single precision from dx and dy rounded to float, scaled to units of
// 2^-22 and rounded to integers, then split into a high digit (bits 8 and
// up) and a low one (bits 0-7) so that 16-bit multiply-adds form
// V = sum of pixel x weight exactly. The distance of V 2^-22 from the exact
// real blend v is bounded: dx and dy are off by at most 2^-23, 1-dx and
// 1-dy by at most 1.25 x 2^-23, each single-precision weight (scaled) by at
// most 1.25 units of 2^-22 plus 0.125 for its own rounding, and each
// integer weight by less than 1.9 units; with pixel values up to 255,
// |V 2^-22 - v| < 1020 x 1.9 x 2^-22 < 4.7e-4. The scalar rule's double
// arithmetic is within 1e-11 of v. So when V 2^-22 lies more than 2^-10
// away from the nearest half-integer, the integer part of V 2^-22 + 1/2 is
// the byte that the scalar rule's trunc(v + 0.5) gives. Lanes nearer than
// that (about one value in 500, and every exact tie such as 10.5) are
// recomputed with the scalar rule once the row's vector work is done, as
// are the rare covered lanes whose 8-byte gathers would reach past the
// source buffer (the last source row when its rows carry fewer than two
// bytes of padding). Every byte therefore equals the scalar result; the
// randomised tests of the kernels include positions built to land on and
// next to ties.
//
// Built only for x86-64 with GCC or Clang outside Windows (whose ABI does
// not keep 64-byte stack alignment for spilled vectors); chosen at run
// time when the processor has AVX-512 F, BW, DQ, VBMI and VNNI.
#include "engine/rotator_kernels.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(_WIN32)
#include <immintrin.h>

// GCC 12's AVX-512 headers start some intrinsics from deliberately undefined
// vectors, which its own uninitialised-value analysis then reports.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define SKEWMEND_AVX512 __attribute__((target("avx512f,avx512bw,avx512dq,avx512vbmi,avx512vnni")))

namespace Skewmend {

namespace {

// Blend weights are held as integers in units of 2^-22.
constexpr int kWeightBits = 22;
// Half-width, in those units, of the band around a rounding boundary in
// which the integer result is not trusted (2^-10).
constexpr int32_t kUnsure = 1 << 12;

// Bytes 0 and 2 of each 32-bit lane: two 16-bit values, low bytes only.
constexpr __mmask64 kPairBytes = 0x5555555555555555ULL;

struct alignas(64) ByteTable {
    uint8_t bytes[64];
};

// Permutation of two gathered registers (eight 8-byte lanes each, target
// pixels 0-7 and 8-15, holding two neighbouring source pixels) that puts
// channel `channel` of the left pixel into byte 0 of 32-bit lane q and that
// of the right pixel into byte 2.
constexpr ByteTable GatherPairs(int channel) {
    ByteTable t{};
    for (int q = 0; q < 16; ++q) {
        const int at = (q < 8 ? 0 : 64) + 8 * (q % 8) + channel;
        t.bytes[4 * q] = static_cast<uint8_t>(at);
        t.bytes[4 * q + 2] = static_cast<uint8_t>(at + 3);
    }
    return t;
}

// In-lane shuffle that copies byte 0 of each 32-bit lane into bytes 0 and
// 2 (bytes 1 and 3 are masked off where it is used).
constexpr ByteTable SpreadPair() {
    ByteTable t{};
    for (int q = 0; q < 16; ++q) {
        t.bytes[4 * q] = t.bytes[4 * q + 2] = static_cast<uint8_t>(q % 4 * 4);
    }
    return t;
}

// Permutations of two registers of 32-bit weights A (first) and B (second)
// into 16-bit pairs: bits 8-23 of A and of B (high digits), or bits 0-7 of
// A and of B in the low bytes of the two halves (low digits).
constexpr ByteTable HighDigits() {
    ByteTable t{};
    for (int q = 0; q < 16; ++q) {
        t.bytes[4 * q] = static_cast<uint8_t>(4 * q + 1);
        t.bytes[4 * q + 1] = static_cast<uint8_t>(4 * q + 2);
        t.bytes[4 * q + 2] = static_cast<uint8_t>(64 + 4 * q + 1);
        t.bytes[4 * q + 3] = static_cast<uint8_t>(64 + 4 * q + 2);
    }
    return t;
}

constexpr ByteTable LowDigits() {
    ByteTable t{};
    for (int q = 0; q < 16; ++q) {
        t.bytes[4 * q] = static_cast<uint8_t>(4 * q);
        t.bytes[4 * q + 2] = static_cast<uint8_t>(64 + 4 * q);
    }
    return t;
}

// Bytes 0-2 of the sixteen 32-bit lanes, packed into 48 bytes.
constexpr ByteTable Pack() {
    ByteTable t{};
    for (int q = 0; q < 16; ++q) {
        for (int b = 0; b < 3; ++b) {
            t.bytes[3 * q + b] = static_cast<uint8_t>(4 * q + b);
        }
    }
    return t;
}

constexpr ByteTable kGatherPairs[3] = {GatherPairs(0), GatherPairs(1), GatherPairs(2)};
constexpr ByteTable kSpreadPair = SpreadPair();
constexpr ByteTable kHighDigits = HighDigits();
constexpr ByteTable kLowDigits = LowDigits();
constexpr ByteTable kPack = Pack();

SKEWMEND_AVX512 inline __m512i Load(const ByteTable& table) {
    return _mm512_load_si512(table.bytes);
}

// For each channel, its values in the two neighbouring source pixels of
// each lane, as two 16-bit numbers per 32-bit lane: `up` in the lane's
// source row, `down` in the row below.
struct Pairs {
    __m512i up[3];
    __m512i down[3];
};

// Most steps of a gentle rotation read few source rows: the sixteen lanes'
// top-left neighbours lie in at most three consecutive rows, `top` to
// top + 2, and within twenty consecutive columns from `left`. Then four
// windows of those rows (up to 63 bytes each, loaded under a mask so that
// nothing past the needed pixels is read) hold every neighbour, and byte
// permutations pick them out. `fx` and `fy` are the lanes' top-left
// neighbours.
template <int First, int End>
SKEWMEND_AVX512 inline void FromWindows(const ColourRowArgs& a, __m512i fx, __m512i fy, int32_t top,
                                        int32_t rows, int32_t left, int32_t cols, Pairs& pairs) {
    const __mmask64 span = (__mmask64{1} << (3 * (cols + 2))) - 1;
    const uint8_t* base =
        a.pixels + static_cast<uint64_t>(top) * a.stride + 3 * static_cast<uint64_t>(left);
    // The next target rows read these columns a row lower each time: asking
    // for the row eight below now hides its trip from memory, which the
    // processor's own prefetching does not foresee on a slanted path.
    _mm_prefetch(
        reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(base) + 8 * uint64_t{a.stride}),
        _MM_HINT_T1);
    const __m512i w0 = _mm512_maskz_loadu_epi8(span, base);
    const __m512i w1 = _mm512_maskz_loadu_epi8(span, base + a.stride);
    const __m512i w2 =
        rows >= 1 ? _mm512_maskz_loadu_epi8(span, base + 2 * a.stride) : _mm512_setzero_si512();
    const __m512i w3 =
        rows >= 2 ? _mm512_maskz_loadu_epi8(span, base + 3 * a.stride) : _mm512_setzero_si512();
    const __m512i rel = _mm512_sub_epi32(fx, _mm512_set1_epi32(top));
    const __m512i col = _mm512_sub_epi32(fy, _mm512_set1_epi32(left));
    const __m512i col3 = _mm512_add_epi32(col, _mm512_add_epi32(col, col));
    // Byte offsets of the left pixel (byte 0) and the right pixel (byte 2)
    // in a window; 64 more selects the second window of a pair.
    const __m512i offsets =
        _mm512_add_epi32(_mm512_shuffle_epi8(col3, Load(kSpreadPair)), _mm512_set1_epi32(0x30000));
    const __mmask16 second = _mm512_cmpeq_epi32_mask(rel, _mm512_set1_epi32(1));
    const __mmask16 third = _mm512_cmpeq_epi32_mask(rel, _mm512_set1_epi32(2));
    const __m512i paired =
        _mm512_mask_add_epi32(offsets, second, offsets, _mm512_set1_epi32(0x400040));
#pragma GCC unroll 3
    for (int ch = First; ch < End; ++ch) {
        const __m512i channel = _mm512_set1_epi32(ch * 0x10001);
        const __m512i inPair = _mm512_add_epi32(paired, channel);
        pairs.up[ch] = _mm512_maskz_permutex2var_epi8(kPairBytes, w0, inPair, w1);
        pairs.down[ch] = _mm512_maskz_permutex2var_epi8(kPairBytes, w1, inPair, w2);
        if (third != 0) {
            const __m512i alone = _mm512_add_epi32(offsets, channel);
            pairs.up[ch] = _mm512_mask_mov_epi32(
                pairs.up[ch], third, _mm512_maskz_permutexvar_epi8(kPairBytes, alone, w2));
            pairs.down[ch] = _mm512_mask_mov_epi32(
                pairs.down[ch], third, _mm512_maskz_permutexvar_epi8(kPairBytes, alone, w3));
        }
    }
}

// Any other step gathers the two neighbouring pixels of each source row
// with one 8-byte load per lane and row, for the lanes in `load`.
template <int First, int End>
SKEWMEND_AVX512 inline void Gathered(const ColourRowArgs& a, __m512i offset, __mmask16 load,
                                     Pairs& pairs) {
    // As for the windows: the row eight below, which the next target rows
    // will need, is asked for now.
    _mm_prefetch(reinterpret_cast<const char*>(
                     reinterpret_cast<uintptr_t>(a.pixels) +
                     static_cast<uint32_t>(_mm_cvtsi128_si32(_mm512_castsi512_si128(offset))) +
                     8 * uint64_t{a.stride}),
                 _MM_HINT_T1);
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
#pragma GCC unroll 3
    for (int ch = First; ch < End; ++ch) {
        const __m512i pick = Load(kGatherPairs[ch]);
        pairs.up[ch] = _mm512_maskz_permutex2var_epi8(kPairBytes, upLo, pick, upHi);
        pairs.down[ch] = _mm512_maskz_permutex2var_epi8(kPairBytes, downLo, pick, downHi);
    }
}

// Source places of sixteen lanes: top-left neighbours and the fractions,
// rounded to float.
struct Position {
    __m512i fx;
    __m512i fy;
    __m512 dx;
    __m512 dy;
};

// The scalar rule's own double arithmetic: x = ic + js[k], y = jc[k] - is,
// their floors (a negative position gives a negative index, which the
// unsigned coverage test treats as far beyond the source) and the exact
// fractions x - floor(x), y - floor(y).
SKEWMEND_AVX512 inline void LocateExactly(const ColourRowArgs& a, int32_t k, __mmask16 valid,
                                          Position& at) {
    const auto validLo = static_cast<__mmask8>(valid);
    const auto validHi = static_cast<__mmask8>(valid >> 8);
    const __m512d ic = _mm512_set1_pd(a.ic);
    const __m512d is = _mm512_set1_pd(a.is);
    const __m512d x0 = _mm512_add_pd(ic, _mm512_maskz_loadu_pd(validLo, a.js + k));
    const __m512d x1 = _mm512_add_pd(ic, _mm512_maskz_loadu_pd(validHi, a.js + k + 8));
    const __m512d y0 = _mm512_sub_pd(_mm512_maskz_loadu_pd(validLo, a.jc + k), is);
    const __m512d y1 = _mm512_sub_pd(_mm512_maskz_loadu_pd(validHi, a.jc + k + 8), is);
    constexpr int kDown = _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC;
    at.fx = _mm512_inserti64x4(_mm512_castsi256_si512(_mm512_cvt_roundpd_epi32(x0, kDown)),
                               _mm512_cvt_roundpd_epi32(x1, kDown), 1);
    at.fy = _mm512_inserti64x4(_mm512_castsi256_si512(_mm512_cvt_roundpd_epi32(y0, kDown)),
                               _mm512_cvt_roundpd_epi32(y1, kDown), 1);
    at.dx = _mm512_insertf32x8(_mm512_castps256_ps512(_mm512_cvtpd_ps(_mm512_reduce_pd(x0, kDown))),
                               _mm512_cvtpd_ps(_mm512_reduce_pd(x1, kDown)), 1);
    at.dy = _mm512_insertf32x8(_mm512_castps256_ps512(_mm512_cvtpd_ps(_mm512_reduce_pd(y0, kDown))),
                               _mm512_cvtpd_ps(_mm512_reduce_pd(y1, kDown)), 1);
}

// A row term split like the column terms: v = whole + part.
struct RowSplit {
    int32_t whole;
    float part;
};

inline RowSplit SplitRow(double v) {
    int32_t whole = 0;
    float part = 0.0f;
    SplitTerm(v, whole, part);
    return {whole, part};
}

// Lanes of a step whose positions are all clear of whole numbers, located
// in single precision from the split terms: x = (I + J) + (f + g) with the
// row term ic = I + f and the column term js[k] = J + g (likewise
// y = jc[k] + (-is)). The sum of the parts, F = f + g in float, is off the
// exact one by at most 2^-23, and the double sum x the scalar rule forms
// is within 2^-36 of the exact one (positions stay below 2^17). So where F
// lies at least 2^-20 from 0, 1 and 2, floor(x) = I + J + (F >= 1) exactly
// and x - floor(x) = F - (F >= 1) within 2^-23. False, with nothing
// decided, when some lane is nearer a whole number than that (as at
// angles that are multiples of 90 degrees); the caller then takes the
// exact arithmetic.
SKEWMEND_AVX512 inline bool LocateSplit(const ColourRowArgs& a, int32_t k, __mmask16 valid,
                                        RowSplit rowX, RowSplit rowY, Position& at) {
    const __m512 one = _mm512_set1_ps(1.0f);
    const __m512 low = _mm512_set1_ps(0x1p-20f);
    const __m512 high = _mm512_set1_ps(1.0f - 0x1p-20f);
    const __m512i oneI = _mm512_set1_epi32(1);
    const __m512 px =
        _mm512_add_ps(_mm512_set1_ps(rowX.part), _mm512_maskz_loadu_ps(valid, a.jsPart + k));
    const __m512 py =
        _mm512_add_ps(_mm512_set1_ps(rowY.part), _mm512_maskz_loadu_ps(valid, a.jcPart + k));
    const __mmask16 carryX = _mm512_cmp_ps_mask(px, one, _CMP_GE_OQ);
    const __mmask16 carryY = _mm512_cmp_ps_mask(py, one, _CMP_GE_OQ);
    const __m512 dx = _mm512_mask_sub_ps(px, carryX, px, one);
    const __m512 dy = _mm512_mask_sub_ps(py, carryY, py, one);
    const __mmask16 near =
        _mm512_cmp_ps_mask(dx, low, _CMP_LT_OQ) | _mm512_cmp_ps_mask(dx, high, _CMP_GT_OQ) |
        _mm512_cmp_ps_mask(dy, low, _CMP_LT_OQ) | _mm512_cmp_ps_mask(dy, high, _CMP_GT_OQ);
    if ((near & valid) != 0) {
        return false;
    }
    const __m512i fx = _mm512_add_epi32(_mm512_set1_epi32(rowX.whole),
                                        _mm512_maskz_loadu_epi32(valid, a.jsWhole + k));
    const __m512i fy = _mm512_add_epi32(_mm512_set1_epi32(rowY.whole),
                                        _mm512_maskz_loadu_epi32(valid, a.jcWhole + k));
    at.fx = _mm512_mask_add_epi32(fx, carryX, fx, oneI);
    at.fy = _mm512_mask_add_epi32(fy, carryY, fy, oneI);
    at.dx = dx;
    at.dy = dy;
    return true;
}

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
    const bool split =
        a.jsWhole != nullptr && a.jsPart != nullptr && a.jcWhole != nullptr && a.jcPart != nullptr;
    // Where positions keep landing on whole numbers (turns by multiples of
    // 90 degrees), single precision cannot decide them: after two misses in
    // a row the rest of the row is located exactly.
    constexpr int kSplitMissesAllowed = 2;
    int splitMisses = split ? 0 : kSplitMissesAllowed;
    const RowSplit rowX = SplitRow(a.ic);
    const RowSplit rowY = SplitRow(-a.is);
    const __m512i lastRow = _mm512_set1_epi32(a.lastRow > 0 ? a.lastRow : 0);
    const __m512i lastCol = _mm512_set1_epi32(a.lastCol > 0 ? a.lastCol : 0);
    const __m512i stride = _mm512_set1_epi32(static_cast<int32_t>(a.stride));
    const __m512 one = _mm512_set1_ps(1.0f);
    const __m512 unit = _mm512_set1_ps(static_cast<float>(1 << kWeightBits));
    const __m512i rounding = _mm512_set1_epi32((1 << (kWeightBits - 1)) + kUnsure);
    // The fraction bits above the band: all clear means the fraction lies
    // within the band of a rounding boundary.
    const __m512i bandBits = _mm512_set1_epi32((1 << kWeightBits) - 2 * kUnsure);
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
    const __m512i pack = Load(kPack);
    const __m512i highDigits = Load(kHighDigits);
    const __m512i lowDigits = Load(kLowDigits);
    const __mmask64 fullStore = StoreMask(Channel, 16);
    // Steps with lanes left to the scalar rule, finished after the vector
    // loop: calling out of it would spill every live vector register.
    constexpr int kPendingSteps = 64;
    int32_t pendingStep[kPendingSteps];
    uint16_t pendingLanes[kPendingSteps];
    int pending = 0;
    const auto finish = [&] {
        for (int n = 0; n < pending; ++n) {
            for (unsigned lanes = pendingLanes[n]; lanes != 0; lanes &= lanes - 1) {
                ExactPixel(a, pendingStep[n] + __builtin_ctz(lanes));
            }
        }
        pending = 0;
    };

    for (int32_t k = 0; k < a.width; k += 16) {
        const int32_t count = a.width - k < 16 ? a.width - k : 16;
        const auto valid = static_cast<__mmask16>((1u << count) - 1);
        Position at;
        if (splitMisses < kSplitMissesAllowed && LocateSplit(a, k, valid, rowX, rowY, at)) {
            splitMisses = 0;
        } else {
            ++splitMisses;
            LocateExactly(a, k, valid, at);
        }
        const __m512i fx = at.fx;
        const __m512i fy = at.fy;
        const __mmask16 covered =
            valid & _mm512_cmplt_epu32_mask(fx, lastRow) & _mm512_cmplt_epu32_mask(fy, lastCol);
        uint8_t* out = a.out + 3 * static_cast<int64_t>(k);
        const __mmask64 store = count == 16 ? fullStore : StoreMask(Channel, count);
        if (covered == 0) {
            _mm512_mask_storeu_epi8(out, store, _mm512_permutexvar_epi8(pack, fillPixel));
            continue;
        }

        // Positions change monotonically along a row, so when all sixteen
        // lanes are covered the first and the last bound the step's
        // neighbours.
        __mmask16 load = covered;
        Pairs pairs;
        const int32_t rowA = _mm_cvtsi128_si32(_mm512_castsi512_si128(fx));
        const int32_t rowB = _mm_extract_epi32(_mm512_extracti32x4_epi32(fx, 3), 3);
        const int32_t colA = _mm_cvtsi128_si32(_mm512_castsi512_si128(fy));
        const int32_t colB = _mm_extract_epi32(_mm512_extracti32x4_epi32(fy, 3), 3);
        const int32_t rows = rowA < rowB ? rowB - rowA : rowA - rowB;
        const int32_t cols = colA < colB ? colB - colA : colA - colB;
        if (covered == 0xFFFF && rows <= 2 && cols <= 19) {
            FromWindows<kFirst, kEnd>(a, fx, fy, rowA < rowB ? rowA : rowB, rows,
                                      colA < colB ? colA : colB, cols, pairs);
        } else {
            const __m512i offset = _mm512_add_epi32(_mm512_mullo_epi32(fx, stride),
                                                    _mm512_add_epi32(fy, _mm512_add_epi32(fy, fy)));
            load = covered & _mm512_cmple_epi32_mask(offset, safeEnd);
            Gathered<kFirst, kEnd>(a, offset, load, pairs);
        }

        // The four weights in units of 2^-22, rounded to integers and split
        // into a high digit (bits 8-23) and a low one (bits 0-7), paired
        // like the pixels.
        const __m512 dx = at.dx;
        const __m512 dy = at.dy;
        const __m512 ax = _mm512_mul_ps(_mm512_sub_ps(one, dx), unit);
        const __m512 bx = _mm512_mul_ps(dx, unit);
        const __m512 ay = _mm512_sub_ps(one, dy);
        constexpr int kNearest = _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC;
        const __m512i w00 = _mm512_cvt_roundps_epi32(_mm512_mul_ps(ax, ay), kNearest);
        const __m512i w01 = _mm512_cvt_roundps_epi32(_mm512_mul_ps(ax, dy), kNearest);
        const __m512i w10 = _mm512_cvt_roundps_epi32(_mm512_mul_ps(bx, ay), kNearest);
        const __m512i w11 = _mm512_cvt_roundps_epi32(_mm512_mul_ps(bx, dy), kNearest);
        const __m512i upHigh = _mm512_permutex2var_epi8(w00, highDigits, w01);
        const __m512i upLow = _mm512_maskz_permutex2var_epi8(kPairBytes, w00, lowDigits, w01);
        const __m512i downHigh = _mm512_permutex2var_epi8(w10, highDigits, w11);
        const __m512i downLow = _mm512_maskz_permutex2var_epi8(kPairBytes, w10, lowDigits, w11);

        __m512i result = _mm512_setzero_si512();
        unsigned unsure = 0;
#pragma GCC unroll 3
        for (int ch = kFirst; ch < kEnd; ++ch) {
            const __m512i zero = _mm512_setzero_si512();
            const __m512i high = _mm512_dpwssd_epi32(
                _mm512_dpwssd_epi32(zero, pairs.up[ch], upHigh), pairs.down[ch], downHigh);
            // The low digits start from one half, to round up, plus the
            // band: away from a boundary the byte is the integer part of
            // the sum in units of 2^-22.
            const __m512i low = _mm512_dpwssd_epi32(
                _mm512_dpwssd_epi32(rounding, pairs.up[ch], upLow), pairs.down[ch], downLow);
            const __m512i sum = _mm512_add_epi32(_mm512_slli_epi32(high, 8), low);
            unsure |= _mm512_testn_epi32_mask(sum, bandBits);
            // result |= byte << 8 ch (sum stays below 2^30).
            result = _mm512_ternarylogic_epi32(result, _mm512_srli_epi32(sum, kWeightBits - 8 * ch),
                                               _mm512_set1_epi32(0xFF << (8 * ch)), 0xF8);
        }
        result = _mm512_mask_blend_epi32(covered, fillPixel, result);
        _mm512_mask_storeu_epi8(out, store, _mm512_permutexvar_epi8(pack, result));

        // Lanes the integer result cannot decide, and lanes that could not
        // load, are noted for the scalar rule.
        const unsigned redo = covered & (unsure | ~load);
        if (redo != 0) {
            if (pending == kPendingSteps) {
                finish();
            }
            pendingStep[pending] = k;
            pendingLanes[pending] = static_cast<uint16_t>(redo);
            ++pending;
        }
    }
    finish();
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
                        __builtin_cpu_supports("avx512dq") &&
                        __builtin_cpu_supports("avx512vbmi") &&
                        __builtin_cpu_supports("avx512vnni");
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
