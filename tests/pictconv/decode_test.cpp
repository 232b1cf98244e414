// What the converters read: JPEG, PNG and TIFF files of every colour type
// the tests can make with the codec libraries, checked pixel by pixel, and
// the resolution fields of each format.
#include <png.h>
#include <tiffio.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <functional>

#include <jpeglib.h>

#include "pictconv/pictconv.h"
#include "tests/pictconv/convert_helpers.h"
#include "tests/pictconv/sample_files.h"
#include "tests/support/test_support.h"

using BmpBase::CBitmap24;
using PictconvTest::Displayed;
using PictconvTest::RunConverter;
using TestSupport::ScratchDir;

namespace {

constexpr uint32_t kW = 13;
constexpr uint32_t kH = 7;

// Expected blue, green, red at displayed (r, c).
using Expect = std::function<std::array<int, 3>(uint32_t r, uint32_t c)>;

Expect Uniform(int red, int green, int blue) {
    return [=](uint32_t, uint32_t) { return std::array<int, 3>{blue, green, red}; };
}

void CheckPixels(const CBitmap24& bmp, const Expect& expect, int tolerance) {
    ASSERT_EQ(bmp.width, kW);
    ASSERT_EQ(bmp.height, kH);
    for (uint32_t r = 0; r < kH; ++r) {
        for (uint32_t c = 0; c < kW; ++c) {
            const auto want = expect(r, c);
            for (int k = 0; k < 3; ++k) {
                ASSERT_NEAR(Displayed(bmp, r, c)[k], want[static_cast<size_t>(k)], tolerance)
                    << "row " << r << " col " << c << " channel " << k;
            }
        }
    }
}

CBitmap24 Convert(PictconvTest::Converter convert, const std::string& src, const std::string& dst) {
    const auto outcome = RunConverter(convert, src, dst);
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.printed, "");
    CBitmap24 bmp;
    EXPECT_TRUE(bmp.Read(dst.c_str()));
    return bmp;
}

// ---------------------------------------------------------------- JPEG

struct JpegCase {
    const char* name;
    std::vector<uint8_t> samples;  // one flat value per channel
    PictconvTest::JpegParams params;
    std::array<int, 3> rgb;
};

class JpegColour : public testing::TestWithParam<JpegCase> {};

TEST_P(JpegColour, DecodesToExpectedColour) {
    ScratchDir dir;
    const JpegCase& k = GetParam();
    PictconvTest::WriteJpeg(dir.File("in.jpg"), PictconvTest::Flat(kW, kH, k.samples), k.params);
    const CBitmap24 bmp = Convert(Jpg2Bmp, dir.File("in.jpg"), dir.File("out.bmp"));
    CheckPixels(bmp, Uniform(k.rgb[0], k.rgb[1], k.rgb[2]), 3);
}

PictconvTest::JpegParams Jparams(int in, int file, bool progressive = false, bool adobe = true) {
    PictconvTest::JpegParams s;
    s.inputSpace = in;
    s.fileSpace = file;
    s.progressive = progressive;
    s.adobeMarker = adobe;
    return s;
}

// Ink c=0, m=100, y=200, k=50 on white gives red 205, green 125, blue 44;
// Adobe files store 255 - ink.
INSTANTIATE_TEST_SUITE_P(
    Types, JpegColour,
    testing::Values(
        JpegCase{"Grey", {90}, Jparams(JCS_GRAYSCALE, JCS_GRAYSCALE), {90, 90, 90}},
        JpegCase{"YCbCr", {200, 100, 30}, Jparams(JCS_RGB, JCS_YCbCr), {200, 100, 30}},
        JpegCase{"Progressive", {20, 150, 220}, Jparams(JCS_RGB, JCS_YCbCr, true), {20, 150, 220}},
        JpegCase{
            "ProgressiveGrey", {33}, Jparams(JCS_GRAYSCALE, JCS_GRAYSCALE, true), {33, 33, 33}},
        JpegCase{"StoredRgb", {10, 240, 128}, Jparams(JCS_RGB, JCS_RGB), {10, 240, 128}},
        JpegCase{"AdobeCmyk", {255, 155, 55, 205}, Jparams(JCS_CMYK, JCS_CMYK), {205, 125, 44}},
        JpegCase{"PlainCmyk",
                 {0, 100, 200, 50},
                 Jparams(JCS_CMYK, JCS_CMYK, false, false),
                 {205, 125, 44}},
        JpegCase{"AdobeYcck", {255, 155, 55, 205}, Jparams(JCS_CMYK, JCS_YCCK), {205, 125, 44}}),
    [](const testing::TestParamInfo<JpegCase>& p) { return p.param.name; });

