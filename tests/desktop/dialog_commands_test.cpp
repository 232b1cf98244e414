// Copy and Paste through the temporary file, the Setup dialog's rules,
// About and Help, driven through the fake window.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "desktop/bmp_io.h"
#include "desktop/clipboard_bitmap.h"
#include "desktop/command_ids.h"
#include "desktop/desk_app.h"
#include "tests/desktop/fake_window.h"
#include "tests/support/test_support.h"

namespace LeveloraDesk {

bool SamePixels(const BmpBase::CBitmap24& a, const BmpBase::CBitmap24& b);

namespace {

class DialogCommandsTest : public testing::Test {
  protected:
    DialogCommandsTest() {
        FakeEngine::Reset();
        temp = dir.File("levelora-private/_leveloratemp.bmp");
        app = std::make_unique<DeskApp>(state, window, FakeEngine::Entries(), temp);
        app->Start();
    }

    void OpenPicture() {
        const std::string path = dir.File("page.bmp");
        ASSERT_TRUE(WriteToFile(TestSupport::PatternBitmap(4, 6), std::fopen(path.c_str(), "wb")));
        window.openReply = {true, path, ImageFileFormat::Bitmap};
        app->OnCommand(kCmdOpen);
        ASSERT_TRUE(state.ImageOpen);
    }

    void RotateTo(int angle) {
        window.angleText = std::to_string(angle < 0 ? -angle : angle);
        app->OnCommand(angle < 0 ? kCmdRotateLeft : kCmdRotateRight);
        ASSERT_EQ(state.CurrentAngle, angle);
    }

    void Paste(const ClipboardBitmap& bitmap) {
        window.clipboardHasImage = true;
        window.clipboardImage = bitmap;
        app->OnCommand(kCmdPaste);
    }

