// The fit-and-centre arithmetic of the image view.
#include "desktop/view_layout.h"

#include <gtest/gtest.h>

namespace LeveloraDesk {
namespace {

constexpr int kBar = 30;  // toolbar height in these cases

struct LayoutCase {
    const char* name;
    int clientRight, clientBottom, barHeight;
    int32_t srcW, srcH;
    ViewRect expected;
};

class FitAndCentreTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(FitAndCentreTest, ScalesAndCentresBelowTheToolbar) {
    const LayoutCase& c = GetParam();
    const ViewRect r = FitAndCentre(c.clientRight, c.clientBottom, c.barHeight, c.srcW, c.srcH);
    EXPECT_EQ(r.visible, c.expected.visible);
    if (c.expected.visible) {
        EXPECT_EQ(r.x, c.expected.x);
        EXPECT_EQ(r.y, c.expected.y);
        EXPECT_EQ(r.width, c.expected.width);
        EXPECT_EQ(r.height, c.expected.height);
    }
}

// An area of 1000 x 800 below a toolbar of kBar pixels: client bottom 830.
const LayoutCase kCases[] = {
    {"WideLargePictureShrinksByWidth",
     1000,
     800 + kBar,
     kBar,
     3000,
     2000,
     {true, 0, (830 + kBar) / 2 - 667 / 2, 1000, 667}},
    {"SmallPictureIsNotEnlarged",
     1000,
     800 + kBar,
     kBar,
     400,
     300,
     {true, 300, (830 + kBar) / 2 - 150, 400, 300}},
    {"SmallerFactorOnceEitherFitsAtMost",
     1000,
     800 + kBar,
     kBar,
     1200,
     300,
     {true, 0, (830 + kBar) / 2 - 125, 1000, 250}},
    {"TopDownPictureUsesAbsoluteHeight",
     1000,
     800 + kBar,
     kBar,
     400,
     -300,
     {true, 300, (830 + kBar) / 2 - 150, 400, 300}},
    {"ExactFitUsesScaleOne", 400, 300, 0, 400, 300, {true, 0, 0, 400, 300}},
    {"NoRoomBelowToolbarDrawsNothing", 1000, kBar, kBar, 400, 300, {}},
    {"NoWidthDrawsNothing", 0, 800, kBar, 400, 300, {}},
    {"EmptyPictureDrawsNothing", 1000, 800, kBar, 0, 0, {}},
};

INSTANTIATE_TEST_SUITE_P(View, FitAndCentreTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<LayoutCase>& p) {
                             return std::string(p.param.name);
                         });

}  // namespace
}  // namespace LeveloraDesk
