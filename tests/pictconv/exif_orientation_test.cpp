// The EXIF block walker (orientation read, patch after a turn, damaged
// blocks left alone), the XMP orientation, putting pictures upright by
// orientation, and the JPEG quality estimate.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "pictconv/exif_block.h"
#include "pictconv/jpeg_quality.h"
#include "pictconv/orientation.h"
#include "pictconv/page.h"
#include "pictconv/xmp_packet.h"

using BmpBase::CBitmap24;
using Pictconv::ExifStatus;

namespace {

// Builds an EXIF block: "Exif\0\0", a TIFF header, IFD0 with Orientation
// and a link to the EXIF directory (PixelXDimension SHORT, PixelYDimension
// LONG), and IFD0's link to a one-entry IFD1.
class ExifBuilder {
  public:
    explicit ExifBuilder(bool little) : little_(little) {}

    std::vector<uint8_t> Build(uint16_t orientation) {
        bytes_ = {'E', 'x', 'i', 'f', 0, 0};
        Bytes(little_ ? "II" : "MM");
        Put16(42);
        Put32(8);  // IFD0
        // IFD0 at 8: two entries, then the link to IFD1 at 8 + 2 + 24 + 4 = 38.
        Put16(2);
        Entry(0x0112, 3, 1, static_cast<uint32_t>(orientation) << (little_ ? 0 : 16));
        Entry(0x8769, 4, 1, 56);
        Put32(38);
        // IFD1 at 38: one entry, no link.
        Put16(1);
        Entry(0x0103, 3, 1, 6u << (little_ ? 0 : 16));
        Put32(0);
        // EXIF directory at 56.
        Put16(2);
        Entry(0xA002, 3, 1, 640u << (little_ ? 0 : 16));
        Entry(0xA003, 4, 1, 480);
        Put32(0);
        return bytes_;
    }

    uint32_t Get32(const std::vector<uint8_t>& b, size_t tiffOffset) const {
        const uint8_t* p = b.data() + 6 + tiffOffset;
        return little_ ? (p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24)
                       : (uint32_t{p[0]} << 24 | p[1] << 16 | p[2] << 8 | p[3]);
    }
    uint16_t Get16(const std::vector<uint8_t>& b, size_t tiffOffset) const {
        const uint8_t* p = b.data() + 6 + tiffOffset;
        return static_cast<uint16_t>(little_ ? (p[0] | p[1] << 8) : (p[0] << 8 | p[1]));
    }

  private:
    void Bytes(const char* s) {
        for (; *s != 0; ++s) {
            bytes_.push_back(static_cast<uint8_t>(*s));
        }
    }
    void Put16(uint16_t v) {
        bytes_.push_back(static_cast<uint8_t>(little_ ? v : v >> 8));
        bytes_.push_back(static_cast<uint8_t>(little_ ? v >> 8 : v));
    }
    void Put32(uint32_t v) {
        Put16(static_cast<uint16_t>(little_ ? v : v >> 16));
        Put16(static_cast<uint16_t>(little_ ? v >> 16 : v));
    }
    void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        Put16(tag);
        Put16(type);
        Put32(count);
        Put32(value);
    }

    bool little_;
    std::vector<uint8_t> bytes_;
};

TEST(ExifBlock, ReadsOrientationAndPatchesTheBlockInBothByteOrders) {
    for (const bool little : {true, false}) {
        SCOPED_TRACE(little ? "II" : "MM");
        ExifBuilder builder(little);
        std::vector<uint8_t> block = builder.Build(6);
        int orientation = 0;
        ASSERT_EQ(Pictconv::ReadExifOrientation(block.data(), block.size(), orientation),
                  ExifStatus::kOk);
        EXPECT_EQ(orientation, 6);

        ASSERT_EQ(Pictconv::PatchExif(block, 70000, 1200), ExifStatus::kOk);
        ASSERT_EQ(Pictconv::ReadExifOrientation(block.data(), block.size(), orientation),
                  ExifStatus::kOk);
        EXPECT_EQ(orientation, 1);
        EXPECT_EQ(builder.Get32(block, 34), 0u);      // IFD1 dropped
        EXPECT_EQ(builder.Get16(block, 58 + 2), 4u);  // 70000 needs a LONG
        EXPECT_EQ(builder.Get32(block, 58 + 8), 70000u);
        EXPECT_EQ(builder.Get32(block, 70 + 8), 1200u);  // the LONG stays LONG
    }
}

