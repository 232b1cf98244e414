// Binarizer: the object, the dispatcher, the global Otsu threshold and the
// majority rule.
#include "engine/binarizer/binarizer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

using BmpBase::GreyImage;
using Skewmend::Binarizer;
using Skewmend::PixelMask;
using Skewmend::RegionRect;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

// A rows x cols image filled row by row with `levels`, each repeated as
// often as its count says (the counts must add up to rows x cols).
GreyImage FromHistogram(uint32_t rows, uint32_t cols, const std::map<int, int>& levels) {
    GreyImage img(rows, cols);
    size_t i = 0;
    for (const auto& [level, count] : levels) {
        for (int k = 0; k < count; ++k, ++i) {
            img.Data()[i] = static_cast<uint8_t>(level);
        }
    }
    EXPECT_EQ(i, img.ElementCount());
    return img;
}

struct Outcome {
    std::string log;
    PixelMask mask;
    uint16_t height = 0;
    uint16_t width = 0;
    uint8_t background = 0;
};

Outcome RunMethod(const GreyImage& img, const std::string& method) {
    Binarizer b(img);
    Outcome o;
    CaptureStdout();
    b.Binarize(method, o.mask, o.height, o.width, o.background);
    o.log = GetCapturedStdout();
    return o;
}

int32_t Threshold(const GreyImage& img) {
    Binarizer b(img);
    RegionRect whole{0, static_cast<uint16_t>(img.height - 1), 0,
                     static_cast<uint16_t>(img.width - 1)};
    double separation = -1.0;
    return b.OtsuThreshold(&whole, nullptr, separation);
}

}  // namespace

// Two-level pages: 30 % and 70 % of the pixels at grey 40 and 200, in both
// proportions. The threshold is the same; the majority rule decides which
// level is ink and which is paper.
struct TwoLevelCase {
    int darkCount;  // pixels at 40 out of 100
    bool inkIsDark;
    uint8_t background;
};

class TwoLevelPage : public testing::TestWithParam<TwoLevelCase> {};

TEST_P(TwoLevelPage, ThresholdIs41AndTheSmallerPartIsInk) {
    const TwoLevelCase& tc = GetParam();
    const GreyImage img = FromHistogram(10, 10, {{40, tc.darkCount}, {200, 100 - tc.darkCount}});
    const Outcome o = RunMethod(img, "otsu");
    EXPECT_EQ(o.log, "Otsu!\n");
    EXPECT_EQ(o.height, 10);
    EXPECT_EQ(o.width, 10);
    EXPECT_EQ(o.background, tc.background);
    ASSERT_EQ(o.mask.size(), 100u);
    for (size_t i = 0; i < 100; ++i) {
        EXPECT_EQ(o.mask[i], (img.Data()[i] == 40) == tc.inkIsDark) << i;
    }

    Binarizer b(img);
    PixelMask mask;
    int32_t threshold = -1;
    CaptureStdout();
    b.Binarize_Otsu(mask, threshold, false);
    GetCapturedStdout();
    EXPECT_EQ(threshold, 41);
    EXPECT_EQ(mask, o.mask);
}

INSTANTIATE_TEST_SUITE_P(Proportions, TwoLevelPage,
                         testing::Values(TwoLevelCase{30, true, 200}, TwoLevelCase{70, false, 40},
                                         // exactly half below T: not inverted
                                         TwoLevelCase{50, true, 200}));

TEST(Binarizer, SingleLevelPageHasNoInkAndItsLevelIsThePaper) {
    const GreyImage img(7, 9, 128);
    const Outcome o = RunMethod(img, "otsu");
    EXPECT_EQ(o.log, "Otsu!\nImage is with unique color, can NOT apply Otsu\n");
    EXPECT_EQ(o.mask, PixelMask(63));
    EXPECT_EQ(o.background, 128);

    Binarizer b(img);
    PixelMask mask;
    int32_t threshold = -1;
    CaptureStdout();
    b.Binarize_Otsu(mask, threshold, true);
    GetCapturedStdout();
    EXPECT_EQ(threshold, 0);
}

TEST(Binarizer, EmptyImageGivesEmptyMaskAndWhitePaper) {
    const Outcome o = RunMethod(GreyImage(0, 0), "otsu");
    EXPECT_EQ(o.log, "Otsu!\nImage is with unique color, can NOT apply Otsu\n");
    EXPECT_TRUE(o.mask.empty());
    EXPECT_EQ(o.height, 0);
    EXPECT_EQ(o.width, 0);
    EXPECT_EQ(o.background, 255);
}

