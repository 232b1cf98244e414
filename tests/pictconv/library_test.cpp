// The shared library as the desktop program binds it: loaded by file name,
// the six converters looked up by their plain names, and nothing else
// exported. LoadLibraryA and GetProcAddress on Windows, dlopen and dlsym on
// Linux.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <gtest/gtest.h>

#include <array>
#include <set>

#include "pictconv/pictconv.h"
#include "tests/support/module_exports.h"
#include "tests/support/test_support.h"

namespace {

#ifdef _WIN32
const char* const kLibraryName = "Pictconv.dll";
using Module = HMODULE;
Module Load(const std::string& path) {
    return LoadLibraryA(path.c_str());
}
void* Lookup(Module module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(module, name));
}
bool Unload(Module module) {
    return FreeLibrary(module) != 0;
}
#else
const char* const kLibraryName = "libPictconv.so";
using Module = void*;
Module Load(const std::string& path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* Lookup(Module module, const char* name) {
    return dlsym(module, name);
}
bool Unload(Module module) {
    return dlclose(module) == 0;
}
#endif

std::string LibraryPath() {
    return TestSupport::BinaryDir() + "/" + kLibraryName;
}

constexpr std::array<const char*, 6> kNames = {"Bmp2Jpg", "Jpg2Bmp", "Bmp2Tif",
                                               "Tif2Bmp", "Bmp2Png", "Png2Bmp"};

TEST(PictconvLibrary, LoadsByFileNameAndConvertsThroughResolvedNames) {
    const Module module = Load(LibraryPath());
    ASSERT_NE(module, nullptr) << LibraryPath();
    std::array<FormatConverterFn, 6> fns{};
    for (size_t i = 0; i < kNames.size(); ++i) {
        fns[i] = reinterpret_cast<FormatConverterFn>(Lookup(module, kNames[i]));
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
    EXPECT_TRUE(Unload(module));
}

TEST(PictconvLibrary, ExportsExactlyTheSixConverters) {
    const Module module = Load(LibraryPath());
    ASSERT_NE(module, nullptr) << LibraryPath();
    EXPECT_EQ(TestSupport::ExportedNames(LibraryPath()),
              std::set<std::string>(kNames.begin(), kNames.end()));
    Unload(module);
}

}  // namespace
