// Metadata through the codec libraries: files made here with libjpeg,
// libpng and libtiff carry a colour profile, EXIF, XMP and text; they are
// read, brought in line with a turned page, written and read again.
#include <gtest/gtest.h>

#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "pictconv/codecs.h"
#include "pictconv/exif_block.h"
#include "pictconv/jpeg_metadata.h"
#include "pictconv/metadata_turn.h"
#include "pictconv/orientation.h"
#include "pictconv/page.h"
#include "pictconv/png_metadata.h"
#include "pictconv/tiff_metadata.h"
#include "tests/pictconv/sample_files.h"
#include "tests/support/test_support.h"

using Pictconv::PageMetadata;
using Pictconv::TextEntry;
using Pictconv::TextOrigin;

namespace {

using PictconvTest::ExifBlock;
using PictconvTest::kMake;
constexpr char kXmp[] = "<x:xmpmeta><rdf:Description tiff:Orientation=\"6\"/></x:xmpmeta>";

bool HasMake(const std::vector<uint8_t>& exif) {
    return std::search(exif.begin(), exif.end(), kMake, kMake + sizeof kMake - 1) != exif.end();
}

// ---- JPEG -----------------------------------------------------------------

void WriteJpegFile(const std::string& path, const PageMetadata* carried, int quality,
                   bool progressive) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = 32;
    info.image_height = 24;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    if (carried != nullptr) {
        Pictconv::SetJpegEncoding(info, *carried, quality, Pictconv::kJpegQuality);
    } else {
        jpeg_set_quality(&info, quality, TRUE);
        if (progressive) {
            jpeg_simple_progression(&info);
        }
        info.comp_info[0].h_samp_factor = 2;
        info.comp_info[0].v_samp_factor = 1;
        info.density_unit = 1;
        info.X_density = info.Y_density = 300;
    }
    jpeg_start_compress(&info, TRUE);
    if (carried != nullptr) {
        Pictconv::WriteJpegMetadata(info, *carried);
    } else {
        std::vector<uint8_t> exif = {'E', 'x', 'i', 'f', 0, 0};
        const std::vector<uint8_t> block = ExifBlock(6);
        exif.insert(exif.end(), block.begin(), block.end());
        jpeg_write_marker(&info, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
        std::string xmp = std::string("http://ns.adobe.com/xap/1.0/") + '\0' + kXmp;
        jpeg_write_marker(&info, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(xmp.data()),
                          static_cast<unsigned>(xmp.size()));
        const std::vector<uint8_t> icc = PictconvTest::IccProfile(70000);  // two APP2 segments
        jpeg_write_icc_profile(&info, icc.data(), static_cast<unsigned>(icc.size()));
        const std::string ps = std::string("Photoshop 3.0") + '\0' + "8BIM resources";
        jpeg_write_marker(&info, JPEG_APP0 + 13, reinterpret_cast<const JOCTET*>(ps.data()),
                          static_cast<unsigned>(ps.size()));
        jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>("scanned"), 7);
    }
    std::vector<uint8_t> row(32 * 3, 128);
    while (info.next_scanline < info.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&info, &p, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(f);
}

PageMetadata ReadJpegFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, f);
    Pictconv::SaveJpegMetadataMarkers(info);
    jpeg_read_header(&info, TRUE);
    PageMetadata m;
    Pictconv::ReadJpegMetadata(info, m);
    jpeg_destroy_decompress(&info);
    std::fclose(f);
    return m;
}