    TestSupport::ScratchDir dir;
    std::string temp;
    ProgramState state;
    FakeWindow window;
    std::unique_ptr<DeskApp> app;
};

TEST_F(DialogCommandsTest, CopyWithoutImageDoesNothing) {
    app->OnCommand(kCmdCopy);
    EXPECT_TRUE(window.clipboardFiles.empty());
    EXPECT_FALSE(TestSupport::FileExists(temp));
}

TEST_F(DialogCommandsTest, CopyWritesShownImageAs32BitTempFile) {
    OpenPicture();
    RotateTo(5);
    app->OnCommand(kCmdCopy);
    ASSERT_EQ(window.clipboardFiles, std::vector<std::string>{temp});
    const std::vector<uint8_t> bytes = TestSupport::ReadBytes(temp);
    ASSERT_EQ(bytes.size(), 54u + 4u);  // the stand-in rotation is 1 x 1
    EXPECT_EQ(bytes[28], 32);
    EXPECT_EQ(bytes[54], 5);
    EXPECT_TRUE(window.messages.empty());
}

// A 2 x 2 clipboard picture at `bits` bits per pixel with the given rows
// (bottom row first) and colour table.
ClipboardBitmap Clip(uint16_t bits, std::vector<uint8_t> rows, std::vector<uint32_t> table = {}) {
    ClipboardBitmap b;
    b.width = 2;
    b.height = 2;
    b.bitsPerPixel = bits;
    b.rows = std::move(rows);
    b.colorTable = std::move(table);
    return b;
}

struct PasteCase {
    const char* name;
    ClipboardBitmap bitmap;
    // Expected (blue, green, red) of rows 0 and 1, columns 0 and 1.
    uint8_t expected[2][2][3];
};

class PasteDepthTest : public DialogCommandsTest, public testing::WithParamInterface<PasteCase> {};

TEST_P(PasteDepthTest, GivesTheRightTwentyFourBitPixels) {
    Paste(GetParam().bitmap);
    ASSERT_TRUE(state.ImageOpen);
    ASSERT_EQ(state.SourceImage.width, 2u);
    ASSERT_EQ(state.SourceImage.height, 2u);
    EXPECT_EQ(state.SourceImage.infoHeader.biBitCount, 24);
    for (uint32_t r = 0; r < 2; ++r) {
        for (uint32_t c = 0; c < 2; ++c) {
            EXPECT_EQ(0, std::memcmp(state.SourceImage.PixelAt(r, c), GetParam().expected[r][c], 3))
                << "row " << r << " col " << c;
        }
    }
    EXPECT_TRUE(SamePixels(state.ShownImage, state.SourceImage));
}

const PasteCase kPasteCases[] = {
    {"OneBit",
     Clip(1, {0x80, 0, 0, 0, 0x40, 0, 0, 0}, {0x00102030, 0x00A0B0C0}),
     {{{0xC0, 0xB0, 0xA0}, {0x30, 0x20, 0x10}}, {{0x30, 0x20, 0x10}, {0xC0, 0xB0, 0xA0}}}},
    {"EightBit",
     Clip(8, {0, 2, 0, 0, 1, 255, 0, 0}, {0x00000000, 0x00112233, 0x00445566}),
     {{{0, 0, 0}, {0x66, 0x55, 0x44}}, {{0x33, 0x22, 0x11}, {0, 0, 0}}}},
    {"SixteenBit555",
     Clip(16, {0xFF, 0x7F, 0x1F, 0x00, 0x00, 0x7C, 0xE0, 0x03}),
     {{{248, 248, 248}, {248, 0, 0}}, {{0, 0, 248}, {0, 248, 0}}}},
    {"ThirtyTwoBit",
     Clip(32, {1, 2, 3, 0xFF, 4, 5, 6, 0, 7, 8, 9, 0x80, 10, 11, 12, 0}),
     {{{1, 2, 3}, {4, 5, 6}}, {{7, 8, 9}, {10, 11, 12}}}},
};

INSTANTIATE_TEST_SUITE_P(Clipboard, PasteDepthTest, testing::ValuesIn(kPasteCases),
                         [](const testing::TestParamInfo<PasteCase>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(DialogCommandsTest, PasteWithoutImageOpenEnablesCommandsLeavesFieldEmpty) {
    Paste(kPasteCases[3].bitmap);
    EXPECT_TRUE(state.ImageOpen);
    EXPECT_EQ(window.EnabledState(kCmdSave), 1);
    EXPECT_EQ(window.EnabledState(kCmdRestore), 1);
    EXPECT_EQ(window.angleText, "");
    EXPECT_EQ(state.CurrentAngle, 0);
    EXPECT_EQ(window.repaints, 1);
}

TEST_F(DialogCommandsTest, PasteWhileOpenKeepsAngleAndField) {
    OpenPicture();
    RotateTo(-9);
    const size_t enableCalls = window.enableCalls.size();
    Paste(kPasteCases[3].bitmap);
    EXPECT_EQ(state.CurrentAngle, -9);
    EXPECT_EQ(window.angleText, "9");
    EXPECT_EQ(state.SourceImage.width, 2u);
    EXPECT_TRUE(SamePixels(state.ShownImage, state.SourceImage));
    EXPECT_EQ(window.enableCalls.size(), enableCalls);
}

TEST_F(DialogCommandsTest, PasteWithNoClipboardImageDoesNothing) {
    OpenPicture();
    const BmpBase::CBitmap24 before = state.SourceImage;
    const int repaints = window.repaints;
    app->OnCommand(kCmdPaste);
    EXPECT_TRUE(SamePixels(state.SourceImage, before));
    EXPECT_EQ(window.repaints, repaints);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(DialogCommandsTest, UnusableClipboardImageChangesNothing) {
    // Rows shorter than the description, then a temporary file that cannot
    // be written: both end the paste silently.
    Paste(Clip(32, {1, 2, 3}));
    EXPECT_FALSE(state.ImageOpen);
    DeskApp unwritable(state, window, FakeEngine::Entries(), dir.File("no/such/dir/t.bmp"));
    window.clipboardImage = kPasteCases[3].bitmap;
    unwritable.OnCommand(kCmdPaste);
    EXPECT_FALSE(state.ImageOpen);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.repaints, 0);
}

TEST(SaveBitmapAsBmpTest, HeadersFollowTheDepth) {
    TestSupport::ScratchDir dir;
    ClipboardBitmap b = Clip(4, {0x12, 0, 0, 0, 0x34, 0, 0, 0}, {0x00FFFFFF});
    ASSERT_TRUE(SaveBitmapAsBmp(std::fopen(dir.File("c.bmp").c_str(), "wb"), b));
    const std::vector<uint8_t> bytes = TestSupport::ReadBytes(dir.File("c.bmp"));
    const uint32_t table = 16 * 4;
    ASSERT_EQ(bytes.size(), 54u + table + 8u);
    uint32_t bfSize, offBits, clrUsed, sizeImage;
    std::memcpy(&bfSize, &bytes[2], 4);
    std::memcpy(&offBits, &bytes[10], 4);
    std::memcpy(&sizeImage, &bytes[34], 4);
    std::memcpy(&clrUsed, &bytes[46], 4);
    EXPECT_EQ(bfSize, bytes.size());
    EXPECT_EQ(offBits, 54u + table);
    EXPECT_EQ(sizeImage, 8u);
    EXPECT_EQ(clrUsed, 16u);
    EXPECT_EQ(bytes[54], 0xFF);      // entry 0 as given
    EXPECT_EQ(bytes[54 + 4], 0x00);  // entry 1 missing: black
}

TEST_F(DialogCommandsTest, SetupDialogOnlyWithImage) {
    app->OnCommand(kCmdManualRotate);
    EXPECT_TRUE(window.setupPresets.empty());
}

TEST_F(DialogCommandsTest, SetupPresetFromNegativeAngleOkUnchangedDoesNotRotate) {
    OpenPicture();
    RotateTo(-7);
    window.setupAccepted = true;
    window.setupReply = {"7", true};
    app->OnCommand(kCmdManualRotate);
    ASSERT_EQ(window.setupPresets.size(), 1u);
    EXPECT_EQ(window.setupPresets[0].angleText, "7");
    EXPECT_TRUE(window.setupPresets[0].toLeft);
    EXPECT_EQ(FakeEngine::manualAngles.size(), 1u);
}

TEST_F(DialogCommandsTest, SetupToLeftRotatesAndUpdatesToolbarField) {
    OpenPicture();
    RotateTo(7);
    window.setupAccepted = true;
    window.setupReply = {"7", true};
    app->OnCommand(kCmdManualRotate);
    EXPECT_FALSE(window.setupPresets[0].toLeft);
    EXPECT_EQ(state.CurrentAngle, -7);
    EXPECT_EQ(window.angleText, "7");
    EXPECT_EQ(FakeEngine::manualAngles.back(), -7.0);
}

TEST_F(DialogCommandsTest, SetupEmptyFieldAsksForZeroOnlyFromNonZero) {
    OpenPicture();
    window.setupAccepted = true;
    window.setupReply = {"", false};
    app->OnCommand(kCmdManualRotate);
    EXPECT_TRUE(FakeEngine::manualAngles.empty());
    RotateTo(12);
    app->OnCommand(kCmdManualRotate);
    EXPECT_EQ(FakeEngine::manualAngles.back(), 0.0);
    EXPECT_EQ(window.angleText, "0");
}

TEST_F(DialogCommandsTest, SetupCancelChangesNothing) {
    OpenPicture();
    RotateTo(3);
    window.setupAccepted = false;
    app->OnCommand(kCmdManualRotate);
    EXPECT_EQ(state.CurrentAngle, 3);
    EXPECT_EQ(FakeEngine::manualAngles.size(), 1u);
}

TEST_F(DialogCommandsTest, SetupFailureKeepsNewFieldTextAndShowsSource) {
    OpenPicture();
    FakeEngine::succeed = false;
    window.setupAccepted = true;
    window.setupReply = {"25", false};
    app->OnCommand(kCmdManualRotate);
    EXPECT_EQ(window.messages, (std::vector<std::string>{"Failed to manual-rotate"}));
    EXPECT_EQ(window.angleText, "25");
    EXPECT_EQ(state.CurrentAngle, 0);
    EXPECT_TRUE(SamePixels(state.ShownImage, state.SourceImage));
}

TEST_F(DialogCommandsTest, AboutAlwaysRuns) {
    app->OnCommand(kCmdAbout);
    EXPECT_EQ(window.abouts, 1);
}

TEST_F(DialogCommandsTest, HelpPathIsFixedFromStartUpDirectory) {
    const std::filesystem::path start = std::filesystem::current_path();
    FakeWindow other;
    DeskApp fresh(state, other, FakeEngine::Entries(), temp);
    std::filesystem::current_path(dir.path());
    fresh.Start();
    std::filesystem::current_path(start);
    fresh.OnCommand(kCmdHelp);
    const std::string expected =
        (std::filesystem::path(dir.path()) / "LeveloraHelp.html").lexically_normal().string();
    EXPECT_EQ(other.documents, std::vector<std::string>{expected});
    EXPECT_EQ(fresh.HelpFilePath(), expected);
}

}  // namespace
}  // namespace LeveloraDesk