TEST(Binarizer, KeepsItsOwnCopyOfTheGreyImage) {
    GreyImage img(2, 2, 10);
    Binarizer b(img);
    img.rows[1][1] = 99;
    EXPECT_EQ(b.grey.rows[1][1], 10);
    EXPECT_EQ(b.height, 2u);
    EXPECT_EQ(b.width, 2u);
    EXPECT_EQ(b.sauvolaWindow, 20u);
    EXPECT_EQ(b.optWindow, 500u);
    EXPECT_TRUE(b.localOptimize);
}

// Histograms whose threshold pins the arithmetic: the bright mean is the
// exact quotient, empty bins are scored like any other (one of them wins
// here by rounding), and ties go to the lowest threshold.
struct HistogramCase {
    const char* name;
    std::map<int, int> levels;
    uint32_t rows;
    uint32_t cols;
    int32_t threshold;
};

class OtsuHistogram : public testing::TestWithParam<HistogramCase> {};

TEST_P(OtsuHistogram, GivesTheExactThreshold) {
    const HistogramCase& tc = GetParam();
    EXPECT_EQ(Threshold(FromHistogram(tc.rows, tc.cols, tc.levels)), tc.threshold);
}

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, OtsuHistogram,
    testing::Values(
        // A truncated bright mean would give 59.
        HistogramCase{"BrightMeanIsNotTruncated",
                      {{41, 3}, {58, 4}, {114, 5}, {186, 3}, {193, 1}},
                      4,
                      4,
                      115},
        // Skipping the empty bin 60 would give 60.
        HistogramCase{"EmptyBinsAreScored", {{59, 3}, {123, 5}, {169, 2}}, 2, 5, 61},
        HistogramCase{"TieGoesToTheLowerThreshold", {{100, 2}, {101, 2}, {102, 2}}, 2, 3, 101},
        HistogramCase{"AdjacentLevels", {{0, 1}, {255, 1}}, 1, 2, 1},
        HistogramCase{"TopLevels", {{254, 3}, {255, 1}}, 2, 2, 255}),
    [](const testing::TestParamInfo<HistogramCase>& param) { return param.param.name; });

TEST(OtsuThreshold, SeparationIsTheDistanceOfTheClassMeansAtT) {
    Binarizer b(FromHistogram(10, 10, {{40, 30}, {200, 70}}));
    RegionRect whole{0, 9, 0, 9};
    double separation = -1.0;
    EXPECT_EQ(b.OtsuThreshold(&whole, nullptr, separation), 41);
    EXPECT_EQ(separation, 160.0);
}

TEST(OtsuThreshold, SinglePixelRectIsOneLevelAndLeavesSeparation) {
    Binarizer b(FromHistogram(2, 2, {{10, 2}, {90, 2}}));
    RegionRect one{1, 1, 0, 0};
    double separation = -1.0;
    EXPECT_EQ(b.OtsuThreshold(&one, nullptr, separation), 0);
    EXPECT_EQ(separation, -1.0);
}

TEST(OtsuThreshold, RectCountsOnlyItsOwnPixels) {
    // Left two columns 10 / 90, right column 50.
    GreyImage img(2, 3);
    const uint8_t values[6] = {10, 90, 50, 90, 10, 50};
    std::copy(values, values + 6, img.Data());
    Binarizer b(img);
    double separation = 0.0;
    RegionRect left{0, 1, 0, 1};
    EXPECT_EQ(b.OtsuThreshold(&left, nullptr, separation), 11);
    EXPECT_EQ(separation, 80.0);
    RegionRect right{0, 1, 2, 2};
    EXPECT_EQ(b.OtsuThreshold(&right, nullptr, separation), 0);
}

TEST(OtsuThreshold, RectsOutsideTheImageHoldNoPixels) {
    Binarizer b(FromHistogram(2, 2, {{10, 2}, {90, 2}}));
    double separation = -1.0;
    RegionRect reversed{1, 0, 0, 1};
    EXPECT_EQ(b.OtsuThreshold(&reversed, nullptr, separation), 0);
    RegionRect beyond{5, 9, 5, 9};
    EXPECT_EQ(b.OtsuThreshold(&beyond, nullptr, separation), 0);
    // Clipped to the image: the same threshold as the whole image.
    RegionRect overlong{0, 500, 0, 500};
    EXPECT_EQ(b.OtsuThreshold(&overlong, nullptr, separation), 11);
    EXPECT_EQ(separation, 80.0);
}

TEST(OtsuThreshold, SelectionCountsOnlyMarkedPixels) {
    // 200 pixels at 40 and 90 are selected; 100 unselected pixels at 250
    // would otherwise pull the threshold up.
    GreyImage img(10, 30);
    PixelMask selection(300);
    for (size_t i = 0; i < 300; ++i) {
        img.Data()[i] = static_cast<uint8_t>(i < 100 ? 40 : (i < 200 ? 90 : 250));
        if (i < 200) {
            selection.Set(i);
        }
    }
    Binarizer b(img);
    double separation = 0.0;
    EXPECT_EQ(b.OtsuThreshold(nullptr, &selection, separation), 41);
    EXPECT_EQ(separation, 50.0);
    EXPECT_EQ(b.OtsuThreshold(nullptr, &selection, separation),
              Threshold(FromHistogram(10, 20, {{40, 100}, {90, 100}})));
    EXPECT_EQ(b.OtsuThreshold(nullptr, nullptr, separation), 0);
    EXPECT_EQ(b.OtsuThreshold(nullptr, &selection, separation), 41);
    PixelMask none(300);
    EXPECT_EQ(b.OtsuThreshold(nullptr, &none, separation), 0);
}