TEST(JpegMetadata, ProfileExifXmpAndEncodingSurviveATurnedPage) {
    for (const bool progressive : {false, true}) {
        SCOPED_TRACE(progressive ? "progressive" : "baseline");
        TestSupport::ScratchDir dir;
        WriteJpegFile(dir.File("in.jpg"), nullptr, 75, progressive);
        PageMetadata m = ReadJpegFile(dir.File("in.jpg"));
        EXPECT_EQ(m.orientation, 6);
        EXPECT_EQ(m.jpeg.quality, 75);
        EXPECT_EQ(m.jpeg.progressive, progressive);
        EXPECT_EQ(m.xmp, kXmp);

        EXPECT_TRUE(Pictconv::TurnMetadata(m, {24, 32, false}).empty());
        WriteJpegFile(dir.File("out.jpg"), &m, 0, false);
        const PageMetadata out = ReadJpegFile(dir.File("out.jpg"));
        EXPECT_EQ(out.icc, PictconvTest::IccProfile(70000));
        EXPECT_EQ(out.orientation, 1);
        EXPECT_TRUE(HasMake(out.exif));
        EXPECT_EQ(out.xmp.find("Orientation=\"1\""), out.xmp.find("Orientation="));
        EXPECT_EQ(out.jpeg.quality, 75);
        EXPECT_EQ(out.jpeg.progressive, progressive);
        EXPECT_EQ(out.jpeg.lumaHorizontal, 2);
        EXPECT_EQ(out.jpeg.lumaVertical, 1);
        EXPECT_EQ(out.resolution.unit, 1);
        EXPECT_EQ(out.resolution.x, 300);
        EXPECT_EQ(out.photoshop, m.photoshop);
        ASSERT_EQ(out.text.size(), 1u);
        EXPECT_EQ(out.text[0].text, "scanned");
    }
}

// ---- PNG ------------------------------------------------------------------

// Writes a 4x3 RGB PNG: with `carried`, through WritePngMetadata;
// otherwise the test's own chunks, one tEXt after the image data.
void WritePngFile(const std::string& path, const PageMetadata* carried) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, 4, 3, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (carried != nullptr) {
        std::vector<png_text> chunks = Pictconv::PngTextChunks(*carried);
        Pictconv::WritePngMetadata(png, info, *carried, chunks);
        png_write_info(png, info);
    } else {
        const std::vector<uint8_t> icc = PictconvTest::IccProfile(600);
        png_set_iCCP(png, info, "scanner", 0, icc.data(), static_cast<png_uint_32>(icc.size()));
        std::vector<uint8_t> exif = ExifBlock(8);
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(exif.size()), exif.data());
        png_set_pHYs(png, info, 11811, 11811, PNG_RESOLUTION_METER);
        png_text t[3] = {};
        t[0].compression = PNG_ITXT_COMPRESSION_NONE;
        t[0].key = const_cast<png_charp>(Pictconv::kPngXmpKeyword);
        t[0].text = const_cast<png_charp>(kXmp);
        t[0].itxt_length = std::strlen(kXmp);
        t[0].lang = const_cast<png_charp>("");
        t[0].lang_key = const_cast<png_charp>("");
        t[1].compression = PNG_TEXT_COMPRESSION_zTXt;
        t[1].key = const_cast<png_charp>("Description");
        t[1].text = const_cast<png_charp>("a scanned page");
        t[2].compression = PNG_ITXT_COMPRESSION_zTXt;
        t[2].key = const_cast<png_charp>("Title");
        t[2].text = const_cast<png_charp>("Seite");
        t[2].lang = const_cast<png_charp>("de");
        t[2].lang_key = const_cast<png_charp>("Titel");
        png_set_text(png, info, t, 3);
        png_write_info(png, info);
        png_text late{};
        late.compression = PNG_TEXT_COMPRESSION_NONE;
        late.key = const_cast<png_charp>("Author");
        late.text = const_cast<png_charp>("Ada");
        png_set_text(png, info, &late, 1);
        png_set_invalid(png, info, PNG_INFO_eXIf);  // written already
    }
    std::vector<uint8_t> row(4 * 3, 200);
    for (int r = 0; r < 3; ++r) {
        png_write_row(png, row.data());
    }
    png_write_end(png, carried != nullptr ? nullptr : info);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

PageMetadata ReadPngFile(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_read_info(png, info);
    std::vector<uint8_t> row(png_get_rowbytes(png, info));
    for (uint32_t r = 0; r < png_get_image_height(png, info); ++r) {
        png_read_row(png, row.data(), nullptr);
    }
    png_read_end(png, info);
    PageMetadata m;
    Pictconv::ReadPngMetadata(png, info, m);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return m;
}

