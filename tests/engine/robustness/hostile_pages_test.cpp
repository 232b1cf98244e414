// Pages that break naive deskewing, through the automatic export: each ends
// in a defined result. Most cannot be estimated ("Failed to call Deskewer",
// false) and leave the destination an exact copy; noise and a textless
// photo give an angle from whatever structure they have and are turned, as
// any page would be.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/skewmend.h"
#include "tests/engine/robustness/hostile_pages.h"

namespace {

struct Expected {
    const char* name;
    bool ok;
    int angle;
    bool copy;  // destination is an exact copy of the page
    const char* log;
};

const Expected kExpected[] = {
    {"AllWhite", false, 0, true,
     "Otsu!\nImage is with unique color, can NOT apply Otsu\nFailed to get all CCs\n"
     "Failed to call Deskewer\n"},
    {"AllBlack", false, 0, true,
     "Otsu!\nImage is with unique color, can NOT apply Otsu\nFailed to get all CCs\n"
     "Failed to call Deskewer\n"},
    {"Noise", true, -89, false, "Otsu!\nRaw angle = 96\nAngle = 91\n"},
    {"SinglePixel", false, 0, true, "Otsu!\nFailed to get all CCs\nFailed to call Deskewer\n"},
    {"CheckerboardOfPixels", false, 0, true,
     "Otsu!\nFailed to get all CCs\nFailed to call Deskewer\n"},
    {"CheckerboardOf8PixelCells", false, 0, true,
     "Otsu!\nFailed to get all CCs\nFailed to call Deskewer\n"},
    {"GiantComponent", false, 0, true, "Otsu!\nFailed to get all CCs\nFailed to call Deskewer\n"},
    {"OneRowStrip", false, 0, true, "Otsu!\nFailed to get all CCs\nFailed to call Deskewer\n"},
    {"OneColumnStrip", false, 0, true, "Otsu!\nFailed to get all CCs\nFailed to call Deskewer\n"},
    {"OneByOne", false, 0, true,
     "Otsu!\nImage is with unique color, can NOT apply Otsu\nFailed to get all CCs\n"
     "Failed to call Deskewer\n"},
    {"LargeBlankPage", false, 0, true,
     "Otsu!\nImage is with unique color, can NOT apply Otsu\nFailed to get all CCs\n"
     "Failed to call Deskewer\n"},
    {"PhotoWithoutText", true, 90, false, "Otsu!\nRaw angle = 90\nAngle = 90\n"},
    {"BigAndSmallComponent", false, 0, true,
     "Otsu!\nFailed to get nearest pairs\nFailed to call Deskewer\n"},
};

class HostilePage : public ::testing::TestWithParam<Expected> {};

}  // namespace

TEST_P(HostilePage, EndsInItsDefinedResult) {
    const Expected& e = GetParam();
    const HostilePages::Page* page = nullptr;
    static const std::vector<HostilePages::Page> pages = HostilePages::All();
    for (const auto& p : pages) {
        if (p.name == e.name) {
            page = &p;
        }
    }
    ASSERT_NE(page, nullptr) << e.name;
    BmpBase::CBitmap24 dst;
    int angle = 12345;
    testing::internal::CaptureStdout();
    const bool ok = _AutoRotate(&page->bitmap, &dst, 2, &angle);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(ok, e.ok);
    EXPECT_EQ(angle, e.angle);
    EXPECT_EQ(log, e.log);
    const bool copy = dst.pixelBytes == page->bitmap.pixelBytes && dst.pixels != nullptr &&
                      std::memcmp(dst.pixels, page->bitmap.pixels, dst.pixelBytes) == 0;
    EXPECT_EQ(copy, e.copy);
    EXPECT_NE(dst.pixels, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Pages, HostilePage, ::testing::ValuesIn(kExpected),
                         [](const ::testing::TestParamInfo<Expected>& row) {
                             return std::string(row.param.name);
                         });
