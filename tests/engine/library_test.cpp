// The shared library as its callers see it: the exported names, and the
// timer summary printed when a host that bound it by name exits.
//
// The export table is read by tests/support/module_exports.h.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include "tests/support/module_exports.h"
#include "tests/support/test_support.h"

namespace {

#ifdef _WIN32
FILE* OpenPipe(const std::string& command) {
    // cmd.exe strips the outer quotes of the whole command line.
    return _popen(("\"" + command + "\"").c_str(), "rb");
}
int ClosePipe(FILE* pipe) {
    return _pclose(pipe);
}
#else
FILE* OpenPipe(const std::string& command) {
    return popen(command.c_str(), "r");
}
int ClosePipe(FILE* pipe) {
    return pclose(pipe);
}
#endif

// Standard output of `command`, with Windows line ends made plain.
std::string RunCommand(const std::string& command) {
    std::array<char, 4096> buf;
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(OpenPipe(command), ClosePipe);
    if (!pipe) {
        return out;
    }
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe.get())) > 0) {
        out.append(buf.data(), n);
    }
    return std::regex_replace(out, std::regex("\r\n"), "\n");
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

#ifdef _WIN32
const char* const kLibraryName = "Skewmend.dll";
const char* const kHostName = "load_host.exe";
#else
const char* const kLibraryName = "libSkewmend.so";
const char* const kHostName = "load_host";
#endif

std::string LibraryPath() {
    return TestSupport::BinaryDir() + "/" + kLibraryName;
}

}  // namespace

TEST(Library, ExportsExactlyThePlainEntryPoints) {
    const std::set<std::string> functions = TestSupport::ExportedNames(LibraryPath());
    ASSERT_FALSE(functions.empty());
    const std::set<std::string> expected = {"AutoRotate", "_AutoRotate", "ManualRotate",
                                            "_ManualRotate"};
    EXPECT_EQ(functions, expected);
}

TEST(Library, HostThatBindsByNamePrintsTheRotationTimerOnceAtExit) {
    TestSupport::ScratchDir dir;
    BmpBase::CBitmap24 page = TestSupport::PatternBitmap(120, 90);
    ASSERT_TRUE(page.Write(dir.File("in.bmp").c_str()));
    const std::string out = RunCommand(
        Quoted(TestSupport::BinaryDir() + "/" + kHostName) + " " + Quoted(LibraryPath()) +
        " manual " + Quoted(dir.File("in.bmp")) + " " + Quoted(dir.File("out.bmp")) + " 7.5");
    const std::regex line(R"(Rotator::Rotate\(\)\. Ave: (\S+) secs, Total: (\S+) secs\.\n)");
    auto begin = std::sregex_iterator(out.begin(), out.end(), line);
    ASSERT_EQ(std::distance(begin, std::sregex_iterator()), 1) << out;
    const double average = std::stod((*begin)[1]);
    const double total = std::stod((*begin)[2]);
    EXPECT_GT(total, 0.0);
    EXPECT_NEAR(average * 3.0, total, total * 1e-4);  // three plane rotations
    EXPECT_TRUE(TestSupport::FileExists(dir.File("out.bmp")));
}

// The automatic export through a host that binds it by name: the angle comes
// back, and the export's own timer, first used, reports last at unload.
TEST(Library, HostThatBindsAutoRotateGetsTheAngleAndItsTimerReportsLast) {
    TestSupport::ScratchDir dir;
    const std::string out =
        RunCommand(TestSupport::BinaryDir() + "/load_host " + LibraryPath() + " auto " +
                   LEVELORA_SOURCE_DIR "/samples/page.bmp " + dir.File("out.bmp"));
    EXPECT_NE(out.find("Otsu!\nRaw angle = 174\nAngle = 174\nhost: angle -6\n"), std::string::npos)
        << out;
    const std::regex last(R"(\n_AutoRotate\(\)\. Ave: \S+ secs, Total: \S+ secs\.\n$)");
    EXPECT_TRUE(std::regex_search(out, last)) << out;
    EXPECT_TRUE(TestSupport::FileExists(dir.File("out.bmp")));
}