const TextEntry* Find(const PageMetadata& m, const std::string& keyword) {
    for (const TextEntry& e : m.text) {
        if (e.keyword == keyword) {
            return &e;
        }
    }
    return nullptr;
}

TEST(PngMetadata, ProfileExifXmpTextAndDensitySurviveATurnedPage) {
    TestSupport::ScratchDir dir;
    WritePngFile(dir.File("in.png"), nullptr);
    PageMetadata m = ReadPngFile(dir.File("in.png"));
    EXPECT_EQ(m.orientation, 8);
    EXPECT_EQ(m.iccName, "scanner");
    ASSERT_NE(Find(m, "Author"), nullptr);  // after the image data

    EXPECT_TRUE(Pictconv::TurnMetadata(m, {3, 4, false}).empty());
    WritePngFile(dir.File("out.png"), &m);
    const PageMetadata out = ReadPngFile(dir.File("out.png"));
    EXPECT_EQ(out.icc, PictconvTest::IccProfile(600));
    EXPECT_EQ(out.iccName, "scanner");
    EXPECT_EQ(out.orientation, 1);
    EXPECT_TRUE(HasMake(out.exif));
    EXPECT_NE(out.xmp.find("Orientation=\"1\""), std::string::npos);
    EXPECT_EQ(out.resolution.x, 11811);
    EXPECT_EQ(out.resolution.unit, PNG_RESOLUTION_METER);
    const TextEntry* title = Find(out, "Title");
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(title->international && title->compressed);
    EXPECT_EQ(title->language, "de");
    EXPECT_EQ(title->translatedKeyword, "Titel");
    EXPECT_EQ(title->text, "Seite");
    ASSERT_NE(Find(out, "Description"), nullptr);
    EXPECT_TRUE(Find(out, "Description")->compressed);
    ASSERT_NE(Find(out, "Author"), nullptr);
    EXPECT_EQ(Find(out, "Author")->text, "Ada");
}

// ---- TIFF -----------------------------------------------------------------

const std::vector<uint8_t> kIptc = {0x1C, 0x02, 0x00, 0x00, 0x02, 0x00, 0x04, 0x1C, 0x02};

void WriteTiffFile(const std::string& path, const char* mode, const PageMetadata* carried) {
    TIFF* tif = TIFFOpen(path.c_str(), mode);
    uint64_t exifOffset = 0;
    if (carried != nullptr) {
        ASSERT_TRUE(Pictconv::WriteTiffExifDirectory(tif, *carried, exifOffset));
    } else {
        ASSERT_EQ(TIFFCreateEXIFDirectory(tif), 0);
        TIFFSetField(tif, EXIFTAG_EXPOSURETIME, 0.004);
        const uint16_t iso[1] = {200};
        TIFFSetField(tif, EXIFTAG_ISOSPEEDRATINGS, 1, iso);
        TIFFSetField(tif, EXIFTAG_DATETIMEORIGINAL, "2026:01:02 03:04:05");
        TIFFSetField(tif, EXIFTAG_PIXELXDIMENSION, uint32_t{640});
        TIFFWriteCustomDirectory(tif, &exifOffset);
        TIFFFreeDirectory(tif);  // libtiff 4.5 leaks the EXIF values otherwise
        TIFFCreateDirectory(tif);
    }
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    if (carried != nullptr) {
        Pictconv::SetTiffMetadata(tif, *carried, exifOffset);
    } else {
        const std::vector<uint8_t> icc = PictconvTest::IccProfile(400);
        TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(icc.size()), icc.data());
        TIFFSetField(tif, TIFFTAG_XMLPACKET, static_cast<uint32_t>(std::strlen(kXmp)), kXmp);
        TIFFSetField(tif, TIFFTAG_PHOTOSHOP, 4u, "8BIM");
        TIFFSetField(tif, TIFFTAG_RICHTIFFIPTC, static_cast<uint32_t>(kIptc.size()), kIptc.data());
        TIFFSetField(tif, TIFFTAG_ARTIST, "Ada");
        TIFFSetField(tif, TIFFTAG_MAKE, kMake);
        TIFFSetField(tif, TIFFTAG_DATETIME, "2026:01:02 03:04:05");
        TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_RIGHTTOP);
        TIFFSetField(tif, TIFFTAG_EXIFIFD, exifOffset);
    }
    std::vector<uint8_t> row(4 * 3, 90);
    for (uint32_t r = 0; r < 3; ++r) {
        TIFFWriteScanline(tif, row.data(), r, 0);
    }
    TIFFClose(tif);
}

