// Where the desktop program looks for its libraries and its help page:
// beside the program (the build folder), then an installed copy's folders
// reached by relative paths, then the system loader; the help page in the
// current directory before the installed copy.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "desktop/help_path.h"
#include "desktop/library_search.h"

namespace LeveloraDesk {
namespace {

struct LibraryCase {
    const char* what;
    std::string programFolder;
    std::string fileName;
    std::string fromProgram;
    std::vector<std::string> expected;
};

TEST(LibraryCandidatesTest, BesideTheProgramThenInstalledThenLoader) {
    const LibraryCase cases[] = {
        {"installed under a prefix",
         "/opt/lv/bin",
         "libSkewmend.so.1",
         "../lib/x86_64-linux-gnu",
         {"/opt/lv/bin/libSkewmend.so.1", "/opt/lv/lib/x86_64-linux-gnu/libSkewmend.so.1",
          "libSkewmend.so.1"}},
        {"unpacked package",
         "/tmp/root/usr/bin",
         "libPictconv.so.1",
         "../lib",
         {"/tmp/root/usr/bin/libPictconv.so.1", "/tmp/root/usr/lib/libPictconv.so.1",
          "libPictconv.so.1"}},
        {"program folder with dots resolved",
         "/a/./b/../bin",
         "libX.so.1",
         "../lib",
         {"/a/bin/libX.so.1", "/a/lib/libX.so.1", "libX.so.1"}},
        {"library folder is the program folder",
         "/usr/bin",
         "libX.so.1",
         ".",
         {"/usr/bin/libX.so.1", "libX.so.1"}},
        {"no relative library folder",
         "/usr/bin",
         "libX.so.1",
         "",
         {"/usr/bin/libX.so.1", "libX.so.1"}},
        {"program folder unknown", "", "libX.so.1", "../lib", {"libX.so.1"}},
        {"absolute name", "/usr/bin", "/elsewhere/libX.so.1", "../lib", {"/elsewhere/libX.so.1"}},
    };
    for (const LibraryCase& c : cases) {
        EXPECT_EQ(LibraryCandidates(c.programFolder, c.fileName, c.fromProgram), c.expected)
            << c.what;
    }
}

TEST(LibraryCandidatesTest, BuildLayoutReachesTheInstalledLibraryFolder) {
    // The path compiled in leads from <bindir> to <libdir>.
    const std::vector<std::string> found =
        LibraryCandidates("/p/bin", "libSkewmend.so.1", kLibraryFolderFromProgram);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[1].rfind("/p/lib", 0), 0u) << found[1];
}

struct HelpCase {
    const char* what;
    std::string currentFolder;
    std::string programFolder;
    std::set<std::string> existing;
    std::string expected;
};

TEST(HelpFilePathTest, CurrentFolderFirstThenInstalledCopy) {
    const std::string here = "/home/u/scans/LeveloraHelp.html";
    const std::string installed = "/usr/share/levelora/LeveloraHelp.html";
    const HelpCase cases[] = {
        {"both exist: the current folder wins",
         "/home/u/scans",
         "/usr/bin",
         {here, installed},
         here},
        {"only the installed copy", "/home/u/scans", "/usr/bin", {installed}, installed},
        {"neither: the current folder's path", "/home/u/scans", "/usr/bin", {}, here},
        {"program folder unknown", "/home/u/scans", "", {installed}, here},
        {"current folder unknown: the bare name", "", "", {}, "LeveloraHelp.html"},
        {"current folder unknown, installed copy", "", "/usr/bin", {installed}, installed},
        {"dots resolved on both sides",
         "/home/u/./x/../scans",
         "/usr/local/../bin",
         {installed},
         installed},
    };
    for (const HelpCase& c : cases) {
        const auto exists = [&](const std::string& path) { return c.existing.count(path) > 0; };
        EXPECT_EQ(ChooseHelpFilePath(c.currentFolder, c.programFolder, "../share/levelora", exists),
                  c.expected)
            << c.what;
    }
}

}  // namespace
}  // namespace LeveloraDesk
