// The page descriptions the PNG, JPEG and BMP decoders give for files made
// with the codec libraries and bmpbase's writer, and the encoders writing a
// page back in its kind: read again, the page has the same kind and pixels.
#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "bmpbase/bmp_writer.h"
#include "pictconv/codecs.h"
#include "tests/pictconv/convert_helpers.h"
#include "tests/pictconv/sample_files.h"
#include "tests/support/test_support.h"

using BmpBase::CBitmap24;
using Pictconv::PageDescription;
using Pictconv::PageKind;

namespace {

constexpr uint32_t kW = 12;
constexpr uint32_t kH = 5;

using Rows = std::vector<std::vector<uint8_t>>;

// Rows of `bytes` bytes each, byte k of row r being fill(r, k).
Rows MakeRows(size_t bytes, const std::function<uint8_t(uint32_t, size_t)>& fill) {
    Rows rows(kH, std::vector<uint8_t>(bytes));
    for (uint32_t r = 0; r < kH; ++r) {
        for (size_t k = 0; k < bytes; ++k) {
            rows[r][k] = fill(r, k);
        }
    }
    return rows;
}

// The row bytes of `bits`-bit pixels whose value at (r, c) is pixel(r, c).
std::function<uint8_t(uint32_t, size_t)> Packed(int bits,
                                                std::function<uint8_t(uint32_t, uint32_t)> pixel) {
    return [=](uint32_t r, size_t k) {
        const int perByte = 8 / bits;
        unsigned byte = 0;
        for (int i = 0; i < perByte; ++i) {
            const auto c = static_cast<uint32_t>(k * perByte + i);
            byte |= (c < kW ? pixel(r, c) : 0u) << (8 - bits * (i + 1));
        }
        return static_cast<uint8_t>(byte);
    };
}

PictconvTest::PngSpec Spec(int colorType, int bitDepth) {
    PictconvTest::PngSpec spec;
    spec.colorType = colorType;
    spec.bitDepth = bitDepth;
    return spec;
}

PictconvTest::JpegParams Jpeg(int inputSpace, int fileSpace) {
    PictconvTest::JpegParams params;
    params.inputSpace = inputSpace;
    params.fileSpace = fileSpace;
    return params;
}

void Png(const std::string& path, PictconvTest::PngSpec spec, size_t rowBytes,
         const std::function<uint8_t(uint32_t, size_t)>& fill) {
    PictconvTest::WritePng(path, kW, kH, spec, MakeRows(rowBytes, fill));
}

// A BMP of `bits` per pixel on `table`, pixel (r, c) the entry (r + c) % size.
void Bmp(const std::string& path, uint16_t bits, const std::vector<BmpBase::PaletteEntry>& table) {
    CBitmap24 page;
    page.Allocate(kH, kW);
    for (uint32_t r = 0; r < kH; ++r) {
        for (uint32_t c = 0; c < kW; ++c) {
            const BmpBase::PaletteEntry& e = table[(r + c) % table.size()];
            uint8_t* px = page.PixelAt(r, c);
            px[0] = e.blue;
            px[1] = e.green;
            px[2] = e.red;
        }
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(BmpBase::WriteBmp(f, page, bits, table));
    EXPECT_EQ(std::fclose(f), 0);
}

std::vector<BmpBase::PaletteEntry> GreyRamp() {
    std::vector<BmpBase::PaletteEntry> ramp;
    for (int i = 0; i < 256; ++i) {
        const auto g = static_cast<uint8_t>(i);
        ramp.push_back({g, g, g, 0});
    }
    return ramp;
}

enum class Format { kPng, kJpeg, kBmp };

struct Case {
    const char* name;
    Format format;
    std::function<void(const std::string&)> make;
    PageKind kind;
    uint16_t bits;
    unsigned changes;
    size_t paletteEntries;
    // Written back in kind: the PNG colour type and bit depth, or the BMP
    // depth, or the JPEG components (in `bitsBack`).
    int colourTypeBack;
    int bitsBack;
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"png bilevel", Format::kPng,
         [](const std::string& p) {
             Png(p, Spec(PNG_COLOR_TYPE_GRAY, 1), 2,
                 [](uint32_t r, size_t k) { return static_cast<uint8_t>(r * 37 + k * 0x5A); });
         },
         PageKind::kBilevel, 1, Pictconv::kNoChange, 0, PNG_COLOR_TYPE_GRAY, 1},
        {"png grey 4-bit, written in 8", Format::kPng,
         [](const std::string& p) {
             Png(p, Spec(PNG_COLOR_TYPE_GRAY, 4), 6,
                 [](uint32_t r, size_t k) { return static_cast<uint8_t>(r * 16 + k * 41); });
         },
         PageKind::kGrey, 4, Pictconv::kNoChange, 0, PNG_COLOR_TYPE_GRAY, 8},
        {"png grey 16-bit", Format::kPng,
         [](const std::string& p) {
             Png(p, Spec(PNG_COLOR_TYPE_GRAY, 16), 2 * kW,
                 [](uint32_t r, size_t k) { return static_cast<uint8_t>(r * 50 + k * 9); });
         },
         PageKind::kGrey, 16, Pictconv::kReducedTo8Bits, 0, PNG_COLOR_TYPE_GRAY, 8},
        {"png palette of 3 with a transparent entry", Format::kPng,
         [](const std::string& p) {
             PictconvTest::PngSpec spec = Spec(PNG_COLOR_TYPE_PALETTE, 2);
             spec.palette = {200, 10, 10, 10, 200, 10, 0, 0, 0};
             spec.paletteAlpha = {255, 255, 0};
             Png(p, spec, 3, Packed(2, [](uint32_t r, uint32_t c) {
                     return static_cast<uint8_t>((r + c) % 3);
                 }));
         },
         PageKind::kPalette, 2, Pictconv::kAlphaFlattened, 3, PNG_COLOR_TYPE_PALETTE, 2},
        {"png palette of 20", Format::kPng,
         [](const std::string& p) {
             PictconvTest::PngSpec spec = Spec(PNG_COLOR_TYPE_PALETTE, 8);
             for (int i = 0; i < 20; ++i) {
                 spec.palette.insert(spec.palette.end(), {static_cast<uint8_t>(i * 12),
                                                          static_cast<uint8_t>(255 - i * 7), 99});
             }
             Png(p, spec, kW,
                 [](uint32_t r, size_t k) { return static_cast<uint8_t>((r + k) % 20); });
         },
         PageKind::kPalette, 8, Pictconv::kNoChange, 20, PNG_COLOR_TYPE_PALETTE, 8},
        {"png rgb of greys only", Format::kPng,
         [](const std::string& p) {
             Png(p, Spec(PNG_COLOR_TYPE_RGB, 8), 3 * kW,
                 [](uint32_t r, size_t k) { return static_cast<uint8_t>(r * 40 + k / 3 * 20); });
         },
         PageKind::kRgb, 8, Pictconv::kNoChange, 0, PNG_COLOR_TYPE_RGB, 8},
        {"png rgba, one pixel transparent", Format::kPng,
         [](const std::string& p) {
             Png(p, Spec(PNG_COLOR_TYPE_RGB_ALPHA, 8), 4 * kW, [](uint32_t r, size_t k) {
                 return static_cast<uint8_t>(k % 4 == 3 ? (r == 0 && k == 3 ? 0 : 255) : k * 5);
             });
         },
         PageKind::kRgb, 8, Pictconv::kAlphaFlattened, 0, PNG_COLOR_TYPE_RGB, 8},
        {"png rgba, all opaque", Format::kPng,
         [](const std::string& p) {
             Png(p, Spec(PNG_COLOR_TYPE_RGB_ALPHA, 8), 4 * kW,
                 [](uint32_t, size_t k) { return static_cast<uint8_t>(k % 4 == 3 ? 255 : k); });
         },
         PageKind::kRgb, 8, Pictconv::kNoChange, 0, PNG_COLOR_TYPE_RGB, 8},
        {"jpeg grey", Format::kJpeg,
         [](const std::string& p) {
             PictconvTest::WriteJpeg(p, PictconvTest::Flat(kW, kH, {90}),
                                     Jpeg(JCS_GRAYSCALE, JCS_GRAYSCALE));
         },
         PageKind::kGrey, 8, Pictconv::kNoChange, 0, 0, 1},
        {"jpeg rgb of greys only", Format::kJpeg,
         [](const std::string& p) {
             PictconvTest::WriteJpeg(p, PictconvTest::Flat(kW, kH, {90, 90, 90}),
                                     Jpeg(JCS_RGB, JCS_YCbCr));
         },
         PageKind::kRgb, 8, Pictconv::kNoChange, 0, 0, 3},
        {"jpeg cmyk", Format::kJpeg,
         [](const std::string& p) {
             PictconvTest::WriteJpeg(p, PictconvTest::Flat(kW, kH, {10, 200, 30, 0}),
                                     Jpeg(JCS_CMYK, JCS_CMYK));
         },
         PageKind::kRgb, 8, Pictconv::kConvertedToRgb, 0, 0, 3},
        {"bmp 1-bit white and black", Format::kBmp,
         [](const std::string& p) {
             Bmp(p, 1, {{255, 255, 255, 0}, {0, 0, 0, 0}});
         },
         PageKind::kBilevel, 1, Pictconv::kNoChange, 0, 0, 1},
        {"bmp 1-bit of two colours", Format::kBmp,
         [](const std::string& p) {
             Bmp(p, 1, {{255, 0, 0, 0}, {0, 0, 255, 0}});
         },
         PageKind::kPalette, 1, Pictconv::kNoChange, 2, 0, 1},
        {"bmp 8-bit grey ramp", Format::kBmp, [](const std::string& p) { Bmp(p, 8, GreyRamp()); },
         PageKind::kGrey, 8, Pictconv::kNoChange, 0, 0, 8},
        {"bmp 8-bit palette of 16, written in 4", Format::kBmp,
         [](const std::string& p) {
             std::vector<BmpBase::PaletteEntry> table;
             for (int i = 0; i < 16; ++i) {
                 table.push_back({static_cast<uint8_t>(i * 16), 30, static_cast<uint8_t>(i), 0});
             }
             Bmp(p, 8, table);
         },
         PageKind::kPalette, 8, Pictconv::kNoChange, 16, 0, 4},
        {"bmp 24-bit", Format::kBmp,
         [](const std::string& p) {
             Bmp(p, 24, {{1, 2, 3, 0}, {7, 7, 7, 0}});
         },
         PageKind::kRgb, 8, Pictconv::kNoChange, 0, 0, 24},
    };
    return cases;
}