PageMetadata ReadTiffFile(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    PageMetadata m;
    EXPECT_TRUE(Pictconv::ReadTiffMetadata(tif, m));
    uint32_t width = 0;
    EXPECT_EQ(TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width), 1);  // back at the page
    TIFFClose(tif);
    return m;
}

const Pictconv::TiffExifField* FindField(const PageMetadata& m, uint32_t tag) {
    for (const auto& f : m.tiffExif) {
        if (f.tag == tag) {
            return &f;
        }
    }
    return nullptr;
}

TEST(TiffMetadata, TagsAndExifSurviveInEitherByteOrder) {
    for (const char* outMode : {"wb", "wl"}) {
        SCOPED_TRACE(outMode);
        TestSupport::ScratchDir dir;
        WriteTiffFile(dir.File("in.tif"), "wb", nullptr);
        PageMetadata m = ReadTiffFile(dir.File("in.tif"));
        EXPECT_EQ(m.orientation, ORIENTATION_RIGHTTOP);
        EXPECT_TRUE(Pictconv::TurnMetadata(m, {3, 4, false}).empty());
        WriteTiffFile(dir.File("out.tif"), outMode, &m);
        const PageMetadata out = ReadTiffFile(dir.File("out.tif"));
        EXPECT_EQ(out.icc, PictconvTest::IccProfile(400));
        EXPECT_NE(out.xmp.find("Orientation=\"1\""), std::string::npos);
        EXPECT_EQ(out.photoshop, std::vector<uint8_t>({'8', 'B', 'I', 'M'}));
        EXPECT_EQ(out.iptc, kIptc);
        ASSERT_EQ(out.text.size(), 3u);
        EXPECT_EQ(out.text[0].keyword, "Make");
        EXPECT_EQ(out.text[0].text, kMake);
        ASSERT_EQ(out.tiffExif.size(), m.tiffExif.size());
        const auto* exposure = FindField(out, EXIFTAG_EXPOSURETIME);
        ASSERT_NE(exposure, nullptr);
        EXPECT_EQ(exposure->value, FindField(m, EXIFTAG_EXPOSURETIME)->value);
        const auto* width = FindField(out, EXIFTAG_PIXELXDIMENSION);
        ASSERT_NE(width, nullptr);
        uint32_t w = 0;
        std::memcpy(&w, width->value.data(), 4);
        EXPECT_EQ(w, 3u);
        ASSERT_NE(FindField(out, EXIFTAG_DATETIMEORIGINAL), nullptr);
        ASSERT_NE(FindField(out, EXIFTAG_ISOSPEEDRATINGS), nullptr);
    }
}

// libtiff's RGBA reading flips but never transposes; what it leaves, applied
// by UprightByOrientation, gives the picture the tag describes.
TEST(TiffMetadata, RgbaReadingPlusTheOrientationLeftIsUpright) {
    const BmpBase::CBitmap24 stored = TestSupport::PatternBitmap(3, 5);
    for (int tag = 1; tag <= 8; ++tag) {
        SCOPED_TRACE(tag);
        TestSupport::ScratchDir dir;
        TIFF* tif = TIFFOpen(dir.File("o.tif").c_str(), "w");
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 5);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 3);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_ORIENTATION, tag);
        for (uint32_t r = 0; r < 3; ++r) {
            const uint8_t* in = Pictconv::TopRow(stored, r);
            std::vector<uint8_t> row(15);
            for (int c = 0; c < 5; ++c) {
                row[3 * c] = in[3 * c + 2];
                row[3 * c + 1] = in[3 * c + 1];
                row[3 * c + 2] = in[3 * c];
            }
            TIFFWriteScanline(tif, row.data(), r, 0);
        }
        TIFFClose(tif);
        BmpBase::CBitmap24 read, upright, expected;
        ASSERT_TRUE(Pictconv::DecodeTiff(dir.File("o.tif").c_str(), read));
        Pictconv::UprightByOrientation(read, Pictconv::OrientationLeftByRgba(tag), upright);
        Pictconv::UprightByOrientation(stored, tag, expected);
        ASSERT_EQ(upright.width, expected.width);
        ASSERT_EQ(upright.height, expected.height);
        for (uint32_t r = 0; r < expected.height; ++r) {
            ASSERT_EQ(std::memcmp(Pictconv::TopRow(upright, r), Pictconv::TopRow(expected, r),
                                  3 * expected.width),
                      0)
                << "row " << r;
        }
    }
}