TEST(ExifBlock, DamagedBlocksAreRefusedAndLeftUntouched) {
    ExifBuilder builder(true);
    const std::vector<uint8_t> good = builder.Build(8);
    struct Case {
        const char* what;
        size_t at;  // byte of the block to change (prefix included)
        uint8_t value;
        size_t keep;  // bytes kept (truncation), 0 for all
    };
    const Case cases[] = {
        {"IFD0 past the end", 6 + 4, 0xF0, 0},
        {"entry count past the end", 6 + 8, 0xFF, 0},
        {"EXIF directory past the end", 6 + 10 + 12 + 8, 0xFE, 0},
        {"not a TIFF header", 6 + 2, 41, 0},
        {"IFD0 inside the header", 6 + 4, 4, 0},
        {"EXIF directory is IFD0", 6 + 10 + 12 + 8, 8, 0},
        {"truncated inside IFD0", 0, 0, 20},
        {"empty", 0, 0, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> block = good;
        if (c.keep != 0) {
            block.resize(c.keep);
        } else {
            block[c.at] = c.value;
        }
        const std::vector<uint8_t> before = block;
        EXPECT_EQ(Pictconv::PatchExif(block, 10, 10), ExifStatus::kDamaged);
        EXPECT_EQ(block, before);
    }
}

// A 3 x 2 picture whose pixels are numbered 1..6 row by row as displayed.
CBitmap24 Numbered() {
    CBitmap24 page;
    EXPECT_TRUE(Pictconv::NewPage(page, 2, 3, 100, 200));
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 3; ++x) {
            uint8_t* px = Pictconv::TopRow(page, y) + 3 * x;
            px[0] = px[1] = px[2] = static_cast<uint8_t>(1 + y * 3 + x);
        }
    }
    return page;
}

std::vector<int> Displayed(const CBitmap24& page) {
    std::vector<int> out;
    for (uint32_t y = 0; y < page.height; ++y) {
        for (uint32_t x = 0; x < page.width; ++x) {
            out.push_back(Pictconv::TopRow(page, y)[3 * x]);
        }
    }
    return out;
}

TEST(Orientation, EachValuePutsThePictureUpright) {
    // Stored 1 2 3 / 4 5 6; what a viewer honouring the tag shows.
    const std::array<std::vector<int>, 9> expected = {{
        {},
        {1, 2, 3, 4, 5, 6},
        {3, 2, 1, 6, 5, 4},
        {6, 5, 4, 3, 2, 1},
        {4, 5, 6, 1, 2, 3},
        {1, 4, 2, 5, 3, 6},
        {4, 1, 5, 2, 6, 3},
        {6, 3, 5, 2, 4, 1},
        {3, 6, 2, 5, 1, 4},
    }};
    const CBitmap24 stored = Numbered();
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        CBitmap24 upright;
        ASSERT_TRUE(Pictconv::UprightByOrientation(stored, o, upright));
        EXPECT_EQ(Displayed(upright), expected[o]);
        EXPECT_EQ(upright.width, o >= 5 ? 2u : 3u);
        EXPECT_EQ(Pictconv::XPpm(upright), o >= 5 ? 200 : 100);
    }
}

TEST(JpegQuality, EveryScaledTableIsRecognised) {
    for (int q = 1; q <= 100; ++q) {
        uint16_t table[64];
        Pictconv::ScaledLuminanceTable(q, table);
        EXPECT_EQ(Pictconv::EstimateJpegQuality(table), q);
    }
}

TEST(XmpPacket, OrientationBecomesUprightInEveryFormAndNothingElseChanges) {
    struct Case {
        const char* in;
        const char* out;
        int changed;
    };
    const Case cases[] = {
        {"<rdf:Description tiff:Orientation=\"6\" tiff:Make=\"X\"/>",
         "<rdf:Description tiff:Orientation=\"1\" tiff:Make=\"X\"/>", 1},
        {"<x tiff:Orientation = '8'/>", "<x tiff:Orientation = '1'/>", 1},
        {"<tiff:Orientation>3</tiff:Orientation>", "<tiff:Orientation>1</tiff:Orientation>", 1},
        {"<tiff:Orientation>1</tiff:Orientation>", "<tiff:Orientation>1</tiff:Orientation>", 0},
        {"<tiff:Orientation>12</tiff:Orientation>", "<tiff:Orientation>12</tiff:Orientation>", 0},
        {"<exif:PixelXDimension>6</exif:PixelXDimension>",
         "<exif:PixelXDimension>6</exif:PixelXDimension>", 0},
        {"tiff:Orientation=\"", "tiff:Orientation=\"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        std::string xmp = c.in;
        EXPECT_EQ(Pictconv::SetXmpOrientationUpright(xmp), c.changed);
        EXPECT_EQ(xmp, c.out);
    }
}

}  // namespace
