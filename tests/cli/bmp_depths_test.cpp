// The tool on BMP pages that are not plain 24-bit files: a colour-mapped
// page, stored bottom-up or top-down, and top-down 24- and 32-bit pages are
// read, estimated and turned exactly like the plain 24-bit page with the
// same pixels; the grey 8-bit pages are written in 8 bits, the others in 24.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bmpbase/bmp_writer.h"
#include "pictconv/page.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/synthetic_page.h"

namespace CliTest {
namespace {

constexpr int kTiltDeg = 8;

class BmpDepths : public CliTestBase {
  protected:
    // The tilted test page in greys, so that a 256-entry grey palette holds
    // every colour of it.
    static BmpBase::CBitmap24 GreyPage() {
        BmpBase::CBitmap24 page = TestSupport::TextPage(kPageRows, kPageCols, kTiltDeg, 1);
        page.infoHeader.biXPelsPerMeter = k300DpiPpm;
        page.infoHeader.biYPelsPerMeter = k300DpiPpm;
        for (uint32_t r = 0; r < page.height; ++r) {
            for (uint32_t c = 0; c < page.width; ++c) {
                uint8_t* px = page.PixelAt(r, c);
                px[0] = px[1] = px[2] = static_cast<uint8_t>((px[0] + px[1] + px[2]) / 3);
            }
        }
        return page;
    }

    // The same picture stored top row first.
    static BmpBase::CBitmap24 TopDown(const BmpBase::CBitmap24& page) {
        BmpBase::CBitmap24 flipped = page;
        flipped.infoHeader.biHeight = -flipped.infoHeader.biHeight;
        for (uint32_t r = 0; r < page.height; ++r) {
            std::copy(page.PixelAt(r, 0), page.PixelAt(r, 0) + page.stride,
                      flipped.PixelAt(page.height - 1 - r, 0));
        }
        return flipped;
    }

    void Write(const std::string& name, const BmpBase::CBitmap24& page, uint16_t bits) {
        std::vector<BmpBase::PaletteEntry> greys;
        for (int i = 0; bits == 8 && i < 256; ++i) {
            const auto g = static_cast<uint8_t>(i);
            greys.push_back({g, g, g, 0});
        }
        std::FILE* f = std::fopen(File(name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(BmpBase::WriteBmp(f, page, bits, greys));
        EXPECT_EQ(std::fclose(f), 0);
    }
};

TEST_F(BmpDepths, ColourMappedAndTopDownPagesTurnLikeTheirPlainTwin) {
    const BmpBase::CBitmap24 page = GreyPage();
    Write("plain.bmp", page, 24);
    Write("page8.bmp", page, 8);
    Write("topdown8.bmp", TopDown(page), 8);
    Write("topdown24.bmp", TopDown(page), 24);
    Write("topdown32.bmp", TopDown(page), 32);
    const ToolRun plain = Run({"auto", "plain.bmp", "-o", "plain-out.bmp"});
    ASSERT_EQ(plain.exitCode, 0) << plain.out << plain.err;
    const std::vector<uint8_t> expected = TestSupport::ReadBytes(File("plain-out.bmp"));
    for (const char* name : {"page8", "topdown8", "topdown24", "topdown32"}) {
        const std::string in = std::string(name) + ".bmp";
        const std::string out = std::string(name) + "-out.bmp";
        const ToolRun run = Run({"auto", in, "-o", out});
        ASSERT_EQ(run.exitCode, 0) << name << ": " << run.out << run.err;
        std::string report = plain.out;
        for (size_t at = report.find("plain"); at != std::string::npos;
             at = report.find("plain", at + 1)) {
            report.replace(at, 5, name);
        }
        EXPECT_EQ(run.out, report);
        const std::vector<uint8_t> written = TestSupport::ReadBytes(File(out));
        if (std::string(name).back() != '8') {
            EXPECT_TRUE(written == expected) << name;
            continue;
        }
        ASSERT_GT(written.size(), 29u);
        EXPECT_EQ(written[28], 8) << name;
        BmpBase::CBitmap24 plainPage, outPage;
        ASSERT_TRUE(Pictconv::LoadBmp(File("plain-out.bmp").c_str(), plainPage));
        ASSERT_TRUE(Pictconv::LoadBmp(File(out).c_str(), outPage));
        EXPECT_TRUE(
            outPage.height == plainPage.height && outPage.width == plainPage.width &&
            std::equal(outPage.pixels, outPage.pixels + outPage.pixelBytes, plainPage.pixels))
            << name;
    }
}

}  // namespace
}  // namespace CliTest
