// Bringing a turned 24-bit page back to the kind it was stored in, and the
// notes that name what decoding gave up.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "pictconv/page_description.h"

using BmpBase::CBitmap24;
using Pictconv::PageDescription;
using Pictconv::PageKind;

namespace {

CBitmap24 OneRow(std::initializer_list<std::array<uint8_t, 3>> bgr) {
    CBitmap24 page;
    page.Allocate(1, static_cast<uint32_t>(bgr.size()));
    uint32_t c = 0;
    for (const auto& px : bgr) {
        std::copy(px.begin(), px.end(), page.PixelAt(0, c++));
    }
    return page;
}

std::array<uint8_t, 3> At(const CBitmap24& page, uint32_t c) {
    const uint8_t* px = page.PixelAt(0, c);
    return {px[0], px[1], px[2]};
}

TEST(ReduceToKind, BilevelThresholdsGreyAt128WithoutInversion) {
    CBitmap24 page = OneRow({{127, 127, 127}, {128, 128, 128}, {0, 0, 255}, {10, 20, 31}});
    PageDescription d;
    d.kind = PageKind::kBilevel;
    Pictconv::ReduceToKind(page, d);
    using Px = std::array<uint8_t, 3>;
    EXPECT_EQ(At(page, 0), (Px{0, 0, 0}));
    EXPECT_EQ(At(page, 1), (Px{255, 255, 255}));
    EXPECT_EQ(At(page, 2), (Px{0, 0, 0}));  // grey 85
    EXPECT_EQ(At(page, 3), (Px{0, 0, 0}));
}

TEST(ReduceToKind, GreyTakesTheMeanAndRgbIsLeftAlone) {
    PageDescription d;
    d.kind = PageKind::kGrey;
    CBitmap24 page = OneRow({{10, 20, 31}});
    Pictconv::ReduceToKind(page, d);
    EXPECT_EQ(At(page, 0), (std::array<uint8_t, 3>{20, 20, 20}));

    d.kind = PageKind::kRgb;
    page = OneRow({{10, 20, 31}});
    Pictconv::ReduceToKind(page, d);
    EXPECT_EQ(At(page, 0), (std::array<uint8_t, 3>{10, 20, 31}));
}

TEST(ReduceToKind, PaletteTakesTheNearestEntryLowestIndexOnATie) {
    PageDescription d;
    d.kind = PageKind::kPalette;
    d.palette = {{254, 0, 0}, {0, 0, 254}, {0, 0, 254}, {250, 250, 250}};
    // Blends between red and blue at equal distance go to red (index 0).
    CBitmap24 page = OneRow({{127, 0, 127}, {200, 10, 10}, {240, 255, 255}});
    Pictconv::ReduceToKind(page, d);
    using Px = std::array<uint8_t, 3>;
    EXPECT_EQ(At(page, 0), (Px{0, 0, 254}));
    EXPECT_EQ(At(page, 1), (Px{254, 0, 0}));
    EXPECT_EQ(At(page, 2), (Px{250, 250, 250}));
    EXPECT_EQ(Pictconv::NearestEntry(d.palette, 0, 0, 254), 1u);
}

TEST(ChangeNotes, NamesEachChangeInOrder) {
    EXPECT_EQ(Pictconv::ChangeNotes(Pictconv::kNoChange), "");
    EXPECT_EQ(Pictconv::ChangeNotes(Pictconv::kAlphaFlattened | Pictconv::kReducedTo8Bits),
              "reduced to 8 bits; alpha flattened over white");
    EXPECT_EQ(Pictconv::ChangeNotes(Pictconv::kConvertedToRgb), "converted to RGB");
}

}  // namespace
