// Methods that are not built yet: each says so and falls back to Otsu, and
// the local optimisation leaves the threshold alone. These tests go away
// with the stand-ins when the real methods arrive.
#include <gtest/gtest.h>

#include <string>

#include "binarizer/binarizer.h"

using BmpBase::GreyImage;
using Skewmend::Binarizer;
using Skewmend::PixelMask;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

GreyImage TwoLevels() {
    GreyImage img(10, 10, 200);
    for (size_t i = 0; i < 30; ++i) {
        img.Data()[i * 3] = 40;
    }
    return img;
}

}  // namespace

struct PendingCase {
    const char* name;
    const char* log;
};

class PendingMethod : public testing::TestWithParam<PendingCase> {};

TEST_P(PendingMethod, SaysItIsNotAvailableAndFallsBackToOtsu) {
    const GreyImage img = TwoLevels();
    PixelMask otsuMask;
    uint16_t h = 0, w = 0;
    uint8_t otsuBackground = 0;
    {
        Binarizer b(img);
        CaptureStdout();
        b.Binarize("otsu", otsuMask, h, w, otsuBackground);
        GetCapturedStdout();
    }
    Binarizer b(img);
    PixelMask mask;
    uint8_t background = 0;
    CaptureStdout();
    b.Binarize(GetParam().name, mask, h, w, background);
    EXPECT_EQ(GetCapturedStdout(), GetParam().log);
    EXPECT_EQ(mask, otsuMask);
    EXPECT_EQ(mask.Count(), 30u);
    EXPECT_EQ(background, otsuBackground);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PendingMethod,
    testing::Values(
        PendingCase{"dotsu",
                    "Distributed-Otus!\nBinarizer::Binarize_DistributedOtsu is not available, "
                    "falling back to Otsu\n"},
        PendingCase{"sauvola",
                    "Sauvola!\nBinarizer::Binarize_Sauvola is not available, falling back to "
                    "Otsu\n"},
        PendingCase{"best",
                    "Best!\nBinarizer::Binarize_Best is not available, falling back to Otsu\n"}));

TEST(PendingLocalOptimize, OptimisedOtsuKeepsTheGlobalThreshold) {
    Binarizer b(TwoLevels());
    PixelMask mask;
    int32_t threshold = 0;
    CaptureStdout();
    b.Binarize_Otsu(mask, threshold, true);
    EXPECT_EQ(GetCapturedStdout(),
              "Binarizer::LocalOptimize is not available, keeping the threshold\n");
    EXPECT_EQ(threshold, 41);
    EXPECT_EQ(mask.Count(), 30u);

    b.localOptimize = false;
    CaptureStdout();
    b.Binarize_Otsu(mask, threshold, true);
    EXPECT_EQ(GetCapturedStdout(), "");
}
