// What `auto` does with no mode option: precise mode straightens pages the
// whole-degree pipeline misreads or leaves tilted, keeps pages it cannot
// read as they were, and --whole-degrees still gives the export's bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "tests/cli/cli_fixture.h"
#include "tests/support/synthetic_page.h"

namespace CliTest {
namespace {

using DefaultMode = CliTestBase;

// Dark specks, about one pixel in `every`, as a lightly soiled scanner glass
// leaves them.
void AddSpecks(BmpBase::CBitmap24& page, uint32_t every, uint32_t seed) {
    for (uint32_t r = 0; r < page.height; ++r) {
        uint8_t* p = page.PixelAt(r, 0);
        for (uint32_t c = 0; c < page.width; ++c, p += 3) {
            if (TestSupport::SyntheticDetail::NextRandom(seed) % every == 0) {
                p[0] = p[1] = p[2] = 30;
            }
        }
    }
}

// Grey noise of -amplitude .. amplitude on every byte.
void AddNoise(BmpBase::CBitmap24& page, int amplitude, uint32_t seed) {
    for (uint32_t r = 0; r < page.height; ++r) {
        uint8_t* p = page.PixelAt(r, 0);
        for (uint32_t i = 0; i < 3 * page.width; ++i) {
            const int v = p[i] +
                          static_cast<int>(TestSupport::SyntheticDetail::NextRandom(seed) %
                                           static_cast<uint32_t>(2 * amplitude + 1)) -
                          amplitude;
            p[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
        }
    }
}

TEST_F(DefaultMode, SpeckledPageIsStraightenedAndBlankNoisyPageKept) {
    BmpBase::CBitmap24 speckled = TestSupport::TextPage(600, 440, 4.5, 3);
    AddSpecks(speckled, 400, 11);
    ASSERT_TRUE(speckled.Write(File("speckled.bmp").c_str()));
    BmpBase::CBitmap24 blank = TestSupport::SolidBitmap(600, 440, 236, 236, 236);
    AddNoise(blank, 20, 5);
    ASSERT_TRUE(blank.Write(File("blank.bmp").c_str()));

    const ToolRun run = Run({"auto", File("speckled.bmp"), File("blank.bmp"), "--out-dir",
                             File("straight"), "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json report = JsonReport(run);
    const Json& turned = report["pages"][0];
    EXPECT_EQ(turned["status"].text, "rotated");
    EXPECT_EQ(turned["mode"].text, "precise");
    EXPECT_NEAR(turned["angle"].number, 4.5, 0.2);
    BmpBase::CBitmap24 out;
    ASSERT_TRUE(ReadAny(File("straight/speckled.bmp"), out));
    EXPECT_GT(out.height, out.width);  // portrait stays portrait

    const Json& kept = report["pages"][1];
    EXPECT_NE(kept["status"].text, "rotated");
    EXPECT_NE(kept["status"].text, "failed");
    EXPECT_EQ(TestSupport::ReadBytes(File("straight/blank.bmp")),
              TestSupport::ReadBytes(File("blank.bmp")));
}

TEST_F(DefaultMode, TiltAboveThreeDegreesButBelowFourIsTurnedToATenth) {
    const std::string in = WritePage("tilt.bmp", 3.5, "bmp");
    const ToolRun run = Run({"auto", in, "-o", File("out.bmp"), "--format", "json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json report = JsonReport(run);
    const Json& page = report["pages"][0];
    EXPECT_EQ(page["status"].text, "rotated");
    EXPECT_NEAR(page["angle"].number, 3.5, 0.1);
}

// The file AutoRotate itself writes, through a host that binds the library.
std::string ExportOutput(const std::string& in, const std::string& out) {
    const std::string bin = TestSupport::BinaryDir();
    const std::string command = "'" + bin + "/load_host' '" + bin + "/libSkewmend.so' auto-file '" +
                                in + "' '" + out + "' > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return out;
}

TEST_F(DefaultMode, WholeDegreesGivesTheExportsBytes) {
    // Turned by the export (6 degrees), and left alone by it (2 degrees).
    for (const double tilt : {6.0, 2.0}) {
        SCOPED_TRACE(tilt);
        const std::string in = WritePage("in.bmp", tilt, "bmp");
        const ToolRun run = Run({"auto", "--whole-degrees", in, "-o", File("tool.bmp"), "--force"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find("(whole-degrees mode)"), std::string::npos) << run.out;
        EXPECT_EQ(TestSupport::ReadBytes(File("tool.bmp")),
                  TestSupport::ReadBytes(ExportOutput(in, File("export.bmp"))));
    }
}

}  // namespace
}  // namespace CliTest
