// Plane extraction: grey level as the truncated mean of the three channels,
// or one channel as it is stored (byte 0 blue, 1 green, 2 red).
//
// The grey level is the page's most-used conversion, so on processors with
// SSSE3 it takes 16 pixels at a time: byte shuffles gather each channel of
// the 48 bytes into 16-bit lanes, the lanes are summed, and the sum s
// (at most 765) is divided by 3 as the high half of s * 21846. That is
// exactly s / 3: with s = 3k + r (r = 0, 1, 2, k <= 255),
// s * 21846 / 65536 = k + (2k + 21846 r) / 65536 and 2k + 43692 < 65536, so
// the fraction never reaches 1. The row's last pixels go through the plain
// loop.
#include "bmpbase/planes.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define BMPBASE_GREY_SSSE3 1
#endif

namespace BmpBase {

namespace {

void GreyRowPlain(const uint8_t* src, uint8_t* dst, uint32_t from, uint32_t width) {
    for (uint32_t c = from; c < width; ++c) {
        const unsigned sum = src[3 * c] + src[3 * c + 1] + src[3 * c + 2];
        dst[c] = static_cast<uint8_t>(sum / 3);
    }
}

#if defined(BMPBASE_GREY_SSSE3)

constexpr int kGreyBlockPixels = 16;
constexpr short kThirdMultiplier = 21846;  // ceil(65536 / 3)

// Shuffle that moves byte `first + 3 i` of a 16-byte part starting at byte
// `partStart` of the block into the low byte of lane i (i = 0 .. 7), and
// zeroes every byte whose source lies outside the part.
__m128i Gather(int first, int partStart) {
    alignas(16) char index[16];
    for (int i = 0; i < 8; ++i) {
        const int at = first + 3 * i - partStart;
        index[2 * i] = static_cast<char>(at >= 0 && at < 16 ? at : -1);
        index[2 * i + 1] = -1;
    }
    return _mm_load_si128(reinterpret_cast<const __m128i*>(index));
}

// For channel k: pixels 0 .. 7 of a block come from its parts 0 and 1,
// pixels 8 .. 15 from parts 1 and 2.
struct GreyShuffles {
    __m128i lowFirst[3];
    __m128i lowSecond[3];
    __m128i highFirst[3];
    __m128i highSecond[3];
    GreyShuffles() {
        for (int k = 0; k < 3; ++k) {
            lowFirst[k] = Gather(k, 0);
            lowSecond[k] = Gather(k, 16);
            highFirst[k] = Gather(24 + k, 16);
            highSecond[k] = Gather(24 + k, 32);
        }
    }
};

// The grey levels of the row's whole blocks of 16 pixels; returns how many
// pixels it did.
__attribute__((target("ssse3"))) uint32_t GreyRowSsse3(const GreyShuffles& g, const uint8_t* src,
                                                       uint8_t* dst, uint32_t width) {
    const __m128i third = _mm_set1_epi16(kThirdMultiplier);
    uint32_t c = 0;
    for (; c + kGreyBlockPixels <= width; c += kGreyBlockPixels) {
        const uint8_t* p = src + 3 * static_cast<size_t>(c);
        const __m128i part0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i part1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        const __m128i part2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
        __m128i low = _mm_setzero_si128();
        __m128i high = _mm_setzero_si128();
        for (int k = 0; k < 3; ++k) {
            low = _mm_add_epi16(low, _mm_or_si128(_mm_shuffle_epi8(part0, g.lowFirst[k]),
                                                  _mm_shuffle_epi8(part1, g.lowSecond[k])));
            high = _mm_add_epi16(high, _mm_or_si128(_mm_shuffle_epi8(part1, g.highFirst[k]),
                                                    _mm_shuffle_epi8(part2, g.highSecond[k])));
        }
        const __m128i grey =
            _mm_packus_epi16(_mm_mulhi_epu16(low, third), _mm_mulhi_epu16(high, third));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + c), grey);
    }
    return c;
}

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3") != 0;
    return has;
}

#endif

void FitPlane(const CBitmap24& bmp, GreyImage& plane) {
    if (plane.height != bmp.height || plane.width != bmp.width || plane.rows == nullptr) {
        plane.Resize(bmp.height, bmp.width);
    }
}

bool ExtractChannel(const CBitmap24& bmp, GreyImage& plane, int channel) {
    FitPlane(bmp, plane);
    for (uint32_t r = 0; r < bmp.height; ++r) {
        const uint8_t* src = bmp.PixelAt(r, 0) + channel;
        uint8_t* dst = plane.rows[r];
        for (uint32_t c = 0; c < bmp.width; ++c) {
            dst[c] = src[3 * c];
        }
    }
    return true;
}

}  // namespace

bool GetGreyImage(const CBitmap24& bmp, GreyImage& grey) {
    FitPlane(bmp, grey);
#if defined(BMPBASE_GREY_SSSE3)
    const bool wide = HasSsse3();
    const GreyShuffles shuffles;
#endif
    for (uint32_t r = 0; r < bmp.height; ++r) {
        const uint8_t* src = bmp.PixelAt(r, 0);
        uint8_t* dst = grey.rows[r];
        uint32_t done = 0;
#if defined(BMPBASE_GREY_SSSE3)
        if (wide) {
            done = GreyRowSsse3(shuffles, src, dst, bmp.width);
        }
#endif
        GreyRowPlain(src, dst, done, bmp.width);
    }
    return true;
}

bool GetBlueImage(const CBitmap24& bmp, GreyImage& plane) {
    return ExtractChannel(bmp, plane, 0);
}
bool GetGreenImage(const CBitmap24& bmp, GreyImage& plane) {
    return ExtractChannel(bmp, plane, 1);
}
bool GetRedImage(const CBitmap24& bmp, GreyImage& plane) {
    return ExtractChannel(bmp, plane, 2);
}

}  // namespace BmpBase
