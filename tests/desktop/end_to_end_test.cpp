// The whole flow with the real libraries bound by name, through the fake
// window: open a tilted JPEG, auto-rotate, turn by hand, restore, copy,
// paste and save as PNG. Skipped when the converter library was not built.
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/bmp_io.h"
#include "desktop/command_ids.h"
#include "desktop/desk_app.h"
#include "desktop/library_binding.h"
#include "tests/desktop/fake_window.h"
#include "tests/support/synthetic_page.h"
#include "tests/support/test_support.h"

// Read by LeakSanitizer when the program is built with it: after this test
// its exit-time scan crashes on the thread-local blocks that the loader keeps
// for the libraries bound with dlopen ("Tracer caught signal 11"), so those
// roots are left out. Leaving roots out can add leak reports, never hide one.
extern "C" __attribute__((used)) const char* __lsan_default_options() {
    return "use_tls=0";
}

namespace LeveloraDesk {
namespace {

constexpr double kPageTiltDeg = 8.0;

TEST(EndToEndTest, TiltedJpegIsStraightenedTurnedRestoredAndSavedAsPng) {
    const EntryPoints entries = BindLibraries();
    if (entries.bmp2Jpg == nullptr || entries.autoRotate == nullptr) {
        GTEST_SKIP() << "engine or converter library not built";
    }
    TestSupport::ScratchDir dir;
    const std::string bmpPath = dir.File("page.bmp");
    ASSERT_TRUE(WriteToFile(TestSupport::TextPage(700, 500, kPageTiltDeg),
                            std::fopen(bmpPath.c_str(), "wb")));
    const std::string jpegPath = dir.File("page.jpg");
    ASSERT_TRUE(entries.bmp2Jpg(bmpPath.c_str(), jpegPath.c_str()));

    ProgramState state;
    FakeWindow window;
    DeskApp app(state, window, entries, dir.File("levelora-private/_leveloratemp.bmp"));
    app.Start();

    window.openReply = {true, jpegPath, ImageFileFormat::Jpeg};
    app.OnCommand(kCmdOpen);
    ASSERT_TRUE(state.ImageOpen) << (window.messages.empty() ? "" : window.messages.front());
    EXPECT_EQ(state.SourceImage.width, 500u);

    testing::internal::CaptureStdout();
    app.OnCommand(kCmdAutoRotate);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(state.CurrentAngle, static_cast<int>(kPageTiltDeg));
    EXPECT_EQ(window.angleText, "8");
    EXPECT_GT(state.ShownImage.width, state.SourceImage.width);

    window.angleText = "12";
    app.OnCommand(kCmdRotateLeft);
    EXPECT_EQ(state.CurrentAngle, -12);
    app.OnCommand(kCmdRestore);
    EXPECT_EQ(state.CurrentAngle, 0);
    EXPECT_EQ(state.ShownImage.width, 500u);

    app.OnCommand(kCmdCopy);
    ASSERT_EQ(window.clipboardFiles.size(), 1u);
    BmpBase::CBitmap24 copied;
    ASSERT_TRUE(ReadFromFile(copied, std::fopen(window.clipboardFiles[0].c_str(), "rb")));
    EXPECT_EQ(0, std::memcmp(copied.pixels, state.ShownImage.pixels, copied.pixelBytes));

    window.saveReply = {true, dir.File("straight"), ImageFileFormat::Png};
    app.OnCommand(kCmdSave);
    EXPECT_TRUE(window.messages.empty());
    const std::vector<uint8_t> png = TestSupport::ReadBytes(dir.File("straight.png"));
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
    EXPECT_EQ(png[2], 'N');
    EXPECT_EQ(png[3], 'G');
}

}  // namespace
}  // namespace LeveloraDesk