// ---- The turn -------------------------------------------------------------

TEST(MetadataTurn, DamagedExifAndAChangedColourSpaceAreDroppedWithTheirNotes) {
    struct Case {
        const char* name;
        bool damageExif;
        bool colourChanged;
        const char* notes;
    } cases[] = {
        {"intact", false, false, ""},
        {"offset past the end", true, false, "EXIF dropped (damaged)"},
        {"CMYK written as RGB", false, true, "colour profile dropped"},
        {"both", true, true, "EXIF dropped (damaged); colour profile dropped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PageMetadata m;
        m.exif = ExifBlock(6);
        m.icc = PictconvTest::IccProfile(200);
        if (c.damageExif) {
            m.exif[7] = 0xF0;  // IFD0 beyond the block
        }
        const std::string notes =
            Pictconv::JoinNotes(Pictconv::TurnMetadata(m, {480, 640, c.colourChanged}));
        EXPECT_EQ(notes, c.notes);
        EXPECT_EQ(m.exif.empty(), c.damageExif);
        EXPECT_EQ(m.icc.empty(), c.colourChanged);
    }
}

// What libpng will write again: it reads these profiles with a warning at
// most, but writing refuses all but the first two.
TEST(PngMetadata, TellsWhichProfilesLibpngWritesAgain) {
    const auto profile = [](const char* cls, const char* space, uint32_t tags) {
        std::vector<uint8_t> p = PictconvTest::IccProfile(600);
        std::memcpy(&p[12], cls, 4);
        std::memcpy(&p[16], space, 4);
        p[131] = static_cast<uint8_t>(tags);
        return p;
    };
    const struct Case {
        const char* name;
        std::vector<uint8_t> icc;
        bool grey;
        bool written;
    } cases[] = {
        {"none", {}, false, true},
        {"display RGB", profile("mntr", "RGB ", 0), false, true},
        {"grey on grey", profile("mntr", "GRAY", 0), true, true},
        {"RGB on grey", profile("mntr", "RGB ", 0), true, false},
        {"unknown class", profile("\x02\x16tr", "RGB ", 0), false, false},
        {"tag table past the end", profile("mntr", "RGB ", 200), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PageMetadata m;
        m.icc = c.icc;
        EXPECT_EQ(Pictconv::PngWritesProfile(m, c.grey), c.written);
    }
}

TEST(MetadataTurn, AnUprightPageSwapsEveryResolutionWithItsAxes) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        BmpBase::CBitmap24 page = TestSupport::PatternBitmap(2, 3);
        page.infoHeader.biXPelsPerMeter = 100;
        page.infoHeader.biYPelsPerMeter = 200;
        Pictconv::PageDescription d;
        d.xResolution = 1;
        d.yResolution = 2;
        d.metadata.resolution = {Pictconv::ResolutionSource::kJfif, 300, 600, 1};
        const bool swaps = orientation >= 5;
        EXPECT_EQ(Pictconv::UprightPage(page, d, orientation), orientation != 1);
        EXPECT_EQ(page.width, swaps ? 2u : 3u);
        EXPECT_EQ(Pictconv::XPpm(page), swaps ? 200 : 100);
        EXPECT_EQ(d.xResolution, swaps ? 2 : 1);
        EXPECT_EQ(d.metadata.resolution.x, swaps ? 600 : 300);
    }
}

}  // namespace
