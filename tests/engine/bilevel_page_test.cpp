// Whole pages made bilevel: which branch "best" takes on evenly and
// unevenly lit pages, and whether the text survives in the dark half.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/bilevel_page.h"
#include "tests/support/synthetic_page.h"

using Skewmend::BestChoice;
using Skewmend::BilevelPage;
using Skewmend::BinarizeMethod;

namespace {

constexpr uint32_t kRows = 600;
constexpr uint32_t kCols = 480;

// A text page as a scanner gives it: strokes softened by a 3 x 3 mean and
// noise of +-10 grey levels (a perfectly two-level page is no scan: the
// threshold refinement of "best" walks off its ink level).
BmpBase::CBitmap24 Scanned(const BmpBase::CBitmap24& sharp) {
    BmpBase::CBitmap24 page = sharp;
    uint32_t state = 7;
    for (uint32_t r = 1; r + 1 < page.height; ++r) {
        for (uint32_t c = 1; c + 1 < page.width; ++c) {
            for (uint32_t k = 0; k < 3; ++k) {
                int sum = 0;
                for (uint32_t dr = 0; dr < 3; ++dr) {
                    for (uint32_t dc = 0; dc < 3; ++dc) {
                        sum += sharp.PixelAt(r + dr - 1, c + dc - 1)[k];
                    }
                }
                state = state * 1664525u + 1013904223u;
                const int noise = static_cast<int>((state >> 24) % 21) - 10;
                page.PixelAt(r, c)[k] = static_cast<uint8_t>(std::clamp(sum / 9 + noise, 0, 255));
            }
        }
    }
    return page;
}

// Light falling off from the left edge (full) to the right edge (30 %).
BmpBase::CBitmap24 UnevenlyLit(const BmpBase::CBitmap24& even) {
    BmpBase::CBitmap24 page = even;
    for (uint32_t r = 0; r < page.height; ++r) {
        uint8_t* p = page.PixelAt(r, 0);
        for (uint32_t c = 0; c < page.width; ++c) {
            const uint32_t light = 100 - 70 * c / (page.width - 1);
            for (int k = 0; k < 3; ++k, ++p) {
                *p = static_cast<uint8_t>(*p * light / 100);
            }
        }
    }
    return page;
}

// Share of ink in the left and right halves of the mask.
std::pair<double, double> InkShares(const BilevelPage& b) {
    size_t ink[2] = {};
    for (uint32_t r = 0; r < b.height; ++r) {
        for (uint32_t c = 0; c < b.width; ++c) {
            ink[c * 2 / b.width] += b.mask[size_t{r} * b.width + c] ? 1 : 0;
        }
    }
    const double half = static_cast<double>(b.height) * b.width / 2;
    return {static_cast<double>(ink[0]) / half, static_cast<double>(ink[1]) / half};
}

BilevelPage Binarized(const BmpBase::CBitmap24& page, BinarizeMethod method) {
    BilevelPage b;
    std::string reason;
    EXPECT_TRUE(Skewmend::BinarizePage(page, method, b, reason)) << reason;
    return b;
}

TEST(BilevelPage, BestPicksOtsuWhenEvenlyLitAndSauvolaWhenNot) {
    const BmpBase::CBitmap24 even = Scanned(TestSupport::TextPage(kRows, kCols, 0.0));
    EXPECT_EQ(Binarized(even, BinarizeMethod::kBest).choice, BestChoice::kOtsu);
    EXPECT_EQ(Binarized(UnevenlyLit(even), BinarizeMethod::kBest).choice, BestChoice::kSauvola);
    EXPECT_EQ(Binarized(even, BinarizeMethod::kOtsu).choice, BestChoice::kNone);
}

TEST(BilevelPage, LocalMethodsKeepTheTextOfTheDarkHalfWhereGlobalOtsuLosesIt) {
    const BmpBase::CBitmap24 even = Scanned(TestSupport::TextPage(kRows, kCols, 0.0));
    const auto reference = InkShares(Binarized(even, BinarizeMethod::kOtsu));
    const BmpBase::CBitmap24 uneven = UnevenlyLit(even);
    for (const BinarizeMethod method : {BinarizeMethod::kSauvola, BinarizeMethod::kBest}) {
        SCOPED_TRACE(Skewmend::BinarizeMethodName(method));
        const auto shares = InkShares(Binarized(uneven, method));
        EXPECT_LT(shares.first, reference.first * 1.5);
        EXPECT_GT(shares.first, reference.first / 1.5);
        EXPECT_LT(shares.second, reference.second * 1.5);
        EXPECT_GT(shares.second, reference.second / 1.5);
    }
    // Global Otsu cannot hold both halves with one threshold.
    const auto otsu = InkShares(Binarized(uneven, BinarizeMethod::kOtsu));
    const auto near = [](double share, double ref) {
        return share < ref * 1.5 && share > ref / 1.5;
    };
    EXPECT_FALSE(near(otsu.first, reference.first) && near(otsu.second, reference.second));
}

TEST(BilevelPage, RefusesAnEmptyPage) {
    BilevelPage b;
    std::string reason;
    EXPECT_FALSE(Skewmend::BinarizePage(BmpBase::CBitmap24(), BinarizeMethod::kBest, b, reason));
    EXPECT_FALSE(reason.empty());
}

}  // namespace
