// What a page keeps through the tool: pages stored sideways by their EXIF
// orientation come out upright and straight, colour profiles and metadata
// reach the written page, a damaged EXIF block is dropped with its note,
// and a JPEG keeps its quality unless --quality says otherwise.
#include <gtest/gtest.h>

#include <png.h>
#include <tiffio.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "pictconv/codecs.h"
#include "pictconv/orientation.h"
#include "pictconv/page.h"
#include "pictconv/tiff_pages.h"
#include "tests/cli/cli_fixture.h"
#include "tests/pictconv/sample_files.h"
#include "tests/support/synthetic_page.h"

namespace CliTest {
namespace {

using BmpBase::CBitmap24;
using Pictconv::PageDescription;

constexpr double kTilt = 4.0;
constexpr char kXmp[] = "<x:xmpmeta><rdf:Description tiff:Orientation=\"6\"/></x:xmpmeta>";

// Writes `picture` as a JPEG of `quality` carrying `exif` (when not empty),
// an ICC profile and an XMP packet.
void WriteJpeg(const std::string& path, const CBitmap24& picture, int quality,
               const std::vector<uint8_t>& exif) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = picture.width;
    info.image_height = picture.height;
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    if (!exif.empty()) {
        std::vector<uint8_t> app1 = {'E', 'x', 'i', 'f', 0, 0};
        app1.insert(app1.end(), exif.begin(), exif.end());
        jpeg_write_marker(&info, JPEG_APP0 + 1, app1.data(), static_cast<unsigned>(app1.size()));
    }
    const std::string xmp = std::string("http://ns.adobe.com/xap/1.0/") + '\0' + kXmp;
    jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(xmp.data()),
                      static_cast<unsigned>(xmp.size()));
    const std::vector<uint8_t> icc = PictconvTest::IccProfile(3000);
    jpeg_write_icc_profile(&info, icc.data(), static_cast<unsigned>(icc.size()));
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(Pictconv::TopRow(picture, info.next_scanline));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(f);
}

// The tilted page as a camera stores it when `orientation` says how to
// show it: turned the other way.
CBitmap24 StoredSideways(int orientation) {
    const CBitmap24 upright = TestSupport::TextPage(kPageRows, kPageCols, kTilt, 1);
    const int inverse = orientation == 6 ? 8 : orientation == 8 ? 6 : orientation;
    CBitmap24 stored;
    Pictconv::UprightByOrientation(upright, inverse, stored);
    return stored;
}

bool HasMake(const std::vector<uint8_t>& exif) {
    const std::string bytes(exif.begin(), exif.end());
    return bytes.find(PictconvTest::kMake) != std::string::npos;
}

using Metadata = CliTestBase;