struct DensityCase {
    const char* name;
    int unit;
    uint16_t x, y;
    bool jfif;
    int32_t xPpm, yPpm;
};

class JpegDensity : public testing::TestWithParam<DensityCase> {};

TEST_P(JpegDensity, BecomesPixelsPerMetre) {
    ScratchDir dir;
    const DensityCase& k = GetParam();
    PictconvTest::JpegParams params = Jparams(JCS_GRAYSCALE, JCS_GRAYSCALE);
    params.densityUnit = k.unit;
    params.xDensity = k.x;
    params.yDensity = k.y;
    params.jfif = k.jfif;
    PictconvTest::WriteJpeg(dir.File("in.jpg"), PictconvTest::Flat(kW, kH, {128}), params);
    const CBitmap24 bmp = Convert(Jpg2Bmp, dir.File("in.jpg"), dir.File("out.bmp"));
    EXPECT_EQ(bmp.infoHeader.biXPelsPerMeter, k.xPpm);
    EXPECT_EQ(bmp.infoHeader.biYPelsPerMeter, k.yPpm);
}

INSTANTIATE_TEST_SUITE_P(Units, JpegDensity,
                         testing::Values(DensityCase{"DotsPerInch", 1, 300, 600, true, 11811,
                                                     23622},
                                         DensityCase{"DotsPerCm", 2, 118, 40, true, 11800, 4000},
                                         DensityCase{"AspectOnly", 0, 1, 1, true, 0, 0},
                                         DensityCase{"NoJfif", 1, 300, 300, false, 0, 0}),
                         [](const testing::TestParamInfo<DensityCase>& p) { return p.param.name; });

// ---------------------------------------------------------------- PNG

struct PngCase {
    const char* name;
    PictconvTest::PngLayout params;
    // Packed bytes of one pixel (repeated over the row), or, with
    // `alternate`, of two pixels for even and odd columns.
    std::vector<uint8_t> pixel;
    std::vector<uint8_t> alternate;
    std::array<int, 3> rgb;
    std::array<int, 3> rgbOdd;
};

std::vector<std::vector<uint8_t>> PngRows(const PngCase& k) {
    std::vector<std::vector<uint8_t>> rows(kH);
    for (auto& row : rows) {
        for (uint32_t c = 0; c < kW; ++c) {
            const auto& px = (c % 2 == 1 && !k.alternate.empty()) ? k.alternate : k.pixel;
            row.insert(row.end(), px.begin(), px.end());
        }
    }
    return rows;
}

// Sub-byte rows: `bits` per pixel, the value v at even columns and w at odd.
std::vector<std::vector<uint8_t>> PackedRows(int bits, unsigned v, unsigned w) {
    std::vector<std::vector<uint8_t>> rows(kH);
    for (auto& row : rows) {
        row.assign((kW * static_cast<unsigned>(bits) + 7) / 8, 0);
        for (uint32_t c = 0; c < kW; ++c) {
            const unsigned value = c % 2 == 0 ? v : w;
            const unsigned bit = c * static_cast<unsigned>(bits);
            row[bit / 8] = static_cast<uint8_t>(
                row[bit / 8] | (value << (8 - static_cast<unsigned>(bits) - bit % 8)));
        }
    }
    return rows;
}

class PngColour : public testing::TestWithParam<PngCase> {};

TEST_P(PngColour, DecodesWithTransparencyOverWhite) {
    ScratchDir dir;
    const PngCase& k = GetParam();
    PictconvTest::WritePng(dir.File("in.png"), kW, kH, k.params, PngRows(k));
    const CBitmap24 bmp = Convert(Png2Bmp, dir.File("in.png"), dir.File("out.bmp"));
    const auto even = k.rgb;
    const auto odd = k.alternate.empty() ? k.rgb : k.rgbOdd;
    CheckPixels(
        bmp,
        [&](uint32_t, uint32_t c) {
            const auto& v = c % 2 == 1 ? odd : even;
            return std::array<int, 3>{v[2], v[1], v[0]};
        },
        0);
}

