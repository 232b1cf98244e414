// Builds the working page. The height x width product is formed in 32 bits
// as the pipeline always has; pages within the size limits (65534 on a
// side) cannot wrap it.
//
// Every byte of every reduced row is written (the padding is cleared by the
// allocation), so the reduced page is allocated without clearing its pixels
// first. Where the processor has SSSE3, eight pixels at a time are taken
// from 48 source bytes by two byte shuffles; the row's last pixels are
// copied one by one. Both give the very bytes of the source pixels.
#include "engine/working_page.h"

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define SKEWMEND_SUBSAMPLE_SSSE3 1
#endif

namespace Skewmend {

namespace {

// Pixels `from` .. w-1 of one reduced row, one by one. Four bytes at a
// time: the fourth lands where the next pixel's first byte goes and is
// overwritten by it; the row's last pixel moves its three bytes alone, so
// nothing is read or written past the row.
void SubsampleRowPlain(const uint8_t* src, uint8_t* to, uint32_t from, uint32_t w) {
    for (uint32_t c = from; c + 1 < w; ++c) {
        std::memcpy(to + 3 * c, src + 6 * c, 4);
    }
    if (w > from) {
        std::memcpy(to + 3 * (w - 1), src + 6 * (w - 1), 3);
    }
}

#if defined(SKEWMEND_SUBSAMPLE_SSSE3)

constexpr uint32_t kBlockPixels = 8;  // reduced pixels per step

// Shuffle taking bytes of one 16-byte source part (starting at source byte
// `partStart` of the 48-byte block) to output bytes `outStart` ..
// `outStart` + 15; output byte o is byte 6 (o / 3) + o % 3 of the block.
__m128i Pick(int partStart, int outStart) {
    alignas(16) char index[16];
    for (int i = 0; i < 16; ++i) {
        const int o = outStart + i;
        const int at = o < 24 ? 6 * (o / 3) + o % 3 - partStart : -1;
        index[i] = static_cast<char>(at >= 0 && at < 16 ? at : -1);
    }
    return _mm_load_si128(reinterpret_cast<const __m128i*>(index));
}

struct SubsampleShuffles {
    __m128i low[3];   // output bytes 0 .. 15 from parts 0, 1, 2
    __m128i high[3];  // output bytes 16 .. 23 from parts 0, 1, 2
    SubsampleShuffles() {
        for (int part = 0; part < 3; ++part) {
            low[part] = Pick(16 * part, 0);
            high[part] = Pick(16 * part, 16);
        }
    }
};

// Whole blocks of eight reduced pixels while the 48 bytes read stay inside
// the source row (2w - 1 pixels from its start); returns the pixels done.
__attribute__((target("ssse3"))) uint32_t SubsampleRowSsse3(const SubsampleShuffles& s,
                                                            const uint8_t* src, uint8_t* to,
                                                            uint32_t w) {
    uint32_t c = 0;
    for (; c + kBlockPixels < w; c += kBlockPixels) {
        const uint8_t* p = src + 6 * static_cast<size_t>(c);
        __m128i low = _mm_setzero_si128();
        __m128i high = _mm_setzero_si128();
        for (int part = 0; part < 3; ++part) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            low = _mm_or_si128(low, _mm_shuffle_epi8(bytes, s.low[part]));
            high = _mm_or_si128(high, _mm_shuffle_epi8(bytes, s.high[part]));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 3 * static_cast<size_t>(c)), low);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(to + 3 * static_cast<size_t>(c) + 16), high);
    }
    return c;
}

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3") != 0;
    return has;
}

#endif

}  // namespace

WorkingPage::WorkingPage(const BmpBase::CBitmap24& src) : page_(&src) {
    if (src.height * src.width <= kMaxFullSizeAnalysisPixels) {
        return;
    }
    reduced_ = std::make_unique<BmpBase::CBitmap24>();
    reduced_->AllocateForOverwrite(src.height / 2, src.width / 2);
    const uint32_t w = reduced_->width;
#if defined(SKEWMEND_SUBSAMPLE_SSSE3)
    const bool wide = HasSsse3();
    const SubsampleShuffles shuffles;
#endif
    for (uint32_t r = 0; r < reduced_->height; ++r) {
        const uint8_t* from = src.PixelAt(2 * r, 0);
        uint8_t* to = reduced_->PixelAt(r, 0);
        uint32_t done = 0;
#if defined(SKEWMEND_SUBSAMPLE_SSSE3)
        if (wide) {
            done = SubsampleRowSsse3(shuffles, from, to, w);
        }
#endif
        SubsampleRowPlain(from, to, done, w);
    }
    page_ = reduced_.get();
}

}  // namespace Skewmend
