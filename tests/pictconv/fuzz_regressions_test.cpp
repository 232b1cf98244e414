// Inputs the fuzzers found, kept as fuzz/corpus/<what>/regression-* (so the
// fuzzers replay them too). Each must be refused without the converter ever
// asking for a huge block: the first two were 52- and 241-byte files whose
// headers promised pages of 1.03 and 1.07 billion pixels, for which the
// decoders allocated 3 and 4 GB before finding the data missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pictconv/pictconv.h"
#include "tests/support/allocation_limit.h"
#include "tests/support/test_support.h"

namespace {

// Far above any legitimate buffer of these small files, far below what the
// refused headers promise.
constexpr size_t kMaxAllocationBytes = size_t{256} << 20;

struct Target {
    const char* folder;
    FormatConverterFn convert;
};

std::vector<std::string> Regressions(const char* folder) {
    std::vector<std::string> files;
    const std::filesystem::path dir =
        std::filesystem::path(LEVELORA_SOURCE_DIR) / "fuzz" / "corpus" / folder;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().filename().string().rfind("regression-", 0) == 0) {
            files.push_back(entry.path().string());
        }
    }
    return files;
}

class FuzzRegressions : public ::testing::TestWithParam<Target> {};

}  // namespace

TEST_P(FuzzRegressions, AreRefusedWithoutHugeAllocations) {
    TestSupport::ScratchDir dir;
    const std::string dst = dir.File("out.bmp");
    const std::vector<uint8_t> marker = {'k', 'e', 'e', 'p'};
    for (const std::string& file : Regressions(GetParam().folder)) {
        TestSupport::WriteBytes(dst, marker);
        bool ok = true;
        bool refused = false;
        {
            TestSupport::AllocationLimit limit(kMaxAllocationBytes);
            ok = GetParam().convert(file.c_str(), dst.c_str());
            refused = TestSupport::AllocationLimit::Refused();
        }
        EXPECT_FALSE(ok) << file;
        EXPECT_FALSE(refused) << file << " asked for more than " << kMaxAllocationBytes << " bytes";
        EXPECT_EQ(TestSupport::ReadBytes(dst), marker) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(Converters, FuzzRegressions,
                         ::testing::Values(Target{"jpg2bmp", Jpg2Bmp}, Target{"png2bmp", Png2Bmp},
                                           Target{"tif2bmp", Tif2Bmp}),
                         [](const ::testing::TestParamInfo<Target>& row) {
                             return std::string(row.param.folder);
                         });