PictconvTest::PngLayout PngOf(int type, int depth) {
    PictconvTest::PngLayout s;
    s.colorType = type;
    s.bitDepth = depth;
    return s;
}

PictconvTest::PngLayout Palette(bool alpha) {
    PictconvTest::PngLayout s = PngOf(PNG_COLOR_TYPE_PALETTE, 8);
    s.palette = {10, 20, 30, 200, 100, 0};
    if (alpha) {
        s.paletteAlpha = {255, 0};
    }
    return s;
}

PictconvTest::PngLayout GreyKey() {
    PictconvTest::PngLayout s = PngOf(PNG_COLOR_TYPE_GRAY, 8);
    s.greyTransparent = true;
    s.greyTransparentValue = 7;
    return s;
}

// Over white, alpha a turns colour x into (x a + 255 (255 - a) + 127) / 255:
// grey 0 at alpha 128 gives 127; red 200 green 0 blue 100 at alpha 51 gives
// 244, 204, 224.
INSTANTIATE_TEST_SUITE_P(
    Types, PngColour,
    testing::Values(
        PngCase{"Grey8", PngOf(PNG_COLOR_TYPE_GRAY, 8), {77}, {200}, {77, 77, 77}, {200, 200, 200}},
        PngCase{"Grey16",
                PngOf(PNG_COLOR_TYPE_GRAY, 16),
                {0x12, 0x12},
                {0xFF, 0xFF},
                {0x12, 0x12, 0x12},
                {255, 255, 255}},
        PngCase{"GreyAlpha",
                PngOf(PNG_COLOR_TYPE_GRAY_ALPHA, 8),
                {0, 128},
                {50, 255},
                {127, 127, 127},
                {50, 50, 50}},
        PngCase{"GreyAlpha16",
                PngOf(PNG_COLOR_TYPE_GRAY_ALPHA, 16),
                {0, 0, 0, 0},
                {},
                {255, 255, 255},
                {}},
        PngCase{"GreyKeyedTransparent", GreyKey(), {7}, {8}, {255, 255, 255}, {8, 8, 8}},
        PngCase{"Palette", Palette(false), {0}, {1}, {10, 20, 30}, {200, 100, 0}},
        PngCase{"PaletteWithTransparency", Palette(true), {0}, {1}, {10, 20, 30}, {255, 255, 255}},
        PngCase{"Rgb8",
                PngOf(PNG_COLOR_TYPE_RGB, 8),
                {1, 2, 3},
                {250, 128, 0},
                {1, 2, 3},
                {250, 128, 0}},
        PngCase{"Rgb16",
                PngOf(PNG_COLOR_TYPE_RGB, 16),
                {0x80, 0x80, 0x40, 0x40, 0x00, 0x00},
                {},
                {0x80, 0x40, 0x00},
                {}},
        PngCase{"Rgba8",
                PngOf(PNG_COLOR_TYPE_RGB_ALPHA, 8),
                {200, 0, 100, 51},
                {9, 8, 7, 255},
                {244, 204, 224},
                {9, 8, 7}},
        PngCase{"Rgba16",
                PngOf(PNG_COLOR_TYPE_RGB_ALPHA, 16),
                {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF},
                {},
                {255, 0, 0},
                {}}),
    [](const testing::TestParamInfo<PngCase>& p) { return p.param.name; });

