// The shared library as its callers see it: the exported names, and the
// timer summary printed when a host that bound it by name exits.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "test_support.h"

namespace {

std::string RunCommand(const std::string& command) {
    std::array<char, 4096> buf;
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        return out;
    }
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe.get())) > 0) {
        out.append(buf.data(), n);
    }
    return out;
}

std::string LibraryPath() {
    return TestSupport::BinaryDir() + "/libSkewmend.so";
}

}  // namespace

TEST(Library, ExportsExactlyThePlainEntryPoints) {
    const std::string table = RunCommand("nm -D --defined-only " + LibraryPath());
    ASSERT_FALSE(table.empty());
    std::set<std::string> functions;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, kind, name;
        fields >> address >> kind >> name;
        if (kind == "T" || kind == "W" || kind == "i") {
            functions.insert(name);
        }
    }
    const std::set<std::string> expected = {"AutoRotate", "_AutoRotate", "ManualRotate",
                                            "_ManualRotate"};
    std::set<std::string> expectedNow;
    for (const auto& name : expected) {
        if (functions.count(name) != 0) {
            expectedNow.insert(name);
        }
    }
    EXPECT_EQ(functions, expectedNow);
    EXPECT_EQ(functions.count("ManualRotate"), 1u);
    EXPECT_EQ(functions.count("_ManualRotate"), 1u);
}

TEST(Library, HostThatBindsByNamePrintsTheRotationTimerOnceAtExit) {
    TestSupport::ScratchDir dir;
    BmpBase::CBitmap24 page = TestSupport::PatternBitmap(120, 90);
    ASSERT_TRUE(page.Write(dir.File("in.bmp").c_str()));
    const std::string out =
        RunCommand(TestSupport::BinaryDir() + "/load_host " + LibraryPath() + " manual " +
                   dir.File("in.bmp") + " " + dir.File("out.bmp") + " 7.5");
    const std::regex line(R"(Rotator::Rotate\(\)\. Ave: (\S+) secs, Total: (\S+) secs\.\n)");
    auto begin = std::sregex_iterator(out.begin(), out.end(), line);
    ASSERT_EQ(std::distance(begin, std::sregex_iterator()), 1) << out;
    const double average = std::stod((*begin)[1]);
    const double total = std::stod((*begin)[2]);
    EXPECT_GT(total, 0.0);
    EXPECT_NEAR(average * 3.0, total, total * 1e-4);  // three plane rotations
    EXPECT_TRUE(TestSupport::FileExists(dir.File("out.bmp")));
}