bool Decode(Format format, const std::string& path, CBitmap24& page, PageDescription& d) {
    switch (format) {
        case Format::kPng:
            return Pictconv::DecodePng(path.c_str(), page, d);
        case Format::kJpeg:
            return Pictconv::DecodeJpeg(path.c_str(), page, d);
        case Format::kBmp:
            return Pictconv::DecodeBmp(path.c_str(), page, d);
    }
    return false;
}

bool Encode(Format format, const std::string& path, const CBitmap24& page,
            const PageDescription& d) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    bool ok = false;
    switch (format) {
        case Format::kPng:
            ok = Pictconv::EncodePng(page, f, d);
            break;
        case Format::kJpeg:
            ok = Pictconv::EncodeJpeg(page, f, d);
            break;
        case Format::kBmp:
            ok = Pictconv::EncodeBmp(page, f, d);
            break;
    }
    return std::fclose(f) == 0 && ok;
}

// What a written file says of its storage: PNG colour type and bit depth
// from IHDR, the BMP depth, the JPEG component count (in `bits`).
void StoredAs(Format format, const std::string& path, int& colourType, int& bits) {
    const std::vector<uint8_t> b = TestSupport::ReadBytes(path);
    colourType = 0;
    bits = 0;
    if (format == Format::kPng && b.size() > 25) {
        bits = b[24];
        colourType = b[25];
    } else if (format == Format::kBmp && b.size() > 29) {
        bits = b[28] | b[29] << 8;
    } else if (format == Format::kJpeg) {
        CBitmap24 page;
        PageDescription d;
        ASSERT_TRUE(Pictconv::DecodeJpeg(path.c_str(), page, d));
        bits = d.kind == PageKind::kGrey ? 1 : 3;
    }
}