TEST(PngLowBitDepth, GreyAndPaletteBelowEightBitsExpand) {
    ScratchDir dir;
    PictconvTest::WritePng(dir.File("g1.png"), kW, kH, PngOf(PNG_COLOR_TYPE_GRAY, 1),
                           PackedRows(1, 0, 1));
    CheckPixels(
        Convert(Png2Bmp, dir.File("g1.png"), dir.File("g1.bmp")),
        [](uint32_t, uint32_t c) {
            const int v = c % 2 == 0 ? 0 : 255;
            return std::array<int, 3>{v, v, v};
        },
        0);
    PictconvTest::WritePng(dir.File("g4.png"), kW, kH, PngOf(PNG_COLOR_TYPE_GRAY, 4),
                           PackedRows(4, 3, 15));
    CheckPixels(
        Convert(Png2Bmp, dir.File("g4.png"), dir.File("g4.bmp")),
        [](uint32_t, uint32_t c) {
            const int v = c % 2 == 0 ? 0x33 : 0xFF;
            return std::array<int, 3>{v, v, v};
        },
        0);
    PictconvTest::PngLayout pal = Palette(false);
    pal.bitDepth = 2;
    PictconvTest::WritePng(dir.File("p2.png"), kW, kH, pal, PackedRows(2, 1, 0));
    CheckPixels(
        Convert(Png2Bmp, dir.File("p2.png"), dir.File("p2.bmp")),
        [](uint32_t, uint32_t c) {
            return c % 2 == 0 ? std::array<int, 3>{0, 100, 200} : std::array<int, 3>{30, 20, 10};
        },
        0);
}

TEST(PngInterlaced, EveryPixelLandsInPlace) {
    ScratchDir dir;
    PictconvTest::PngLayout params = PngOf(PNG_COLOR_TYPE_RGB, 8);
    params.interlaced = true;
    std::vector<std::vector<uint8_t>> rows(kH);
    for (uint32_t r = 0; r < kH; ++r) {
        for (uint32_t c = 0; c < kW; ++c) {
            rows[r].insert(rows[r].end(),
                           {static_cast<uint8_t>(r * 30), static_cast<uint8_t>(c * 19),
                            static_cast<uint8_t>(r * c)});
        }
    }
    PictconvTest::WritePng(dir.File("in.png"), kW, kH, params, rows);
    CheckPixels(
        Convert(Png2Bmp, dir.File("in.png"), dir.File("out.bmp")),
        [](uint32_t r, uint32_t c) {
            return std::array<int, 3>{static_cast<int>(r * c), static_cast<int>(c * 19),
                                      static_cast<int>(r * 30)};
        },
        0);
}

TEST(PngResolution, MetreUnitIsCarriedAndUnknownUnitIsNot) {
    ScratchDir dir;
    PictconvTest::PngLayout params = PngOf(PNG_COLOR_TYPE_GRAY, 8);
    params.xPpm = 11811;
    params.yPpm = 5906;
    const PngCase flat{"", params, {1}, {}, {}, {}};
    PictconvTest::WritePng(dir.File("m.png"), kW, kH, params, PngRows(flat));
    const CBitmap24 metre = Convert(Png2Bmp, dir.File("m.png"), dir.File("m.bmp"));
    EXPECT_EQ(metre.infoHeader.biXPelsPerMeter, 11811);
    EXPECT_EQ(metre.infoHeader.biYPelsPerMeter, 5906);
    params.physUnit = PNG_RESOLUTION_UNKNOWN;
    PictconvTest::WritePng(dir.File("u.png"), kW, kH, params, PngRows(flat));
    const CBitmap24 unknown = Convert(Png2Bmp, dir.File("u.png"), dir.File("u.bmp"));
    EXPECT_EQ(unknown.infoHeader.biXPelsPerMeter, 0);
    EXPECT_EQ(unknown.infoHeader.biYPelsPerMeter, 0);
}

// ---------------------------------------------------------------- TIFF

struct TiffCase {
    const char* name;
    PictconvTest::TiffLayout params;
    int tolerance;
};

// Displayed pixel of the TIFF test picture: ink on a diagonal pattern for
// bilevel and palette files, colour ramps otherwise.
bool Ink(uint32_t r, uint32_t c) {
    return (r + c) % 3 == 0;
}

