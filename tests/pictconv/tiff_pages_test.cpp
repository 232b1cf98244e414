// The converter core's multi-page TIFF: what each page is read as, and a
// file written with one page carried over as stored and one written anew.
#include <gtest/gtest.h>

#include <tiffio.h>

#include "pictconv/atomic_output.h"
#include "pictconv/tiff_pages.h"
#include "tests/pictconv/sample_files.h"
#include "tests/support/test_support.h"

namespace PictconvTest {
namespace {

using Pictconv::PageKind;

constexpr uint32_t kWidth = 32;
constexpr uint32_t kHeight = 32;

// Rows of zero samples in the layout `layout` describes.
std::vector<std::vector<uint8_t>> ZeroRows(const TiffLayout& layout) {
    const size_t bytes = (size_t{kWidth} * layout.bitsPerSample * layout.samplesPerPixel + 7) / 8;
    return std::vector<std::vector<uint8_t>>(kHeight, std::vector<uint8_t>(bytes, 0));
}

TiffLayout LayoutOf(uint16_t photometric, uint16_t bits, uint16_t samples,
                    uint16_t compression = 1) {
    TiffLayout layout;
    layout.photometric = photometric;
    layout.bitsPerSample = bits;
    layout.samplesPerPixel = samples;
    layout.compression = compression;
    return layout;
}

struct DescribeCase {
    const char* name;
    TiffLayout layout;
    PageKind kind;
    unsigned changes;
};

class DescribePage : public testing::TestWithParam<DescribeCase> {};

TEST_P(DescribePage, ReadsTheKindDepthCompressionAndWhatIsGivenUp) {
    const DescribeCase& c = GetParam();
    TestSupport::ScratchDir dir;
    const std::string path = dir.File("page.tif");
    TiffLayout layout = c.layout;
    layout.xRes = layout.yRes = 200.0f;
    WriteTiff(path, kWidth, kHeight, layout, ZeroRows(layout));
    Pictconv::TiffPages pages;
    std::string error;
    ASSERT_TRUE(pages.Open(path.c_str(), error)) << error;
    BmpBase::CBitmap24 picture;
    Pictconv::PageDescription d;
    ASSERT_TRUE(pages.Read(0, picture, d, error)) << error;
    EXPECT_EQ(d.kind, c.kind);
    EXPECT_EQ(d.bitsPerSample, layout.bitsPerSample);
    EXPECT_EQ(d.compression, layout.compression);
    EXPECT_EQ(d.changes, c.changes);
    EXPECT_EQ(d.xResolution, 200.0);
    EXPECT_EQ(d.resolutionUnit, Pictconv::ResolutionUnit::kInch);
    EXPECT_EQ(picture.width, kWidth);
}

TiffLayout WithAlpha() {
    TiffLayout layout = LayoutOf(PHOTOMETRIC_RGB, 8, 4);
    layout.extraSamples = EXTRASAMPLE_UNASSALPHA;
    return layout;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DescribePage,
    testing::Values(
        DescribeCase{"FaxMinIsWhite", LayoutOf(PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_CCITTFAX4),
                     PageKind::kBilevel, Pictconv::kNoChange},
        DescribeCase{"BilevelMinIsBlack",
                     LayoutOf(PHOTOMETRIC_MINISBLACK, 1, 1, COMPRESSION_PACKBITS),
                     PageKind::kBilevel, Pictconv::kNoChange},
        DescribeCase{"Grey4", LayoutOf(PHOTOMETRIC_MINISBLACK, 4, 1), PageKind::kGrey,
                     Pictconv::kNoChange},
        DescribeCase{"Grey16", LayoutOf(PHOTOMETRIC_MINISBLACK, 16, 1, COMPRESSION_LZW),
                     PageKind::kGrey, Pictconv::kReducedTo8Bits},
        DescribeCase{"Rgb", LayoutOf(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_ADOBE_DEFLATE),
                     PageKind::kRgb, Pictconv::kNoChange},
        DescribeCase{"RgbAlpha", WithAlpha(), PageKind::kRgb, Pictconv::kAlphaFlattened},
        DescribeCase{"Cmyk", LayoutOf(PHOTOMETRIC_SEPARATED, 8, 4), PageKind::kRgb,
                     Pictconv::kConvertedToRgb}),
    [](const testing::TestParamInfo<DescribeCase>& c) { return c.param.name; });

// The colour map's 16-bit entries become 8-bit colours.
TEST(TiffPagesRead, APaletteKeepsItsColourMap) {
    TestSupport::ScratchDir dir;
    const std::string path = dir.File("palette.tif");
    TiffLayout layout = LayoutOf(PHOTOMETRIC_PALETTE, 4, 1);
    layout.colormap.assign(3 * 16, 0);
    layout.colormap[1] = 0x1234;
    layout.colormap[16 + 1] = 0xABCD;
    layout.colormap[32 + 1] = 0xFFFF;
    WriteTiff(path, kWidth, kHeight, layout, ZeroRows(layout));
    Pictconv::TiffPages pages;
    std::string error;
    ASSERT_TRUE(pages.Open(path.c_str(), error));
    BmpBase::CBitmap24 picture;
    Pictconv::PageDescription d;
    ASSERT_TRUE(pages.Read(0, picture, d, error)) << error;
    EXPECT_EQ(d.kind, PageKind::kPalette);
    ASSERT_EQ(d.palette.size(), 16u);
    EXPECT_EQ(d.palette[1].red, 0x12);
    EXPECT_EQ(d.palette[1].green, 0xAB);
    EXPECT_EQ(d.palette[1].blue, 0xFF);
}

// A tiled page carried over keeps its tiles; a page written anew in front
// of it keeps its kind; the input's second page comes first, as listed.
TEST(TiffPagesWrite, CarriesTilesAsStoredAndWritesPagesInTheOrderListed) {
    TestSupport::ScratchDir dir;
    const std::string in = dir.File("in.tif");
    TiffLayout layout = LayoutOf(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW);
    layout.tiled = true;
    layout.extraPage = true;
    std::vector<std::vector<uint8_t>> rows = ZeroRows(layout);
    rows[3][5] = 200;
    WriteTiff(in, kWidth, kHeight, layout, rows);
    Pictconv::TiffPages pages;
    std::string error;
    ASSERT_TRUE(pages.Open(in.c_str(), error));
    ASSERT_EQ(pages.Count(), 2u);
    BmpBase::CBitmap24 grey;
    Pictconv::PageDescription d;
    ASSERT_TRUE(pages.Read(1, grey, d, error)) << error;
    const std::string out = dir.File("out.tif");
    // The descriptor libtiff takes on this platform (a handle on Windows).
    Pictconv::AtomicOutput written(out.c_str());
    ASSERT_TRUE(written.IsOpen());
    ASSERT_TRUE(Pictconv::WriteTiffPages(pages, {{1, &grey, d}, {0, nullptr, {}}},
                                         written.ReleaseFd(), written.TempPath().c_str()));
    ASSERT_TRUE(written.Commit());

    const auto tiles = [](TIFF* tif) {
        std::vector<std::vector<uint8_t>> all;
        for (uint32_t t = 0; t < TIFFNumberOfTiles(tif); ++t) {
            std::vector<uint8_t> tile(TIFFGetStrileByteCount(tif, t));
            TIFFReadRawTile(tif, t, tile.data(), static_cast<tmsize_t>(tile.size()));
            all.push_back(tile);
        }
        return all;
    };
    TIFF* before = TIFFOpen(in.c_str(), "r");
    TIFF* after = TIFFOpen(out.c_str(), "r");
    ASSERT_NE(before, nullptr);
    ASSERT_NE(after, nullptr);
    uint16_t photometric = 0;
    TIFFGetField(after, TIFFTAG_PHOTOMETRIC, &photometric);
    EXPECT_EQ(photometric, PHOTOMETRIC_MINISBLACK);
    ASSERT_EQ(TIFFReadDirectory(after), 1);
    ASSERT_TRUE(TIFFIsTiled(after));
    EXPECT_EQ(tiles(after), tiles(before));
    EXPECT_EQ(TIFFReadDirectory(after), 0);
    TIFFClose(before);
    TIFFClose(after);
}

}  // namespace
}  // namespace PictconvTest