TEST(PageKinds, DecodersDescribeAndEncodersWriteBackInKind) {
    TestSupport::ScratchDir dir;
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::string in = dir.File("in");
        const std::string out = dir.File("out");
        c.make(in);
        CBitmap24 page;
        PageDescription d;
        ASSERT_TRUE(Decode(c.format, in, page, d));
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_EQ(d.bitsPerSample, c.bits);
        EXPECT_EQ(d.changes, c.changes);
        EXPECT_EQ(d.palette.size(), c.paletteEntries);

        Pictconv::ReduceToKind(page, d);
        ASSERT_TRUE(Encode(c.format, out, page, d));
        int colourType = 0, bits = 0;
        StoredAs(c.format, out, colourType, bits);
        EXPECT_EQ(colourType, c.colourTypeBack);
        EXPECT_EQ(bits, c.bitsBack);
        CBitmap24 back;
        PageDescription again;
        ASSERT_TRUE(Decode(c.format, out, back, again));
        EXPECT_EQ(again.kind, c.kind);
        EXPECT_EQ(again.palette.size(), c.paletteEntries);
        const int tolerance = c.format == Format::kJpeg ? 3 : 0;
        EXPECT_LE(PictconvTest::MaxDifference(page, back), tolerance);
    }
}

TEST(PageKinds, TransparentPaletteEntriesAreFlattenedOverWhite) {
    TestSupport::ScratchDir dir;
    const std::string in = dir.File("in.png");
    PictconvTest::PngSpec spec = Spec(PNG_COLOR_TYPE_PALETTE, 8);
    spec.palette = {0, 0, 0, 100, 0, 0};
    spec.paletteAlpha = {0, 128};
    Png(in, spec, kW, [](uint32_t, size_t k) { return static_cast<uint8_t>(k % 2); });
    CBitmap24 page;
    PageDescription d;
    ASSERT_TRUE(Pictconv::DecodePng(in.c_str(), page, d));
    ASSERT_EQ(d.palette.size(), 2u);
    EXPECT_EQ(d.palette[0].red, 255);
    EXPECT_EQ(d.palette[0].blue, 255);
    EXPECT_EQ(d.palette[1].red, 177);  // 100 half over white
    EXPECT_EQ(d.palette[1].green, 127);
    // Every pixel is exactly an entry of the flattened palette.
    EXPECT_EQ(PictconvTest::Displayed(page, 0, 1)[2], 177);
}