std::vector<std::vector<uint8_t>> TiffRows(const PictconvTest::TiffLayout& s) {
    std::vector<std::vector<uint8_t>> rows(kH);
    for (uint32_t r = 0; r < kH; ++r) {
        auto& row = rows[r];
        if (s.bitsPerSample == 1) {
            row.assign((kW + 7) / 8, 0);
            for (uint32_t c = 0; c < kW; ++c) {
                // Bit set = black for MinIsWhite, white for MinIsBlack.
                const bool set = s.photometric == PHOTOMETRIC_MINISWHITE ? Ink(r, c) : !Ink(r, c);
                if (set) {
                    row[c / 8] = static_cast<uint8_t>(row[c / 8] | (0x80 >> (c % 8)));
                }
            }
            continue;
        }
        for (uint32_t c = 0; c < kW; ++c) {
            const uint8_t red = static_cast<uint8_t>(20 * c), green = static_cast<uint8_t>(30 * r),
                          blue = static_cast<uint8_t>(100 + r + c);
            switch (s.photometric) {
                case PHOTOMETRIC_PALETTE:
                    row.push_back(Ink(r, c) ? 1 : 0);
                    break;
                case PHOTOMETRIC_MINISBLACK:
                    if (s.bitsPerSample == 16) {
                        const uint16_t v = static_cast<uint16_t>(green * 257);
                        row.insert(row.end(),
                                   {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>(v >> 8)});
                    } else {
                        row.push_back(green);
                    }
                    break;
                case PHOTOMETRIC_SEPARATED:  // ink: cyan = 255 - red, ... , no black
                    row.insert(row.end(),
                               {static_cast<uint8_t>(255 - red), static_cast<uint8_t>(255 - green),
                                static_cast<uint8_t>(255 - blue), 0});
                    break;
                default:
                    row.insert(row.end(), {red, green, blue});
                    if (s.extraSamples != 0) {
                        row.push_back(c % 2 == 0 ? 255 : 0);
                    }
                    break;
            }
        }
    }
    return rows;
}

std::array<int, 3> TiffExpected(const PictconvTest::TiffLayout& s, uint32_t r, uint32_t c) {
    if (s.bitsPerSample == 1 || s.photometric == PHOTOMETRIC_PALETTE) {
        if (s.photometric == PHOTOMETRIC_PALETTE) {
            return Ink(r, c) ? std::array<int, 3>{0, 0, 200} : std::array<int, 3>{30, 20, 10};
        }
        const int v = Ink(r, c) ? 0 : 255;
        return {v, v, v};
    }
    const int red = static_cast<int>(20 * c), green = static_cast<int>(30 * r),
              blue = static_cast<int>(100 + r + c);
    if (s.photometric == PHOTOMETRIC_MINISBLACK) {
        return {green, green, green};
    }
    if (s.extraSamples != 0 && c % 2 == 1) {
        return {255, 255, 255};  // fully transparent over white
    }
    return {blue, green, red};
}

class TiffKinds : public testing::TestWithParam<TiffCase> {};

TEST_P(TiffKinds, DecodesFirstPage) {
    ScratchDir dir;
    const TiffCase& k = GetParam();
    PictconvTest::WriteTiff(dir.File("in.tif"), kW, kH, k.params, TiffRows(k.params));
    const CBitmap24 bmp = Convert(Tif2Bmp, dir.File("in.tif"), dir.File("out.bmp"));
    CheckPixels(
        bmp, [&](uint32_t r, uint32_t c) { return TiffExpected(k.params, r, c); }, k.tolerance);
}

PictconvTest::TiffLayout TiffOf(uint16_t photometric, uint16_t bits, uint16_t samples,
                                uint16_t compression) {
    PictconvTest::TiffLayout s;
    s.photometric = photometric;
    s.bitsPerSample = bits;
    s.samplesPerPixel = samples;
    s.compression = compression;
    return s;
}

PictconvTest::TiffLayout With(PictconvTest::TiffLayout s,
                              const std::function<void(PictconvTest::TiffLayout&)>& f) {
    f(s);
    return s;
}

