// The tool writes a turned page in the kind it came in: bilevel pages stay
// 1-bit (strokes intact, corners white or black), colour-mapped pages stay on
// their own palette at the smallest depth that holds it, grey stays grey and
// RGB stays RGB, and what decoding gave up (16 bits, CMYK, transparency) is
// named in the report's note. The inputs are made with libpng, libjpeg and
// bmpbase's writer.
#include <png.h>
#include <tiffio.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

#include <jpeglib.h>

#include "bmpbase/bmp_writer.h"
#include "pictconv/codecs.h"
#include "pictconv/page.h"
#include "tests/cli/cli_fixture.h"
#include "tests/cli/tiff_files.h"
#include "tests/pictconv/sample_files.h"
#include "tests/support/synthetic_page.h"

namespace CliTest {
namespace {

constexpr int kTiltDeg = 6;

// Ink (1) or paper (0) of the tilted text page at (row from the top, col).
class Ink {
  public:
    explicit Ink(double tiltDeg = kTiltDeg)
        : page_(TestSupport::TextPage(kPageRows, kPageCols, tiltDeg)) {}
    bool At(uint32_t r, uint32_t c) const {
        return page_.PixelAt(kPageRows - 1 - r, c)[0] < Pictconv::kBilevelThreshold;
    }

