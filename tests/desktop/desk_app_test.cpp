// The program's logic driven through a fake window: the command table with
// its conditions, the greying rules, the state after every command and
// failure, the rotations through a stand-in engine, and what a missing
// entry point does.
#include "desktop/desk_app.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "desktop/angle_text.h"
#include "desktop/bmp_io.h"
#include "desktop/command_ids.h"
#include "tests/desktop/fake_window.h"
#include "tests/support/test_support.h"

namespace LeveloraDesk {

bool SamePixels(const BmpBase::CBitmap24& a, const BmpBase::CBitmap24& b) {
    return a.width == b.width && a.height == b.height && a.pixelBytes == b.pixelBytes &&
           std::memcmp(a.pixels, b.pixels, a.pixelBytes) == 0;
}

namespace {

constexpr int kImageCommands[] = {kCmdSave,       kCmdClose,       kCmdAutoRotate, kCmdManualRotate,
                                  kCmdRotateLeft, kCmdRotateRight, kCmdRestore};

class DeskAppTest : public testing::Test {
  protected:
    DeskAppTest() {
        FakeEngine::Reset();
        FakeConverters::Reset();
        EntryPoints entries = FakeEngine::Entries();
        FakeConverters::AddTo(entries);
        app = std::make_unique<DeskApp>(state, window, entries,
                                        dir.File("levelora-private/_leveloratemp.bmp"));
        app->Start();
    }

    // Writes a pattern picture as a 24-bit BMP file and opens it.
    void OpenPicture(uint32_t rows = 6, uint32_t cols = 9) {
        const std::string path = dir.File("page.bmp");
        ASSERT_TRUE(
            WriteToFile(TestSupport::PatternBitmap(rows, cols), std::fopen(path.c_str(), "wb")));
        window.openReply = {true, path, ImageFileFormat::Bitmap};
        app->OnCommand(kCmdOpen);
        ASSERT_TRUE(state.ImageOpen);
    }

    bool ShownIsRotation(int angle) const {
        return state.ShownImage.width == 1 && state.ShownImage.pixels[0] == uint8_t(angle) &&
               state.ShownImage.pixels[1] == 0xEE;
    }

