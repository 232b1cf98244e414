// The shared library as the desktop program binds it: loaded by file name,
// the six converters looked up by their plain names, and nothing else
// exported.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>

#include "pictconv/pictconv.h"
#include "tests/support/test_support.h"

namespace {

std::string LibraryPath() {
    return TestSupport::BinaryDir() + "/libPictconv.so";
}

constexpr std::array<const char*, 6> kNames = {"Bmp2Jpg", "Jpg2Bmp", "Bmp2Tif",
                                               "Tif2Bmp", "Bmp2Png", "Png2Bmp"};

TEST(PictconvLibrary, LoadsByFileNameAndConvertsThroughResolvedNames) {
    void* module = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    std::array<FormatConverterFn, 6> fns{};
    for (size_t i = 0; i < kNames.size(); ++i) {
        fns[i] = reinterpret_cast<FormatConverterFn>(dlsym(module, kNames[i]));
        ASSERT_NE(fns[i], nullptr) << kNames[i];
    }
    TestSupport::ScratchDir dir;
    const BmpBase::CBitmap24 page = TestSupport::PatternBitmap(11, 17);
    ASSERT_TRUE(page.Write(dir.File("in.bmp").c_str()));
    // Out to each format and back, through the resolved pointers only.
    for (size_t i = 0; i < kNames.size(); i += 2) {
        ASSERT_TRUE(fns[i](dir.File("in.bmp").c_str(), dir.File("mid").c_str())) << kNames[i];
        ASSERT_TRUE(fns[i + 1](dir.File("mid").c_str(), dir.File("out.bmp").c_str()))
            << kNames[i + 1];
        BmpBase::CBitmap24 back;
        ASSERT_TRUE(back.Read(dir.File("out.bmp").c_str()));
        EXPECT_EQ(back.width, 17u);
        EXPECT_EQ(back.height, 11u);
    }
    EXPECT_EQ(dlclose(module), 0);
}

TEST(PictconvLibrary, ExportsExactlyTheSixConverters) {
    const std::string command = "nm -D --defined-only " + LibraryPath();
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::string table;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe.get())) > 0) {
        table.append(buf.data(), n);
    }
    std::set<std::string> defined;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, kind, name;
        fields >> address >> kind >> name;
        if (!name.empty()) {
            defined.insert(name);
        }
    }
    EXPECT_EQ(defined, std::set<std::string>(kNames.begin(), kNames.end()));
}

}  // namespace