  private:
    BmpBase::CBitmap24 page_;
};

// The rows of a PNG of `bytesPerPixel`-byte pixels (or 1-bit ones packed
// when `bytesPerPixel` is 0), pixel bytes given by `pixel(ink, k)`.
std::vector<std::vector<uint8_t>> PngRows(int bytesPerPixel,
                                          const std::function<uint8_t(bool, int)>& pixel,
                                          double tiltDeg) {
    const Ink ink(tiltDeg);
    std::vector<std::vector<uint8_t>> rows(kPageRows);
    for (uint32_t r = 0; r < kPageRows; ++r) {
        if (bytesPerPixel == 0) {
            rows[r].assign((kPageCols + 7) / 8, 0);
            for (uint32_t c = 0; c < kPageCols; ++c) {
                rows[r][c / 8] |= static_cast<uint8_t>(pixel(ink.At(r, c), 0) << (7 - c % 8));
            }
            continue;
        }
        for (uint32_t c = 0; c < kPageCols; ++c) {
            for (int k = 0; k < bytesPerPixel; ++k) {
                rows[r].push_back(pixel(ink.At(r, c), k));
            }
        }
    }
    return rows;
}

void Png(const std::string& path, int colorType, int bitDepth, int bytesPerPixel,
         const std::function<uint8_t(bool, int)>& pixel, const std::vector<uint8_t>& palette = {},
         double tiltDeg = kTiltDeg) {
    PictconvTest::PngLayout layout;
    layout.colorType = colorType;
    layout.bitDepth = bitDepth;
    layout.palette = palette;
    PictconvTest::WritePng(path, kPageCols, kPageRows, layout,
                           PngRows(bytesPerPixel, pixel, tiltDeg));
}

// Paper, ink and two colours the page does not use.
const std::vector<uint8_t> kPalette = {250, 240, 200, 20, 30, 120, 200, 0, 0, 0, 160, 0};

// A BMP of `bits` per pixel on `table`: paper entry 0, ink entry 1.
void Bmp(const std::string& path, uint16_t bits, const std::vector<BmpBase::PaletteEntry>& table) {
    const Ink ink;
    BmpBase::CBitmap24 page;
    page.Allocate(kPageRows, kPageCols);
    for (uint32_t r = 0; r < kPageRows; ++r) {
        for (uint32_t c = 0; c < kPageCols; ++c) {
            const BmpBase::PaletteEntry& e = table[ink.At(kPageRows - 1 - r, c) ? 1 : 0];
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

void BilevelBmp(const std::string& path) {
    Bmp(path, 1, {{255, 255, 255, 0}, {0, 0, 0, 0}});
}

// A JPEG of `space` (grey, or CMYK with the Adobe marker: 255 is no ink).
void Jpeg(const std::string& path, J_COLOR_SPACE space) {
    const Ink ink;
    PictconvTest::Samples s;
    s.width = kPageCols;
    s.height = kPageRows;
    s.channels = space == JCS_CMYK ? 4 : 1;
    for (uint32_t r = 0; r < kPageRows; ++r) {
        for (uint32_t c = 0; c < kPageCols; ++c) {
            s.bytes.insert(s.bytes.end(), static_cast<size_t>(s.channels - 1), uint8_t{255});
            s.bytes.push_back(ink.At(r, c) ? 40 : 255);
        }
    }
    PictconvTest::JpegParams params;
    params.inputSpace = space;
    params.fileSpace = space;
    PictconvTest::WriteJpeg(path, s, params);
}

void BilevelPng(const std::string& path) {
    Png(path, PNG_COLOR_TYPE_GRAY, 1, 0, [](bool ink, int) { return ink ? 0 : 1; });
}

struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
    const char* output;
    // PNG: IHDR colour type and bit depth; BMP: 0 and the depth; JPEG: 0
    // and the component count; TIFF: the compression and the depth.
    int colourType;
    int bits;
    const char* note;  // null when none
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"1-bit png", BilevelPng, "out.png", PNG_COLOR_TYPE_GRAY, 1, nullptr},
        {"1-bit bmp", BilevelBmp, "out.bmp", 0, 1, nullptr},
        {"1-bit png as bmp", BilevelPng, "out.bmp", 0, 1, nullptr},
        {"1-bit png as tif (Group 4)", BilevelPng, "out.tif", COMPRESSION_CCITTFAX4, 1, nullptr},
        {"palette png",
         [](const std::string& p) {
             Png(
                 p, PNG_COLOR_TYPE_PALETTE, 8, 1, [](bool ink, int) { return ink ? 1 : 0; },
                 kPalette);
         },
         "out.png", PNG_COLOR_TYPE_PALETTE, 2, nullptr},
        {"grey png",
         [](const std::string& p) {
             Png(p, PNG_COLOR_TYPE_GRAY, 8, 1, [](bool ink, int) { return ink ? 30 : 235; });
         },
         "out.png", PNG_COLOR_TYPE_GRAY, 8, nullptr},
        {"rgb png of greys",
         [](const std::string& p) {
             Png(p, PNG_COLOR_TYPE_RGB, 8, 3, [](bool ink, int) { return ink ? 30 : 235; });
         },
         "out.png", PNG_COLOR_TYPE_RGB, 8, nullptr},
        {"16-bit grey png",
         [](const std::string& p) {
             Png(p, PNG_COLOR_TYPE_GRAY, 16, 2, [](bool ink, int) { return ink ? 30 : 235; });
         },
         "out.png", PNG_COLOR_TYPE_GRAY, 8, "reduced to 8 bits"},
        {"rgba png, transparent paper",
         [](const std::string& p) {
             Png(p, PNG_COLOR_TYPE_RGB_ALPHA, 8, 4,
                 [](bool ink, int k) { return k == 3 ? (ink ? 255 : 0) : (ink ? 20 : 90); });
         },
         "out.png", PNG_COLOR_TYPE_RGB, 8, "alpha flattened over white"},
        {"palette bmp of 16 entries",
         [](const std::string& p) {
             std::vector<BmpBase::PaletteEntry> table(16, {0, 90, 200, 0});
             table[0] = {230, 245, 250, 0};
             Bmp(p, 8, table);
         },
         "out.bmp", 0, 4, nullptr},
        {"1-bit bmp of two colours",
         [](const std::string& p) {
             Bmp(p, 1, {{200, 255, 255, 0}, {90, 0, 0, 0}});
         },
         "out.bmp", 0, 1, nullptr},
        {"grey jpeg", [](const std::string& p) { Jpeg(p, JCS_GRAYSCALE); }, "out.jpg", 0, 1,
         nullptr},
        {"cmyk jpeg", [](const std::string& p) { Jpeg(p, JCS_CMYK); }, "out.jpg", 0, 3,
         "converted to RGB"},
    };
    return cases;
}

class PageKinds : public CliTestBase {
  protected:
    // How `path` stores its pixels, as Case says.
    void StoredAs(const std::string& path, int& colourType, int& bits) {
        const std::vector<uint8_t> b = TestSupport::ReadBytes(path);
        colourType = 0;
        bits = 0;
        const std::string kind = Signature(path);
        if (kind == "png" && b.size() > 25) {
            bits = b[24];
            colourType = b[25];
        } else if (kind == "bmp" && b.size() > 29) {
            bits = b[28] | b[29] << 8;
        } else if (kind == "tif") {
            std::vector<StoredPage> pages;
            bool big = false;
            ASSERT_TRUE(ReadStoredPages(path, pages, big));
            ASSERT_EQ(pages.size(), 1u);
            colourType = pages[0].compression;
            bits = pages[0].bitsPerSample;
        } else if (kind == "jpg") {
            BmpBase::CBitmap24 page;
            Pictconv::PageDescription d;
            ASSERT_TRUE(Pictconv::DecodeJpeg(path.c_str(), page, d));
            bits = d.kind == Pictconv::PageKind::kGrey ? 1 : 3;
        }
    }

    // Any picture the tool writes, BMP of every depth included.
    bool ReadPage(const std::string& path, BmpBase::CBitmap24& page) {
        return Signature(path) == "bmp" ? Pictconv::LoadBmp(path.c_str(), page)
                                        : ReadAny(path, page);
    }

    // The palette of a PNG, red, green, blue of each entry.
    std::vector<int> Palette(const std::string& path) {
        BmpBase::CBitmap24 page;
        Pictconv::PageDescription d;
        EXPECT_TRUE(Pictconv::DecodePng(path.c_str(), page, d)) << path;
        std::vector<int> entries;
        for (const Pictconv::PaletteEntry& e : d.palette) {
            entries.insert(entries.end(), {e.red, e.green, e.blue});
        }
        return entries;
    }