    TestSupport::ScratchDir dir;
    ProgramState state;
    FakeWindow window;
    std::unique_ptr<DeskApp> app;
};

TEST_F(DeskAppTest, StartGreysTheSevenImageCommandsInOrder) {
    std::vector<std::pair<int, bool>> expected;
    for (int id : kImageCommands) {
        expected.emplace_back(id, false);
    }
    EXPECT_EQ(window.enableCalls, expected);
    for (int id : {kCmdOpen, kCmdExit, kCmdCopy, kCmdPaste, kCmdHelp, kCmdAbout}) {
        EXPECT_EQ(window.EnabledState(id), -1) << id;
    }
}

TEST_F(DeskAppTest, ImageCommandsDoNothingWithoutAnImage) {
    for (int id : {kCmdSave, kCmdAutoRotate, kCmdRestore, kCmdRotateRight, kCmdRotateLeft}) {
        window.angleText = "12";
        app->OnCommand(id);
    }
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.saveDialogs, 0);
    EXPECT_EQ(FakeEngine::autoCalls, 0);
    EXPECT_TRUE(FakeEngine::manualAngles.empty());
    EXPECT_EQ(state.CurrentAngle, 0);
    EXPECT_EQ(window.repaints, 0);
}

TEST_F(DeskAppTest, OpenEnablesCommandsAndShowsTheCopy) {
    OpenPicture();
    EXPECT_TRUE(SamePixels(state.ShownImage, state.SourceImage));
    EXPECT_EQ(state.SourceImage.width, 9u);
    EXPECT_EQ(window.angleText, "0");
    EXPECT_EQ(state.CurrentAngle, 0);
    for (int id : kImageCommands) {
        EXPECT_EQ(window.EnabledState(id), 1) << id;
    }
    EXPECT_EQ(window.repaints, 1);
}

TEST_F(DeskAppTest, SecondOpenDoesNotEnableAgainButResetsAngle) {
    OpenPicture();
    FakeEngine::reportedAngle = 9;
    app->OnCommand(kCmdAutoRotate);
    const size_t enableCalls = window.enableCalls.size();
    OpenPicture(4, 4);
    EXPECT_EQ(window.enableCalls.size(), enableCalls);
    EXPECT_EQ(state.CurrentAngle, 0);
    EXPECT_EQ(window.angleText, "0");
    EXPECT_EQ(state.ShownImage.width, 4u);
}

TEST_F(DeskAppTest, CloseGreysAndEmptiesTheFieldButKeepsTheImages) {
    OpenPicture();
    window.angleText = "5";
    app->OnCommand(kCmdRotateRight);
    app->OnCommand(kCmdClose);
    EXPECT_FALSE(state.ImageOpen);
    EXPECT_EQ(state.CurrentAngle, 0);
    EXPECT_EQ(window.angleText, "");
    for (int id : kImageCommands) {
        EXPECT_EQ(window.EnabledState(id), 0) << id;
    }
    EXPECT_EQ(state.SourceImage.width, 9u);
    EXPECT_TRUE(ShownIsRotation(5));
}

TEST_F(DeskAppTest, AutoRotateShowsMagnitudeAndKeepsSign) {
    OpenPicture();
    FakeEngine::reportedAngle = -3;
    app->OnCommand(kCmdAutoRotate);
    EXPECT_EQ(state.CurrentAngle, -3);
    EXPECT_EQ(window.angleText, "3");
    EXPECT_TRUE(ShownIsRotation(-3));
    EXPECT_EQ(window.busyCalls, (std::vector<bool>{true, false}));
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(DeskAppTest, LeftRotationEqualToAutoAngleDoesNothingRightRotatesFromSource) {
    OpenPicture();
    FakeEngine::reportedAngle = -3;
    app->OnCommand(kCmdAutoRotate);
    const int repaints = window.repaints;
    app->OnCommand(kCmdRotateLeft);
    EXPECT_TRUE(FakeEngine::manualAngles.empty());
    EXPECT_EQ(window.repaints, repaints);
    app->OnCommand(kCmdRotateRight);
    EXPECT_EQ(FakeEngine::manualAngles, (std::vector<double>{3.0}));
    EXPECT_EQ(state.CurrentAngle, 3);
    EXPECT_EQ(window.angleText, "3");
}

TEST_F(DeskAppTest, SameButtonTwiceRotatesOnce) {
    OpenPicture();
    window.angleText = "12";
    app->OnCommand(kCmdRotateLeft);
    app->OnCommand(kCmdRotateLeft);
    EXPECT_EQ(FakeEngine::manualAngles, (std::vector<double>{-12.0}));
    EXPECT_EQ(state.CurrentAngle, -12);
    EXPECT_TRUE(ShownIsRotation(-12));
}

TEST_F(DeskAppTest, EmptyFieldAsksForZeroDegreesOnlyAfterARotation) {
    OpenPicture();
    window.angleText = "";
    app->OnCommand(kCmdRotateRight);
    EXPECT_TRUE(FakeEngine::manualAngles.empty());
    window.angleText = "7";
    app->OnCommand(kCmdRotateRight);
    window.angleText = "";
    app->OnCommand(kCmdRotateRight);
    EXPECT_EQ(FakeEngine::manualAngles, (std::vector<double>{7.0, 0.0}));
    EXPECT_EQ(state.CurrentAngle, 0);
}

TEST_F(DeskAppTest, AutoRotateFailureRestoresSourceAndZeroesAngle) {
    OpenPicture();
    window.angleText = "8";
    app->OnCommand(kCmdRotateRight);
    FakeEngine::succeed = false;
    FakeEngine::reportedAngle = 15;
    app->OnCommand(kCmdAutoRotate);
    EXPECT_EQ(window.messages, (std::vector<std::string>{"Failed to auto-rotate"}));
    EXPECT_TRUE(SamePixels(state.ShownImage, state.SourceImage));
    EXPECT_EQ(state.CurrentAngle, 0);
    EXPECT_EQ(window.angleText, "8");
}

TEST_F(DeskAppTest, ManualRotateFailureRestoresSourceKeepsFieldZeroesAngle) {
    OpenPicture();
    FakeEngine::succeed = false;
    window.angleText = "20";
    app->OnCommand(kCmdRotateLeft);
    EXPECT_EQ(window.messages, (std::vector<std::string>{"Failed to manual-rotate"}));
    EXPECT_TRUE(SamePixels(state.ShownImage, state.SourceImage));
    EXPECT_EQ(state.CurrentAngle, 0);
    EXPECT_EQ(window.angleText, "20");
    // CurrentAngle describes the picture shown again, so Restore has
    // nothing to do and the same button may try again.
    const int repaints = window.repaints;
    app->OnCommand(kCmdRestore);
    EXPECT_EQ(window.repaints, repaints);
    app->OnCommand(kCmdRotateLeft);
    EXPECT_EQ(FakeEngine::manualAngles.size(), 2u);
}

TEST_F(DeskAppTest, MissingEngineEntryPointsFailWithTheirMessages) {
    EntryPoints none;
    DeskApp bare(state, window, none, dir.File("levelora-private/t.bmp"));
    OpenPicture();
    window.angleText = "4";
    bare.OnCommand(kCmdAutoRotate);
    bare.OnCommand(kCmdRotateRight);
    EXPECT_EQ(window.messages,
              (std::vector<std::string>{"Failed to auto-rotate", "Failed to manual-rotate"}));
    EXPECT_TRUE(SamePixels(state.ShownImage, state.SourceImage));
    EXPECT_EQ(state.CurrentAngle, 0);
}

TEST_F(DeskAppTest, RestoreGoesBackToTheImageAsOpened) {
    OpenPicture();
    window.angleText = "30";
    app->OnCommand(kCmdRotateLeft);
    app->OnCommand(kCmdRestore);
    EXPECT_TRUE(SamePixels(state.ShownImage, state.SourceImage));
    EXPECT_EQ(state.CurrentAngle, 0);
    EXPECT_EQ(window.angleText, "0");
}

TEST_F(DeskAppTest, ExitClosesTheWindow) {
    app->OnCommand(kCmdExit);
    EXPECT_TRUE(window.closed);
}

TEST_F(DeskAppTest, UnknownCommandDoesNothing) {
    app->OnCommand(4242);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.repaints, 0);
}

struct ParseCase {
    const char* text;
    int value;
};

class ParseAngleTextTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseAngleTextTest, ReadsLeadingNumberAndSaturates) {
    EXPECT_EQ(ParseAngleText(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(AngleText, ParseAngleTextTest,
                         testing::Values(ParseCase{"", 0}, ParseCase{"12", 12},
                                         ParseCase{"0012x5", 12}, ParseCase{"  -7", -7},
                                         ParseCase{"+9", 9}, ParseCase{"abc", 0},
                                         ParseCase{"99999999999999999999", INT_MAX},
                                         ParseCase{"-99999999999999999999", INT_MIN}),
                         [](const testing::TestParamInfo<ParseCase>& p) {
                             return "Case" + std::to_string(p.index);
                         });

TEST(AngleTextTest, DigitsAndNegationNeverOverflow) {
    EXPECT_EQ(AngleDigits(-3), "3");
    EXPECT_EQ(AngleDigits(INT_MIN), "2147483648");
    EXPECT_EQ(NegateAngle(INT_MIN), INT_MAX);
    EXPECT_EQ(NegateAngle(5), -5);
}

}  // namespace
}  // namespace LeveloraDesk