PictconvTest::TiffLayout PaletteTiff() {
    PictconvTest::TiffLayout s = TiffOf(PHOTOMETRIC_PALETTE, 8, 1, COMPRESSION_LZW);
    s.colormap.assign(3 * 256, 0);
    s.colormap[0] = 10 * 257;    // red of entry 0
    s.colormap[256] = 20 * 257;  // green of entry 0
    s.colormap[512] = 30 * 257;  // blue of entry 0
    s.colormap[1] = 200 * 257;   // red of entry 1
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TiffKinds,
    testing::Values(
        TiffCase{"FaxG4MinIsWhite", TiffOf(PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_CCITTFAX4), 0},
        TiffCase{"FaxG4MinIsBlack", TiffOf(PHOTOMETRIC_MINISBLACK, 1, 1, COMPRESSION_CCITTFAX4), 0},
        TiffCase{"FaxG3", TiffOf(PHOTOMETRIC_MINISWHITE, 1, 1, COMPRESSION_CCITTFAX3), 0},
        TiffCase{"BilevelPackBits", TiffOf(PHOTOMETRIC_MINISBLACK, 1, 1, COMPRESSION_PACKBITS), 0},
        TiffCase{"Grey8Lzw", TiffOf(PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_LZW), 0},
        TiffCase{"Grey16Deflate", TiffOf(PHOTOMETRIC_MINISBLACK, 16, 1, COMPRESSION_ADOBE_DEFLATE),
                 0},
        TiffCase{"Palette", PaletteTiff(), 0},
        TiffCase{"RgbUncompressed", TiffOf(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_NONE), 0},
        TiffCase{"RgbLzw", TiffOf(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW), 0},
        TiffCase{"RgbDeflate", TiffOf(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_ADOBE_DEFLATE), 0},
        TiffCase{"RgbPackBits", TiffOf(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_PACKBITS), 0},
        TiffCase{"RgbJpeg",
                 With(TiffOf(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_JPEG),
                      [](PictconvTest::TiffLayout& s) { s.rowsPerStrip = 8; }),
                 12},
        TiffCase{"RgbTiled",
                 With(TiffOf(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW),
                      [](PictconvTest::TiffLayout& s) { s.tiled = true; }),
                 0},
        TiffCase{"RgbOneRowPerStrip",
                 With(TiffOf(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_NONE),
                      [](PictconvTest::TiffLayout& s) { s.rowsPerStrip = 1; }),
                 0},
        TiffCase{"Cmyk", TiffOf(PHOTOMETRIC_SEPARATED, 8, 4, COMPRESSION_LZW), 1},
        TiffCase{"RgbaUnassociated",
                 With(TiffOf(PHOTOMETRIC_RGB, 8, 4, COMPRESSION_LZW),
                      [](PictconvTest::TiffLayout& s) { s.extraSamples = EXTRASAMPLE_UNASSALPHA; }),
                 0},
        TiffCase{"MultiPageGivesFirst",
                 With(TiffOf(PHOTOMETRIC_RGB, 8, 3, COMPRESSION_LZW),
                      [](PictconvTest::TiffLayout& s) { s.extraPage = true; }),
                 0}),
    [](const testing::TestParamInfo<TiffCase>& p) { return p.param.name; });

struct TiffResCase {
    const char* name;
    float x, y;
    uint16_t unit;
    int32_t xPpm, yPpm;
};

class TiffResolution : public testing::TestWithParam<TiffResCase> {};

TEST_P(TiffResolution, BecomesPixelsPerMetre) {
    ScratchDir dir;
    const TiffResCase& k = GetParam();
    PictconvTest::TiffLayout params = TiffOf(PHOTOMETRIC_MINISBLACK, 8, 1, COMPRESSION_NONE);
    params.xRes = k.x;
    params.yRes = k.y;
    params.resUnit = k.unit;
    PictconvTest::WriteTiff(dir.File("in.tif"), kW, kH, params, TiffRows(params));
    const CBitmap24 bmp = Convert(Tif2Bmp, dir.File("in.tif"), dir.File("out.bmp"));
    EXPECT_EQ(bmp.infoHeader.biXPelsPerMeter, k.xPpm);
    EXPECT_EQ(bmp.infoHeader.biYPelsPerMeter, k.yPpm);
}

INSTANTIATE_TEST_SUITE_P(
    Units, TiffResolution,
    testing::Values(TiffResCase{"Inch", 300.0f, 150.0f, RESUNIT_INCH, 11811, 5906},
                    TiffResCase{"Centimetre", 118.11f, 40.0f, RESUNIT_CENTIMETER, 11811, 4000},
                    TiffResCase{"NoUnit", 300.0f, 300.0f, RESUNIT_NONE, 0, 0}),
    [](const testing::TestParamInfo<TiffResCase>& p) { return p.param.name; });

}  // namespace
