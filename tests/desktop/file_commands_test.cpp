// Open and Save through the fake window: the filter decides the format,
// failures show the filter's message and keep everything, the converter
// sees the temporary file, Save's extension rule.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>

#include "desktop/bmp_io.h"
#include "desktop/command_ids.h"
#include "desktop/desk_app.h"
#include "desktop/file_access.h"
#include "tests/desktop/fake_window.h"
#include "tests/support/test_support.h"

namespace LeveloraDesk {

bool SamePixels(const BmpBase::CBitmap24& a, const BmpBase::CBitmap24& b);

namespace {

class FileCommandsTest : public testing::Test {
  protected:
    FileCommandsTest() {
        FakeEngine::Reset();
        FakeConverters::Reset();
        EntryPoints entries = FakeEngine::Entries();
        FakeConverters::AddTo(entries);
        temp = dir.File("levelora-private/_leveloratemp.bmp");
        app = std::make_unique<DeskApp>(state, window, entries, temp);
        app->Start();
    }

    std::string WritePicture(const std::string& name, uint32_t rows, uint32_t cols) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(WriteToFile(TestSupport::PatternBitmap(rows, cols), OpenForWriting(path)));
        return path;
    }

    void Open(const std::string& path, ImageFileFormat format) {
        window.openReply = {true, path, format};
        app->OnCommand(kCmdOpen);
    }

    void Save(const std::string& path, ImageFileFormat format) {
        window.saveReply = {true, path, format};
        app->OnCommand(kCmdSave);
    }

    TestSupport::ScratchDir dir;
    std::string temp;
    ProgramState state;
    FakeWindow window;
    std::unique_ptr<DeskApp> app;
};

TEST_F(FileCommandsTest, CancelledOpenChangesNothing) {
    app->OnCommand(kCmdOpen);
    EXPECT_EQ(window.openDialogs, 1);
    EXPECT_FALSE(state.ImageOpen);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.repaints, 0);
}

struct BadOpenCase {
    ImageFileFormat format;
    const char* message;
};

class BadOpenTest : public FileCommandsTest, public testing::WithParamInterface<BadOpenCase> {};

TEST_P(BadOpenTest, ShowsFilterMessageAndKeepsPictureAngleAndField) {
    Open(WritePicture("good.bmp", 5, 7), ImageFileFormat::Bitmap);
    window.angleText = "6";
    app->OnCommand(kCmdRotateRight);
    const BmpBase::CBitmap24 source = state.SourceImage;
    const int repaints = window.repaints;

    // A truncated file under the chosen filter; the converters copy it.
    std::vector<uint8_t> bytes = TestSupport::ReadBytes(WritePicture("bad.bmp", 5, 7));
    bytes.resize(bytes.size() - 3);
    TestSupport::WriteBytes(dir.File("bad.bmp"), bytes);
    Open(dir.File("bad.bmp"), GetParam().format);

    EXPECT_EQ(window.messages, (std::vector<std::string>{GetParam().message}));
    EXPECT_TRUE(SamePixels(state.SourceImage, source));
    EXPECT_EQ(state.CurrentAngle, 6);
    EXPECT_EQ(window.angleText, "6");
    EXPECT_EQ(window.repaints, repaints);
    EXPECT_TRUE(state.ImageOpen);
}

std::string BadOpenName(const testing::TestParamInfo<BadOpenCase>& info) {
    static const char* const kFormatNames[] = {"", "Bitmap", "Jpeg", "Tiff", "Png"};
    return kFormatNames[static_cast<int>(info.param.format)];
}

INSTANTIATE_TEST_SUITE_P(
    Formats, BadOpenTest,
    testing::Values(BadOpenCase{ImageFileFormat::Bitmap, "Not a valid BITMAP file"},
                    BadOpenCase{ImageFileFormat::Jpeg, "Not a valid JPEG file"},
                    BadOpenCase{ImageFileFormat::Tiff, "Not a valid TIFF file"},
                    BadOpenCase{ImageFileFormat::Png, "Not a valid PNG file"}),
    BadOpenName);

