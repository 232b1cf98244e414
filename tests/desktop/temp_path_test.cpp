// The temporary file's private folder: where it lies, when the folder is
// accepted, and that a link at the file's name or a folder that is not the
// user's own makes every command that writes the file fail without writing
// anywhere.
#include "desktop/temp_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

#include "desktop/bmp_io.h"
#include "desktop/command_ids.h"
#include "desktop/desk_app.h"
#include "tests/desktop/fake_window.h"
#include "tests/support/test_support.h"

namespace LeveloraDesk {
namespace {

const std::vector<uint8_t> kVictimBytes = {'k', 'e', 'e', 'p'};

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(PrivateTempFolderTest, UnderTmpdirOrTmp) {
    struct Case {
        const char* tmpDir;
        unsigned long uid;
        const char* folder;
    };
    const Case cases[] = {
        {"/var/tmp", 1000, "/var/tmp/levelora-1000"},
        {"/var/tmp/", 1000, "/var/tmp/levelora-1000"},
        {"", 0, "/tmp/levelora-0"},
        {nullptr, 42, "/tmp/levelora-42"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PrivateTempFolder(c.tmpDir, c.uid), c.folder)
            << (c.tmpDir == nullptr ? "(unset)" : c.tmpDir);
    }
}

// TMPDIR pointing at a scratch folder for the life of the object.
class ScratchTmpdir {
  public:
    ScratchTmpdir() : saved_(std::getenv("TMPDIR") == nullptr ? "" : std::getenv("TMPDIR")) {
        setenv("TMPDIR", dir_.path().c_str(), 1);
    }
    ~ScratchTmpdir() { setenv("TMPDIR", saved_.c_str(), 1); }
    ScratchTmpdir(const ScratchTmpdir&) = delete;
    ScratchTmpdir& operator=(const ScratchTmpdir&) = delete;

    const std::string& path() const { return dir_.path(); }

  private:
    TestSupport::ScratchDir dir_;
    std::string saved_;
};

TEST(OpenTempForWritingTest, MissingFolderIsMadePrivateAndTheFileReplaced) {
    const ScratchTmpdir tmpdir;
    const std::string path = MakeTempBmpPath();
    const std::string folder = tmpdir.path() + "/levelora-" + std::to_string(geteuid());
    EXPECT_EQ(path, folder + "/_leveloratemp.bmp");
    // Even a umask that takes a bit of the owner's off leaves the folder 0700.
    const mode_t oldMask = umask(0177);
    std::FILE* file = OpenTempForWriting(path);
    umask(oldMask);
    ASSERT_NE(file, nullptr);
    std::fputs("longer first content", file);
    std::fclose(file);
    EXPECT_EQ(ModeOf(folder), 0700u);
    EXPECT_EQ(ModeOf(path), 0600u);

    file = OpenTempForWriting(path);
    ASSERT_NE(file, nullptr);
    std::fputs("new", file);
    std::fclose(file);
    EXPECT_EQ(TestSupport::ReadBytes(path), (std::vector<uint8_t>{'n', 'e', 'w'}));
}

// A scratch folder holding `private` (mode 0700, the temporary file's
// folder unless a case changes it) and `victim`, a file of another owner's
// that a planted link points at.
class TempFolderTest : public testing::Test {
  protected:
    TempFolderTest() {
        EXPECT_EQ(mkdir(folder.c_str(), 0700), 0);
        EXPECT_EQ(chmod(folder.c_str(), 0700), 0);
        TestSupport::WriteBytes(victim, kVictimBytes);
    }

    void ExpectRefused(const std::string& what) {
        std::FILE* file = OpenTempForWriting(temp);
        EXPECT_EQ(file, nullptr) << what;
        if (file != nullptr) {
            std::fclose(file);
        }
        EXPECT_EQ(TestSupport::ReadBytes(victim), kVictimBytes) << what;
    }