TEST(PageKinds, ResolutionIsDescribedAsRead) {
    TestSupport::ScratchDir dir;
    const std::string png = dir.File("in.png");
    PictconvTest::PngSpec spec = Spec(PNG_COLOR_TYPE_GRAY, 8);
    spec.xPpm = 11811;
    spec.yPpm = 5906;
    Png(png, spec, kW, [](uint32_t, size_t) { return uint8_t{0}; });
    const std::string jpg = dir.File("in.jpg");
    PictconvTest::JpegParams params = Jpeg(JCS_GRAYSCALE, JCS_GRAYSCALE);
    params.densityUnit = 1;
    params.xDensity = 300;
    params.yDensity = 150;
    PictconvTest::WriteJpeg(jpg, PictconvTest::Flat(kW, kH, {0}), params);
    CBitmap24 page;
    PageDescription d;
    ASSERT_TRUE(Pictconv::DecodePng(png.c_str(), page, d));
    EXPECT_EQ(d.resolutionUnit, Pictconv::ResolutionUnit::kCentimetre);
    EXPECT_DOUBLE_EQ(d.xResolution, 118.11);
    EXPECT_DOUBLE_EQ(d.yResolution, 59.06);
    ASSERT_TRUE(Pictconv::DecodeJpeg(jpg.c_str(), page, d));
    EXPECT_EQ(d.resolutionUnit, Pictconv::ResolutionUnit::kInch);
    EXPECT_EQ(d.xResolution, 300.0);
    EXPECT_EQ(d.yResolution, 150.0);
}

}  // namespace