    // The number of ink pixels (blue below the bilevel threshold) of `path`.
    size_t InkPixels(const std::string& path) {
        BmpBase::CBitmap24 page;
        EXPECT_TRUE(ReadPage(path, page)) << path;
        size_t ink = 0;
        for (uint32_t r = 0; r < page.height; ++r) {
            for (uint32_t c = 0; c < page.width; ++c) {
                ink += page.PixelAt(r, c)[0] < Pictconv::kBilevelThreshold ? 1 : 0;
            }
        }
        return ink;
    }

    // Blue, green, red of the top-left pixel of `path`.
    std::vector<int> Corner(const std::string& path) {
        BmpBase::CBitmap24 page;
        EXPECT_TRUE(ReadPage(path, page)) << path;
        const uint8_t* px = page.PixelAt(page.height - 1, 0);
        return {px[0], px[1], px[2]};
    }
};

TEST_F(PageKinds, TurnedPagesAreWrittenInTheirKindWithWhatChangedInTheNote) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        c.make(File("in"));
        const ToolRun run = Run({"auto", "in", "-o", c.output, "-f", "--format", "json"});
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        const Json page = JsonReport(run)["pages"][0];
        EXPECT_EQ(page["status"].text, "rotated");
        if (c.note == nullptr) {
            EXPECT_EQ(page["note"].kind, Json::Kind::kNull) << page["note"].text;
        } else {
            EXPECT_EQ(page["note"].text, c.note);
        }
        int colourType = -1, bits = -1;
        StoredAs(File(c.output), colourType, bits);
        EXPECT_EQ(colourType, c.colourType);
        EXPECT_EQ(bits, c.bits);
        if (colourType == PNG_COLOR_TYPE_PALETTE) {
            EXPECT_EQ(Palette(File("in")), Palette(File(c.output)));
        }
    }
}

TEST_F(PageKinds, WhatChangedFollowsTheReasonAndShowsInTheText) {
    // A small tilt that --whole-degrees leaves alone; written as BMP, the
    // page is still decoded and re-encoded.
    Png(
        File("in.png"), PNG_COLOR_TYPE_GRAY, 16, 2, [](bool ink, int) { return ink ? 30 : 235; },
        {}, 2.0);
    const ToolRun kept =
        Run({"auto", "--whole-degrees", "in.png", "-o", "kept.bmp", "--format", "json"});
    ASSERT_EQ(kept.exitCode, 0) << kept.out << kept.err;
    const Json page = JsonReport(kept)["pages"][0];
    EXPECT_EQ(page["status"].text, "unchanged");
    EXPECT_EQ(page["note"].text, "3 degrees or less; reduced to 8 bits");
    const ToolRun turned = Run({"auto", "in.png", "-o", "turned.png"});
    ASSERT_EQ(turned.exitCode, 0) << turned.out << turned.err;
    EXPECT_NE(turned.out.find(", turned -> turned.png (reduced to 8 bits)\n"), std::string::npos)
        << turned.out;
}

TEST_F(PageKinds, BilevelPagesKeepTheirStrokesAndTheirSize) {
    for (const auto& make : {BilevelPng, BilevelBmp}) {
        make(File("in"));
        const ToolRun run =
            Run({"auto", "in", "-o", "out", "--output-format", Signature(File("in")), "-f"});
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        const double inkIn = static_cast<double>(InkPixels(File("in")));
        const double inkOut = static_cast<double>(InkPixels(File("out")));
        EXPECT_GT(inkOut, 0.85 * inkIn);
        EXPECT_LT(inkOut, 1.15 * inkIn);
        EXPECT_LE(TestSupport::ReadBytes(File("out")).size(),
                  2 * TestSupport::ReadBytes(File("in")).size());
    }
}

TEST_F(PageKinds, BilevelCornersAreWhiteUnlessBlackIsAsked) {
    BilevelPng(File("in.png"));
    const std::vector<int> white = {255, 255, 255};
    const std::vector<int> black = {0, 0, 0};
    const struct {
        const char* output;
        std::vector<std::string> args;
        std::vector<int> corner;
    } runs[] = {
        {"default.png", {"auto"}, white},
        {"paper.png", {"auto", "--corner", "paper"}, white},
        {"black.png", {"auto", "--corner", "black"}, black},
        {"keep.png", {"rotate", "--angle", "5", "--corner", "black", "--canvas", "keep"}, black},
    };
    for (const auto& r : runs) {
        std::vector<std::string> args = r.args;
        args.insert(args.end(), {"in.png", "-o", r.output});
        const ToolRun run = Run(args);
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_EQ(Corner(File(r.output)), r.corner) << r.output;
    }
}

}  // namespace
}  // namespace CliTest
