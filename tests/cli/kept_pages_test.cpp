// Pages come out as they went in unless they are turned: --canvas keep
// gives a turned page the input's size, a turn by 0 degrees copies the
// file, and a page whose skew cannot be found is kept in every writing mode.
// Only a file that cannot be read fails.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <sstream>

#include "tests/cli/cli_fixture.h"

namespace CliTest {
namespace {

// What the written page must be.
enum Outcome {
    kInputSize,   // the input's size; centre pixels those of the --canvas expand page
    kByteCopy,    // the input's bytes
    kSamePixels,  // the input's pixels in another format
    kNothing,     // no output written
};

struct Case {
    std::string command;  // the command, the input's name, options
    std::string output;   // -o NAME; "dir/NAME" is --out-dir dir; "" is --in-place
    const char* status;
    const char* note;  // "" for none
    int exitCode;
    Outcome outcome;
};

class KeptPages : public CliTestBase {
  protected:
    void SetUp() override {
        WritePage("tilted.bmp", 6.0, "bmp");
        WritePage("tilted.png", 6.0, "png");
        ASSERT_TRUE(TestSupport::SolidBitmap(kPageRows, kPageCols, 240, 240, 240)
                        .Write(File("blank.bmp").c_str()));
        // One square mark: ink, but no line of text to measure.
        BmpBase::CBitmap24 mark = TestSupport::SolidBitmap(kPageRows, kPageCols, 255, 255, 255);
        for (uint32_t r = 200; r < 204; ++r) {
            std::memset(mark.PixelAt(r, 150), 0, 3 * 4);
        }
        ASSERT_TRUE(mark.Write(File("mark.bmp").c_str()));
        TestSupport::WriteBytes(File("broken.png"), {'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'});
    }

    // The case's command on its input, with `extra` options, writing `out`.
    ToolRun RunCase(const Case& c, const std::vector<std::string>& extra, const std::string& out) {
        std::istringstream words(c.command);
        std::vector<std::string> args(std::istream_iterator<std::string>(words), {});
        args[1] = File(args[1]);
        args.insert(args.end(), extra.begin(), extra.end());
        const std::string::size_type slash = out.find('/');
        if (out.empty()) {
            args.push_back("--in-place");
        } else if (slash != std::string::npos) {
            args.insert(args.end(), {"--out-dir", File(out.substr(0, slash))});
        } else {
            args.insert(args.end(), {"-o", File(out)});
        }
        args.insert(args.end(), {"--force", "--format", "json", "--no-progress"});
        return Run(args);
    }

    // The file the case names as its input.
    std::string Input(const Case& c) const {
        std::istringstream words(c.command);
        std::string name;
        words >> name >> name;
        return File(name);
    }
};

// The pixels a user sees in the middle: a square around the pixel half the
// height from the top and half the width from the left, rounded down.
std::vector<uint8_t> CentreBlock(const BmpBase::CBitmap24& page) {
    constexpr uint32_t kHalf = 7;
    std::vector<uint8_t> block;
    for (uint32_t top = page.height / 2 - kHalf; top <= page.height / 2 + kHalf; ++top) {
        const uint8_t* p = page.PixelAt(page.height - 1 - top, page.width / 2 - kHalf);
        block.insert(block.end(), p, p + 3 * (2 * kHalf + 1));
    }
    return block;
}

TEST_F(KeptPages, EveryPageComesOutAsTheOptionsSay) {
    const char kNoSkew[] = "no skew could be estimated";
    const std::vector<Case> cases = {
        {"auto tilted.bmp --canvas keep", "keep.bmp", "rotated", "", 0, kInputSize},
        {"auto tilted.bmp --whole-degrees --canvas keep", "keep.bmp", "rotated", "", 0, kInputSize},
        {"rotate tilted.bmp --angle 7 --canvas keep", "keep.bmp", "rotated", "", 0, kInputSize},
        // Cut across, filled along: the turned page is wider and lower.
        {"rotate tilted.bmp --angle -75 --corner black --canvas keep", "keep.bmp", "rotated", "", 0,
         kInputSize},
        {"rotate tilted.png --angle 0", "out.png", "unchanged", "", 0, kByteCopy},
        {"rotate tilted.png --angle 0 --canvas keep", "dir/tilted.png", "unchanged", "", 0,
         kByteCopy},
        {"rotate tilted.png --angle 0", "out.bmp", "unchanged", "", 0, kSamePixels},
        {"auto blank.bmp", "dir/blank.bmp", "not sure", "no clear direction of text", 0, kByteCopy},
        {"auto mark.bmp", "out.bmp", "not sure", kNoSkew, 0, kByteCopy},
        {"auto blank.bmp --whole-degrees", "dir/blank.bmp", "unchanged", kNoSkew, 0, kByteCopy},
        {"auto mark.bmp --whole-degrees", "out.bmp", "unchanged", kNoSkew, 0, kByteCopy},
        {"auto mark.bmp --whole-degrees", "out.png", "unchanged", kNoSkew, 0, kSamePixels},
        {"auto mark.bmp --whole-degrees", "", "unchanged", kNoSkew, 0, kByteCopy},
        {"auto broken.png", "dir/broken.png", "failed", "", 1, kNothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + " -> " + c.output);
        const std::vector<uint8_t> before = TestSupport::ReadBytes(Input(c));
        const ToolRun run = RunCase(c, {}, c.output);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        const Json report = JsonReport(run);
        const Json& page = report["pages"][0];
        EXPECT_EQ(page["status"].text, c.status);
        EXPECT_EQ(page["note"].text, c.note);
        const std::string out = c.output.empty() ? Input(c) : File(c.output);
        BmpBase::CBitmap24 written;
        BmpBase::CBitmap24 input;
        switch (c.outcome) {
            case kInputSize: {
                ASSERT_TRUE(ReadAny(out, written));
                ASSERT_TRUE(ReadAny(Input(c), input));
                EXPECT_EQ(written.height, input.height);
                EXPECT_EQ(written.width, input.width);
                RunCase(c, {"--canvas", "expand"}, "expand.bmp");
                BmpBase::CBitmap24 expanded;
                ASSERT_TRUE(ReadAny(File("expand.bmp"), expanded));
                EXPECT_NE(expanded.width, input.width);
                EXPECT_EQ(CentreBlock(written), CentreBlock(expanded));
                break;
            }
            case kByteCopy:
                EXPECT_EQ(TestSupport::ReadBytes(out), before);
                break;
            case kSamePixels:
                ASSERT_TRUE(ReadAny(out, written));
                ASSERT_TRUE(ReadAny(Input(c), input));
                ASSERT_EQ(written.pixelBytes, input.pixelBytes);
                EXPECT_EQ(std::memcmp(written.pixels, input.pixels, input.pixelBytes), 0);
                break;
            case kNothing:
                EXPECT_FALSE(TestSupport::FileExists(out));
                break;
        }
    }
}

}  // namespace
}  // namespace CliTest
