// Where AtomicOutput puts its temporary file: beside the destination, in the
// folder that ends at the last separator ('/' everywhere, '\' too on
// Windows), under a hidden name with a fresh suffix.
#include "pictconv/temp_name.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "pictconv/atomic_output.h"
#include "tests/support/test_support.h"

namespace {

struct NameCase {
    const char* dest;
    const char* prefix;  // expected start of the name; empty: no name at all
};

const NameCase kCases[] = {
    {"page.tif", ".page.tif."},
    {"out/page.tif", "out/.page.tif."},
    {"/a/b/c.png", "/a/b/.c.png."},
    {"dir/", ""},
    {"", ""},
#ifdef _WIN32
    {"C:\\scans\\p.tif", "C:\\scans\\.p.tif."},
    {"C:\\scans/sub\\p.tif", "C:\\scans/sub\\.p.tif."},
    {"a/b\\c", "a/b\\.c."},
    {"scans\\", ""},
#else
    {"a\\b.tif", ".a\\b.tif."},
#endif
};

class TempSiblings : public testing::TestWithParam<NameCase> {};

TEST_P(TempSiblings, SitBesideTheDestinationUnderAFreshHiddenName) {
    const NameCase c = GetParam();
    const std::string first = Pictconv::TempSibling(c.dest);
    const std::string prefix = c.prefix;
    if (prefix.empty()) {
        EXPECT_EQ(first, "");
        return;
    }
    ASSERT_EQ(first.size(), prefix.size() + 6) << first;
    EXPECT_EQ(first.substr(0, prefix.size()), prefix);
    for (size_t i = prefix.size(); i < first.size(); ++i) {
        EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(first[i]))) << first;
    }
    EXPECT_NE(Pictconv::TempSibling(c.dest), first);
}

INSTANTIATE_TEST_SUITE_P(Paths, TempSiblings, testing::ValuesIn(kCases));

#ifdef _WIN32
// A destination spelled with backslashes is written and replaced in its own
// folder, with nothing left beside it.
TEST(AtomicOutputWindows, ReplacesADestinationNamedWithBackslashes) {
    TestSupport::ScratchDir dir;
    std::string dest = dir.File("page.bin");
    for (char& ch : dest) {
        ch = ch == '/' ? '\\' : ch;
    }
    TestSupport::WriteBytes(dir.File("page.bin"), {'o', 'l', 'd'});
    {
        Pictconv::AtomicOutput out(dest.c_str());
        ASSERT_TRUE(out.IsOpen());
        std::FILE* stream = out.Stream();
        ASSERT_NE(stream, nullptr);
        ASSERT_GE(std::fputs("new", stream), 0);
        ASSERT_TRUE(out.Commit());
    }
    EXPECT_EQ(TestSupport::ReadBytes(dir.File("page.bin")), (std::vector<uint8_t>{'n', 'e', 'w'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              std::ptrdiff_t{1});
}

// The destination's name is taken in the active code page: an accented
// letter of that code page arrives as the same letter in the file name.
TEST(AtomicOutputWindows, NameInTheActiveCodePageIsKept) {
    const UINT codePage = GetACP();
    std::string eAcute;
    if (codePage == 1252 || codePage == 28591) {
        eAcute = "\xE9";
    } else if (codePage == CP_UTF8) {
        eAcute = "\xC3\xA9";
    } else {
        GTEST_SKIP() << "no test spelling for code page " << codePage;
    }
    TestSupport::ScratchDir dir;
    {
        Pictconv::AtomicOutput out(dir.File("caf" + eAcute + ".bin").c_str());
        ASSERT_TRUE(out.IsOpen());
        std::FILE* stream = out.Stream();
        ASSERT_NE(stream, nullptr);
        ASSERT_GE(std::fputs("new", stream), 0);
        ASSERT_TRUE(out.Commit());
    }
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().wstring());
    }
    EXPECT_EQ(names, std::vector<std::wstring>{L"caf\u00e9.bin"});
}
#endif

}  // namespace
