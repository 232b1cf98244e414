// BMP -> format -> BMP for every format: exact for PNG and TIFF, within a
// small tolerance for JPEG; both stored row orders of the source; grey and
// colour pages; the resolution carried both ways; the BMP form produced.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <iterator>

#include "pictconv/pictconv.h"
#include "tests/pictconv/convert_helpers.h"
#include "tests/support/test_support.h"

using BmpBase::CBitmap24;
using PictconvTest::Converter;
using PictconvTest::GradientBitmap;
using PictconvTest::MaxDifference;
using PictconvTest::RunConverter;
using TestSupport::ScratchDir;

namespace {

// JPEG at quality 90 with 4:2:0 chroma keeps a smooth page within this many
// levels per channel.
constexpr int kJpegTolerance = 10;
constexpr int32_t k300DpiPpm = 11811;
constexpr int32_t k200DpiPpm = 7874;

struct Format {
    const char* name;
    Converter fromBmp;
    Converter toBmp;
    int tolerance;
};

class RoundTrip : public testing::TestWithParam<Format> {
  protected:
    // Writes `page`, converts it out and back, and reads the result.
    CBitmap24 Cycle(const CBitmap24& page) {
        const Format& f = GetParam();
        EXPECT_TRUE(page.Write(dir.File("in.bmp").c_str()));
        const auto out = RunConverter(f.fromBmp, dir.File("in.bmp"), dir.File("mid"));
        EXPECT_TRUE(out.ok);
        EXPECT_EQ(out.printed, "");
        const auto back = RunConverter(f.toBmp, dir.File("mid"), dir.File("out.bmp"));
        EXPECT_TRUE(back.ok);
        EXPECT_EQ(back.printed, "");
        CBitmap24 result;
        EXPECT_TRUE(result.Read(dir.File("out.bmp").c_str()));
        return result;
    }

    ScratchDir dir;
};

TEST_P(RoundTrip, ColourPageComesBackWithinTolerance) {
    const CBitmap24 page =
        GetParam().tolerance == 0 ? TestSupport::PatternBitmap(23, 37) : GradientBitmap(48, 37);
    EXPECT_LE(MaxDifference(Cycle(page), page), GetParam().tolerance);
}

TEST_P(RoundTrip, GreyPageComesBackGrey) {
    CBitmap24 page = GradientBitmap(30, 41);
    for (uint32_t r = 0; r < page.height; ++r) {
        for (uint32_t c = 0; c < page.width; ++c) {
            uint8_t* p = page.PixelAt(r, c);
            p[0] = p[1] = p[2] = static_cast<uint8_t>(r * 8 + c);
        }
    }
    const CBitmap24 back = Cycle(page);
    EXPECT_LE(MaxDifference(back, page), GetParam().tolerance);
    for (uint32_t r = 0; r < back.height; ++r) {
        for (uint32_t c = 0; c < back.width; ++c) {
            const uint8_t* p = back.PixelAt(r, c);
            ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]);
        }
    }
}

TEST_P(RoundTrip, TopDownSourceKeepsItsDisplayedOrientation) {
    const CBitmap24 bottomUp =
        GetParam().tolerance == 0 ? TestSupport::PatternBitmap(19, 21) : GradientBitmap(19, 21);
    // The same displayed picture stored top-down.
    CBitmap24 topDown = bottomUp;
    topDown.infoHeader.biHeight = -static_cast<int32_t>(bottomUp.height);
    for (uint32_t r = 0; r < bottomUp.height; ++r) {
        std::copy(bottomUp.PixelAt(bottomUp.height - 1 - r, 0),
                  bottomUp.PixelAt(bottomUp.height - 1 - r, 0) + bottomUp.stride,
                  topDown.PixelAt(r, 0));
    }
    const CBitmap24 back = Cycle(topDown);
    EXPECT_GT(back.infoHeader.biHeight, 0);
    EXPECT_LE(MaxDifference(back, bottomUp), GetParam().tolerance);
}

TEST_P(RoundTrip, ResolutionSurvives) {
    CBitmap24 page = GradientBitmap(16, 16);
    page.infoHeader.biXPelsPerMeter = k300DpiPpm;
    page.infoHeader.biYPelsPerMeter = k200DpiPpm;
    const CBitmap24 back = Cycle(page);
    EXPECT_EQ(back.infoHeader.biXPelsPerMeter, k300DpiPpm);
    EXPECT_EQ(back.infoHeader.biYPelsPerMeter, k200DpiPpm);
}

TEST_P(RoundTrip, UnknownResolutionStaysUnknown) {
    const CBitmap24 back = Cycle(GradientBitmap(8, 8));
    EXPECT_EQ(back.infoHeader.biXPelsPerMeter, 0);
    EXPECT_EQ(back.infoHeader.biYPelsPerMeter, 0);
}

TEST_P(RoundTrip, WritesPlainBottomUp24BitBmp) {
    const CBitmap24 back = Cycle(GradientBitmap(5, 7));
    EXPECT_EQ(back.fileHeader.bfType, BmpBase::kBmpMagic);
    EXPECT_EQ(+back.fileHeader.bfOffBits, 54u);
    EXPECT_EQ(+back.fileHeader.bfSize, 54u + 5u * 24u);
    EXPECT_EQ(back.infoHeader.biSize, 40u);
    EXPECT_EQ(back.infoHeader.biBitCount, 24);
    EXPECT_EQ(back.infoHeader.biCompression, 0u);
    EXPECT_EQ(back.infoHeader.biHeight, 5);
    EXPECT_EQ(back.infoHeader.biWidth, 7);
    EXPECT_EQ(back.infoHeader.biSizeImage, 5u * 24u);
    EXPECT_EQ(TestSupport::ReadBytes(dir.File("out.bmp")).size(), 54u + 5u * 24u);
    for (uint32_t r = 0; r < back.height; ++r) {
        const uint8_t* pad = back.PixelAt(r, 0) + 21;
        EXPECT_EQ(pad[0] | pad[1] | pad[2], 0) << "row " << r;
    }
}

// (POSIX file modes only where they exist: Windows gives the new file the
// folder's permissions.)
TEST_P(RoundTrip, ReplacesAnExistingDestinationAndKeepsItsMode) {
    TestSupport::WriteBytes(dir.File("mid"), {1, 2, 3});
#ifndef _WIN32
    ASSERT_EQ(chmod(dir.File("mid").c_str(), 0640), 0);
#endif
    const CBitmap24 page = GradientBitmap(9, 9);
    Cycle(page);
    struct stat st;
    ASSERT_EQ(stat(dir.File("mid").c_str(), &st), 0);
#ifndef _WIN32
    EXPECT_EQ(st.st_mode & 0777, 0640u);
#endif
    EXPECT_GT(st.st_size, 3);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              std::ptrdiff_t{3});
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip,
                         testing::Values(Format{"Jpeg", Bmp2Jpg, Jpg2Bmp, kJpegTolerance},
                                         Format{"Png", Bmp2Png, Png2Bmp, 0},
                                         Format{"Tiff", Bmp2Tif, Tif2Bmp, 0}),
                         [](const testing::TestParamInfo<Format>& p) { return p.param.name; });

}  // namespace