    TestSupport::ScratchDir dir;
    const std::string folder = dir.File("private");
    const std::string temp = folder + "/" + kTempBmpName;
    const std::string victim = dir.File("victim");
};

TEST_F(TempFolderTest, DanglingLinkAtTheFileNameCreatesNothing) {
    const std::string absent = dir.File("absent");
    ASSERT_EQ(symlink(absent.c_str(), temp.c_str()), 0);
    ExpectRefused("dangling link");
    EXPECT_FALSE(TestSupport::FileExists(absent));
}

TEST_F(TempFolderTest, FolderThatIsALinkOrAFileIsRefused) {
    const std::string linked = dir.File("linked");
    ASSERT_EQ(symlink(folder.c_str(), linked.c_str()), 0);
    std::FILE* file = OpenTempForWriting(linked + "/" + kTempBmpName);
    EXPECT_EQ(file, nullptr);
    EXPECT_FALSE(TestSupport::FileExists(temp));
    EXPECT_EQ(OpenTempForWriting(victim + "/" + kTempBmpName), nullptr);
    EXPECT_EQ(OpenTempForWriting(dir.File("no/such/folder/t.bmp")), nullptr);
}

TEST_F(TempFolderTest, FolderOfAnotherOwnerIsRefused) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "giving a folder to another user needs root";
    }
    constexpr uid_t kOther = 65534;
    ASSERT_EQ(chown(folder.c_str(), kOther, kOther), 0);
    ExpectRefused("foreign owner");
    EXPECT_FALSE(TestSupport::FileExists(temp));
}

// Every command that writes the temporary file, with a link planted at its
// name or with its folder open to others: the command fails as it does for
// any temp-file failure, the link's target keeps its bytes, and the
// converter is never asked to write through the link.
struct CommandCase {
    const char* name;
    std::function<void(DeskApp&, FakeWindow&)> run;
    std::vector<std::string> messages;
};

void PrintTo(const CommandCase& c, std::ostream* os) {
    *os << c.name;
}

class TempCommandTest : public TempFolderTest, public testing::WithParamInterface<CommandCase> {
  protected:
    TempCommandTest() {
        FakeEngine::Reset();
        FakeConverters::Reset();
        EntryPoints entries = FakeEngine::Entries();
        FakeConverters::AddTo(entries);
        app = std::make_unique<DeskApp>(state, window, entries, temp);
        app->Start();
        page = dir.File("page.bmp");
        EXPECT_TRUE(WriteToFile(TestSupport::PatternBitmap(3, 5), std::fopen(page.c_str(), "wb")));
        window.openReply = {true, page, ImageFileFormat::Bitmap};
        app->OnCommand(kCmdOpen);
        window.clipboardHasImage = true;
        window.clipboardImage.width = 1;
        window.clipboardImage.height = 1;
        window.clipboardImage.bitsPerPixel = 32;
        window.clipboardImage.rows = {1, 2, 3, 0};
    }

    void ExpectFailedCleanly() {
        const CommandCase& c = GetParam();
        const BmpBase::CBitmap24 before = state.SourceImage;
        c.run(*app, window);
        EXPECT_EQ(window.messages, c.messages);
        EXPECT_TRUE(window.clipboardFiles.empty());
        EXPECT_TRUE(FakeConverters::calls.empty());
        EXPECT_EQ(state.SourceImage.width, before.width);
        EXPECT_EQ(TestSupport::ReadBytes(victim), kVictimBytes);
    }

    std::string page;
    ProgramState state;
    FakeWindow window;
    std::unique_ptr<DeskApp> app;
};

TEST_P(TempCommandTest, LinkAtTheFileNameFailsTheCommand) {
    ASSERT_EQ(symlink(victim.c_str(), temp.c_str()), 0);
    ExpectFailedCleanly();
}

TEST_P(TempCommandTest, FolderOpenToOthersFailsTheCommand) {
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    ExpectFailedCleanly();
    EXPECT_FALSE(TestSupport::FileExists(temp));
}

const CommandCase kCommands[] = {
    {"Copy", [](DeskApp& app, FakeWindow&) { app.OnCommand(kCmdCopy); }, {}},
    {"Paste", [](DeskApp& app, FakeWindow&) { app.OnCommand(kCmdPaste); }, {}},
    {"SaveAsJpeg",
     [](DeskApp& app, FakeWindow& window) {
         window.saveReply = {true, window.openReply.path + ".jpg", ImageFileFormat::Jpeg};
         app.OnCommand(kCmdSave);
     },
     {"Failed to write to disk"}},
    {"OpenJpeg",
     [](DeskApp& app, FakeWindow& window) {
         window.openReply.format = ImageFileFormat::Jpeg;
         app.OnCommand(kCmdOpen);
     },
     {"Not a valid JPEG file"}},
};

INSTANTIATE_TEST_SUITE_P(Commands, TempCommandTest, testing::ValuesIn(kCommands),
                         [](const testing::TestParamInfo<CommandCase>& p) {
                             return std::string(p.param.name);
                         });

}  // namespace
}  // namespace LeveloraDesk