TEST_F(FileCommandsTest, MissingFileFailsWithoutCallingAnything) {
    Open(dir.File("nothing.bmp"), ImageFileFormat::Bitmap);
    EXPECT_EQ(window.messages, (std::vector<std::string>{"Not a valid BITMAP file"}));
    EXPECT_FALSE(state.ImageOpen);
}

TEST_F(FileCommandsTest, FilterDecidesFormatNotTheName) {
    // A BMP file chosen under "Jpeg" goes through the JPEG converter into
    // the temporary file, which is then read.
    const std::string path = WritePicture("scan.bmp", 3, 4);
    Open(path, ImageFileFormat::Jpeg);
    ASSERT_TRUE(state.ImageOpen);
    ASSERT_EQ(FakeConverters::calls.size(), 1u);
    EXPECT_EQ(FakeConverters::calls[0], std::make_pair(path, temp));
    EXPECT_EQ(state.SourceImage.width, 4u);
    EXPECT_EQ(window.busyCalls, (std::vector<bool>{true, false}));
}

TEST_F(FileCommandsTest, NonBmpContentUnderBitmapFails) {
    TestSupport::WriteBytes(dir.File("photo.jpg"), {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F'});
    Open(dir.File("photo.jpg"), ImageFileFormat::Bitmap);
    EXPECT_EQ(window.messages, (std::vector<std::string>{"Not a valid BITMAP file"}));
    EXPECT_TRUE(FakeConverters::calls.empty());
}

TEST_F(FileCommandsTest, FailingOrMissingConverterShowsFormatMessage) {
    const std::string path = WritePicture("scan.png", 3, 4);
    FakeConverters::succeed = false;
    Open(path, ImageFileFormat::Png);
    EntryPoints noConverter = FakeEngine::Entries();
    DeskApp bare(state, window, noConverter, temp);
    window.openReply = {true, path, ImageFileFormat::Tiff};
    bare.OnCommand(kCmdOpen);
    EXPECT_EQ(window.messages,
              (std::vector<std::string>{"Not a valid PNG file", "Not a valid TIFF file"}));
    EXPECT_FALSE(state.ImageOpen);
}

TEST_F(FileCommandsTest, NonAsciiPathOpensAndSavesAsBitmap) {
    const std::string path = WritePicture("Seite \xC3\xBC\xE2\x82\xAC.bmp", 3, 5);
    Open(path, ImageFileFormat::Bitmap);
    ASSERT_TRUE(state.ImageOpen);
    Save(dir.File("gedreht \xC3\xA4"), ImageFileFormat::Bitmap);
    EXPECT_TRUE(window.messages.empty());
    BmpBase::CBitmap24 back;
    ASSERT_TRUE(ReadFromFile(back, OpenForReading(dir.File("gedreht \xC3\xA4.bmp"))));
    EXPECT_TRUE(SamePixels(back, state.ShownImage));
}

TEST_F(FileCommandsTest, SaveWritesShownImageWithTrueSizes) {
    Open(WritePicture("in.bmp", 3, 5), ImageFileFormat::Bitmap);
    window.angleText = "10";
    app->OnCommand(kCmdRotateRight);
    Save(dir.File("out.bmp"), ImageFileFormat::Bitmap);
    const std::vector<uint8_t> bytes = TestSupport::ReadBytes(dir.File("out.bmp"));
    ASSERT_EQ(bytes.size(), 54u + state.ShownImage.pixelBytes);
    uint32_t bfSize = 0;
    std::memcpy(&bfSize, bytes.data() + 2, 4);
    EXPECT_EQ(bfSize, bytes.size());
    EXPECT_EQ(bytes[54], 10);  // the stand-in engine's mark of a 10-degree turn
}

TEST_F(FileCommandsTest, SaveUnderJpegWritesTempThenConverts) {
    Open(WritePicture("in.bmp", 3, 5), ImageFileFormat::Bitmap);
    Save(dir.File("scan"), ImageFileFormat::Jpeg);
    ASSERT_EQ(FakeConverters::calls.size(), 1u);
    EXPECT_EQ(FakeConverters::calls[0], std::make_pair(temp, dir.File("scan.jpg")));
    EXPECT_TRUE(TestSupport::FileExists(dir.File("scan.jpg")));
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(FileCommandsTest, SaveFailuresShowFailedToWrite) {
    Open(WritePicture("in.bmp", 3, 5), ImageFileFormat::Bitmap);
    Save(dir.File("no/such/folder/x.bmp"), ImageFileFormat::Bitmap);
    FakeConverters::succeed = false;
    Save(dir.File("x.png"), ImageFileFormat::Png);
    EntryPoints noConverter = FakeEngine::Entries();
    DeskApp bare(state, window, noConverter, temp);
    window.saveReply = {true, dir.File("y.tif"), ImageFileFormat::Tiff};
    bare.OnCommand(kCmdSave);
    EXPECT_EQ(window.messages, std::vector<std::string>(3, "Failed to write to disk"));
    EXPECT_TRUE(state.ImageOpen);
}

TEST_F(FileCommandsTest, CancelledSaveWritesNothing) {
    Open(WritePicture("in.bmp", 3, 5), ImageFileFormat::Bitmap);
    app->OnCommand(kCmdSave);
    EXPECT_EQ(window.saveDialogs, 1);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_TRUE(FakeConverters::calls.empty());
}

struct ExtensionCase {
    const char* typed;
    ImageFileFormat format;
    const char* saved;
};

class ExtensionRuleTest : public testing::TestWithParam<ExtensionCase> {};

TEST_P(ExtensionRuleTest, AppendsOnlyWhenTheFileNameHasNoDot) {
    EXPECT_EQ(WithDefaultExtension(GetParam().typed, GetParam().format), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    Save, ExtensionRuleTest,
    testing::Values(ExtensionCase{"/home/u/scan", ImageFileFormat::Bitmap, "/home/u/scan.bmp"},
                    ExtensionCase{"/home/u/scan", ImageFileFormat::Jpeg, "/home/u/scan.jpg"},
                    ExtensionCase{"/home/u/scan", ImageFileFormat::Tiff, "/home/u/scan.tif"},
                    ExtensionCase{"/home/u/scan", ImageFileFormat::Png, "/home/u/scan.png"},
                    ExtensionCase{"/home/u/scan.bmp", ImageFileFormat::Jpeg, "/home/u/scan.bmp"},
                    ExtensionCase{"/home/u/scan.old", ImageFileFormat::Png, "/home/u/scan.old"},
                    ExtensionCase{"/home/my.docs/scan", ImageFileFormat::Png,
                                  "/home/my.docs/scan.png"},
                    ExtensionCase{"scan", ImageFileFormat::Bitmap, "scan.bmp"},
                    ExtensionCase{"scan.", ImageFileFormat::Bitmap, "scan."}),
    [](const testing::TestParamInfo<ExtensionCase>& p) {
        return "Case" + std::to_string(p.index);
    });

using FileCommandsDeathTest = FileCommandsTest;

// GoogleTest's regular expressions are POSIX ones on Linux and its own
// simple ones on Windows, which spell a digit differently.
#if GTEST_USES_SIMPLE_RE
constexpr const char* kAssertMessage = "Assert fail! File: .*file_commands.cpp. Line: \\d+";
#else
constexpr const char* kAssertMessage = "Assert fail! File: .*file_commands.cpp. Line: [0-9]+";
#endif

TEST_F(FileCommandsDeathTest, FilterOutsideTheListIsAnInternalError) {
    Open(WritePicture("in.bmp", 3, 5), ImageFileFormat::Bitmap);
    window.saveReply = {true, dir.File("z"), static_cast<ImageFileFormat>(5)};
    EXPECT_EXIT(
        {
            dup2(STDERR_FILENO, STDOUT_FILENO);
            app->OnCommand(kCmdSave);
        },
        testing::ExitedWithCode(1), kAssertMessage);
}

}  // namespace
}  // namespace LeveloraDesk