// ApplyThreshold: strictly below is ink, then more than half set inverts.
struct MajorityCase {
    int32_t threshold;
    size_t inkCount;  // of the levels 0 .. 8 in a 3 x 3 image
    bool inverted;
};

class MajorityRule : public testing::TestWithParam<MajorityCase> {};

TEST_P(MajorityRule, InkIsNeverTheLargerPart) {
    const MajorityCase& tc = GetParam();
    GreyImage img(3, 3);
    for (uint8_t i = 0; i < 9; ++i) {
        img.Data()[i] = i;
    }
    Binarizer b(img);
    PixelMask mask;
    b.ApplyThreshold(mask, tc.threshold);
    ASSERT_EQ(mask.size(), 9u);
    EXPECT_EQ(mask.Count(), tc.inkCount);
    for (int32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(mask[static_cast<size_t>(i)], (i < tc.threshold) != tc.inverted) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, MajorityRule,
                         testing::Values(MajorityCase{0, 0, false}, MajorityCase{4, 4, false},
                                         MajorityCase{5, 4, true}, MajorityCase{9, 0, true},
                                         MajorityCase{300, 0, true}, MajorityCase{-5, 0, false}));

TEST(ApplyThreshold, PacksFlagsAcrossWordBoundaries) {
    // 9 x 15 = 135 flags: two full words and a partial one.
    GreyImage img(9, 15, 200);
    std::vector<size_t> ink = {0, 63, 64, 127, 128, 134};
    for (size_t i : ink) {
        img.Data()[i] = 20;
    }
    Binarizer b(img);
    PixelMask mask;
    b.ApplyThreshold(mask, 21);
    PixelMask expected(135);
    for (size_t i : ink) {
        expected.Set(i);
    }
    EXPECT_EQ(mask, expected);
}

using BinarizerDeathTest = ::testing::Test;

TEST_F(BinarizerDeathTest, UnknownMethodNameEndsTheProcess) {
    for (const char* name : {"Otsu", "", "otsu "}) {
        EXPECT_EXIT(
            {
                dup2(STDERR_FILENO, STDOUT_FILENO);
                Binarizer b(GreyImage(2, 2, 1));
                PixelMask mask;
                uint16_t h = 0;
                uint16_t w = 0;
                uint8_t background = 0;
                b.Binarize(name, mask, h, w, background);
            },
            ::testing::ExitedWithCode(1), "^Assert fail! File: \\.\\\\Binarizer\\. Line: 86\n")
            << name;
    }
}

TEST_F(BinarizerDeathTest, ImageOf65535ColumnsIsRefused) {
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            Binarizer b(GreyImage(1, 65535));
        },
        ::testing::ExitedWithCode(1), "Assert fail! File: \\.\\\\Binarizer\\. Line: ");
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            Binarizer b(GreyImage(65535, 1));
        },
        ::testing::ExitedWithCode(1), "Assert fail! File: \\.\\\\Binarizer\\. Line: ");
}

TEST(Binarizer, ImageOf65534ColumnsIsAccepted) {
    const GreyImage img = FromHistogram(1, 65534, {{30, 100}, {220, 65434}});
    const Outcome o = RunMethod(img, "otsu");
    EXPECT_EQ(o.width, 65534);
    EXPECT_EQ(o.mask.Count(), 100u);
    EXPECT_EQ(o.background, 220);
}

TEST(ApplyThreshold, MatchesThePlainRuleForEveryThreshold) {
    GreyImage img(37, 29);
    uint32_t seed = 99;
    for (size_t i = 0; i < img.ElementCount(); ++i) {
        seed = seed * 1103515245u + 12345u;
        img.Data()[i] = static_cast<uint8_t>(seed >> 24);
    }
    Binarizer b(img);
    for (int32_t t = -1; t <= 257; ++t) {
        PixelMask expected(img.ElementCount());
        for (size_t i = 0; i < img.ElementCount(); ++i) {
            if (img.Data()[i] < t) {
                expected.Set(i);
            }
        }
        if (expected.Count() > img.ElementCount() / 2) {
            expected.InvertAll();
        }
        PixelMask mask;
        b.ApplyThreshold(mask, t);
        ASSERT_EQ(mask, expected) << t;
    }
}