TEST_F(Metadata, PhotosStoredSidewaysComeOutUprightAndStraightWithWhatCameWithThem) {
    for (const int orientation : {6, 8, 3}) {
        SCOPED_TRACE(orientation);
        WriteJpeg(File("in.jpg"), StoredSideways(orientation), 90,
                  PictconvTest::ExifBlock(static_cast<uint16_t>(orientation)));
        const ToolRun estimate = Run({"estimate", "in.jpg", "--format", "json"});
        EXPECT_NEAR(JsonReport(estimate)["pages"][0]["angle"].number, kTilt, 0.2);
        const ToolRun run = Run({"auto", "in.jpg", "-o", "out.jpg", "-f", "--format", "json"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const Json page = JsonReport(run)["pages"][0];
        EXPECT_NEAR(page["angle"].number, kTilt, 0.2);
        EXPECT_EQ(page["note"].text, "put upright by its orientation");

        CBitmap24 out;
        PageDescription d;
        ASSERT_TRUE(Pictconv::DecodeJpeg(File("out.jpg").c_str(), out, d));
        EXPECT_GT(out.height, out.width);  // portrait, as the page is
        EXPECT_EQ(d.metadata.orientation, 1);
        EXPECT_TRUE(HasMake(d.metadata.exif));
        EXPECT_EQ(d.metadata.icc, PictconvTest::IccProfile(3000));
        EXPECT_NE(d.metadata.xmp.find("tiff:Orientation=\"1\""), std::string::npos);
        EXPECT_EQ(d.metadata.jpeg.quality, 90);
    }
}

TEST_F(Metadata, ADamagedExifBlockIsDroppedWithItsNote) {
    std::vector<uint8_t> exif = PictconvTest::ExifBlock(1);
    exif[7] = 0xF0;  // IFD0 past the end of the block
    WriteJpeg(File("in.jpg"), TestSupport::TextPage(kPageRows, kPageCols, kTilt, 1), 75, exif);
    const ToolRun run = Run({"auto", "in.jpg", "-o", "out.jpg", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(JsonReport(run)["pages"][0]["note"].text, "EXIF dropped (damaged)");
    CBitmap24 out;
    PageDescription d;
    ASSERT_TRUE(Pictconv::DecodeJpeg(File("out.jpg").c_str(), out, d));
    EXPECT_TRUE(d.metadata.exif.empty());
    EXPECT_EQ(d.metadata.icc, PictconvTest::IccProfile(3000));
}

TEST_F(Metadata, AJpegKeepsItsQualityUnlessAskedForAnother) {
    WriteJpeg(File("in.jpg"), TestSupport::TextPage(kPageRows, kPageCols, kTilt, 1), 75, {});
    const struct {
        std::vector<std::string> extra;
        int quality;
    } cases[] = {{{}, 75}, {{"--quality", "40"}, 40}};
    for (const auto& c : cases) {
        std::vector<std::string> args = {"auto", "in.jpg", "-o", "out.jpg", "-f"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        ASSERT_EQ(Run(args).exitCode, 0);
        CBitmap24 out;
        PageDescription d;
        ASSERT_TRUE(Pictconv::DecodeJpeg(File("out.jpg").c_str(), out, d));
        EXPECT_EQ(d.metadata.jpeg.quality, c.quality);
    }
}

// Writes `page` as an RGB PNG with a text chunk, a density and an iCCP
// chunk of `icc` named "scanner", put in by hand after the header so that
// any profile can be tried, even one libpng would refuse to write.
void WritePng(const std::string& path, const CBitmap24& page, const std::vector<uint8_t>& icc) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, page.width, page.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, 11811, 11811, PNG_RESOLUTION_METER);
    png_text text{};
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = const_cast<png_charp>("Author");
    text.text = const_cast<png_charp>("Ada");
    png_set_text(png, info, &text, 1);
    png_write_info(png, info);
    png_set_bgr(png);
    for (uint32_t r = 0; r < page.height; ++r) {
        png_write_row(png, Pictconv::TopRow(page, r));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);

    std::vector<uint8_t> chunk = {'i', 'C', 'C', 'P', 's', 'c', 'a', 'n', 'n', 'e', 'r', 0, 0};
    uLongf packed = compressBound(static_cast<uLong>(icc.size()));
    chunk.resize(chunk.size() + packed);
    ASSERT_EQ(compress(&chunk[13], &packed, icc.data(), static_cast<uLong>(icc.size())), Z_OK);
    chunk.resize(13 + packed);
    const auto be32 = [](uint32_t v) {
        return std::vector<uint8_t>{static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                                    static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
    };
    std::vector<uint8_t> bytes = TestSupport::ReadBytes(path);
    const size_t afterHeader = 8 + 25;  // the signature and IHDR
    std::vector<uint8_t> spliced(bytes.begin(), bytes.begin() + afterHeader);
    for (const auto& part :
         {be32(static_cast<uint32_t>(chunk.size() - 4)), chunk,
          be32(static_cast<uint32_t>(crc32(0, chunk.data(), static_cast<uInt>(chunk.size()))))}) {
        spliced.insert(spliced.end(), part.begin(), part.end());
    }
    spliced.insert(spliced.end(), bytes.begin() + afterHeader, bytes.end());
    TestSupport::WriteBytes(path, spliced);
}

TEST_F(Metadata, APngKeepsItsProfileTextAndDensity) {
    const CBitmap24 page = TestSupport::TextPage(kPageRows, kPageCols, kTilt, 1);
    const std::vector<uint8_t> icc = PictconvTest::IccProfile(2000);
    WritePng(File("in.png"), page, icc);

    ASSERT_EQ(Run({"auto", "in.png", "-o", "out.png"}).exitCode, 0);
    CBitmap24 out;
    PageDescription d;
    ASSERT_TRUE(Pictconv::DecodePng(File("out.png").c_str(), out, d));
    EXPECT_GT(out.width, page.width);  // turned
    EXPECT_EQ(d.metadata.icc, icc);
    EXPECT_EQ(d.metadata.iccName, "scanner");
    EXPECT_EQ(d.metadata.resolution.x, 11811);
    ASSERT_EQ(d.metadata.text.size(), 1u);
    EXPECT_EQ(d.metadata.text[0].text, "Ada");
}

// libpng reads a profile of an unknown class with a warning but refuses to
// write it: the page is still written, without the profile, and says so.
TEST_F(Metadata, APngProfileThatCannotBeWrittenAgainIsDroppedWithANote) {
    const CBitmap24 page = TestSupport::TextPage(kPageRows, kPageCols, kTilt, 1);
    std::vector<uint8_t> icc = PictconvTest::IccProfile(2000);
    std::memcpy(&icc[12], "\x02\x16tr", 4);
    WritePng(File("in.png"), page, icc);
    CBitmap24 in;
    PageDescription read;
    ASSERT_TRUE(Pictconv::DecodePng(File("in.png").c_str(), in, read));
    ASSERT_EQ(read.metadata.icc, icc);

    const ToolRun run = Run({"auto", "in.png", "-o", "out.png", "--format", "csv"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("colour profile dropped"), std::string::npos) << run.out;
    CBitmap24 out;
    PageDescription d;
    ASSERT_TRUE(Pictconv::DecodePng(File("out.png").c_str(), out, d));
    EXPECT_GT(out.width, page.width);
    EXPECT_TRUE(d.metadata.icc.empty());
    ASSERT_EQ(d.metadata.text.size(), 1u);
}

// A scanner's two-page TIFF (profile, text tags, XMP, EXIF, 300/1 dpi):
// the tilted first page is written anew, the straight second carried over;
// both keep what came with them.
TEST_F(Metadata, AScannersTiffKeepsItsProfileTagsAndExactResolution) {
    const std::vector<uint8_t> icc = PictconvTest::IccProfile(1000);
    const std::string xmp = "<x:xmpmeta><dc:title>scan</dc:title></x:xmpmeta>";
    TIFF* tif = TIFFOpen(File("in.tif").c_str(), "w");
    for (const double tilt : {kTilt, 0.0}) {
        const CBitmap24 page = TestSupport::TextPage(kPageRows, kPageCols, tilt, 1);
        uint64_t exif = 0;
        TIFFCreateEXIFDirectory(tif);
        TIFFSetField(tif, EXIFTAG_DATETIMEORIGINAL, "2026:01:02 03:04:05");
        TIFFWriteCustomDirectory(tif, &exif);
        TIFFFreeDirectory(tif);  // libtiff 4.5 leaks the EXIF values otherwise
        TIFFCreateDirectory(tif);
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0);
        TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0);
        TIFFSetField(tif, TIFFTAG_ARTIST, "Ada");
        TIFFSetField(tif, TIFFTAG_SOFTWARE, "ScanIt 2");
        TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(icc.size()), icc.data());
        TIFFSetField(tif, TIFFTAG_XMLPACKET, static_cast<uint32_t>(xmp.size()), xmp.data());
        TIFFSetField(tif, TIFFTAG_EXIFIFD, exif);
        std::vector<uint8_t> row(3 * page.width);
        for (uint32_t r = 0; r < page.height; ++r) {
            const uint8_t* in = Pictconv::TopRow(page, r);
            for (uint32_t c = 0; c < page.width; ++c) {
                row[3 * c] = in[3 * c + 2];
                row[3 * c + 1] = in[3 * c + 1];
                row[3 * c + 2] = in[3 * c];
            }
            TIFFWriteScanline(tif, row.data(), r, 0);
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);

    const ToolRun run = Run({"auto", "in.tif", "-o", "out.tif", "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json report = JsonReport(run);
    EXPECT_EQ(report["pages"][0]["status"].text, "rotated");
    EXPECT_EQ(report["pages"][1]["status"].text, "unchanged");
    Pictconv::TiffPages out;
    std::string error;
    ASSERT_TRUE(out.Open(File("out.tif").c_str(), error));
    ASSERT_EQ(out.Count(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        CBitmap24 picture;
        PageDescription d;
        ASSERT_TRUE(out.Read(i, picture, d, error));
        EXPECT_EQ(d.xResolution, 300.0);  // 300/1, not 299.9994
        EXPECT_EQ(d.resolutionUnit, Pictconv::ResolutionUnit::kInch);
        EXPECT_EQ(d.metadata.icc, icc);
        EXPECT_EQ(d.metadata.xmp, xmp);
        ASSERT_EQ(d.metadata.text.size(), 2u);
        EXPECT_EQ(d.metadata.text[0].text, "ScanIt 2");
        EXPECT_EQ(d.metadata.text[1].text, "Ada");
        ASSERT_EQ(d.metadata.tiffExif.size(), 1u);
        EXPECT_EQ(d.metadata.tiffExif[0].tag, uint32_t{EXIFTAG_DATETIMEORIGINAL});
    }
}

}  // namespace
}  // namespace CliTest
