// Binding by name: the engine built beside the tests is found there by its
// run-time name, and a missing library or entry point gives a null pointer.
#include "desktop/library_binding.h"

#include <gtest/gtest.h>

#include "desktop/native_module.h"

namespace LeveloraDesk {
namespace {

TEST(LibraryBindingTest, FindsTheEngineBesideTheProgram) {
    const EntryPoints e = BindLibraries();
    EXPECT_NE(e.manualRotate, nullptr);
}

TEST(LibraryBindingTest, MissingLibraryOrEntryPointIsNull) {
    EXPECT_EQ(FindEntryPoint("libNoSuchLevelora.so", "_ManualRotate"), nullptr);
    EXPECT_EQ(FindEntryPoint(kEngineLibraryName, "NoSuchEntryPoint"), nullptr);
}

TEST(LibraryBindingTest, BoundManualRotateTurnsABitmap) {
    const EntryPoints e = BindLibraries();
    ASSERT_NE(e.manualRotate, nullptr);
    BmpBase::CBitmap24 src;
    src.Allocate(4, 6);
    BmpBase::CBitmap24 dst;
    ASSERT_TRUE(e.manualRotate(&src, &dst, 0.0, 2));
    // A turn by 0 degrees is still a rotation: two pixels larger each way.
    EXPECT_EQ(dst.width, 8u);
    EXPECT_EQ(dst.height, 6u);
}

}  // namespace
}  // namespace LeveloraDesk
