// Page handling of large buffers: touching writes one zero per page and
// nothing else; the huge-page advice covers exactly the buffer's whole,
// aligned 2 MiB blocks and never changes its contents.
#include "bmpbase/memory_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <new>
#include <string>

namespace {

constexpr size_t kPage = 4096;
constexpr uintptr_t kHuge = uintptr_t{2} << 20;

// Offsets into a page-aligned block and lengths that start and end inside,
// on and just past page boundaries.
struct TouchCase {
    size_t offset;
    size_t bytes;
};

class TouchPagesTest : public testing::TestWithParam<TouchCase> {};

TEST_P(TouchPagesTest, ZeroesOneByteInEveryPageReachedAndNothingElse) {
    const TouchCase t = GetParam();
    auto* block = static_cast<uint8_t*>(::operator new (8 * kPage, std::align_val_t{kPage}));
    std::fill(block, block + 8 * kPage, uint8_t{0xAB});
    BmpBase::TouchPages(block + t.offset, t.bytes);
    size_t zeros = 0;
    for (size_t i = 0; i < 8 * kPage; ++i) {
        if (block[i] == 0) {
            ++zeros;
            ASSERT_TRUE(i >= t.offset && i < t.offset + t.bytes) << i;
            ASSERT_TRUE(i == t.offset || i % kPage == 0) << i;
        }
    }
    const size_t firstPage = t.offset / kPage;
    const size_t pagesReached = t.bytes == 0 ? 0 : (t.offset + t.bytes - 1) / kPage - firstPage + 1;
    EXPECT_EQ(zeros, pagesReached);
    ::operator delete (block, std::align_val_t{kPage});
}

INSTANTIATE_TEST_SUITE_P(Ranges, TouchPagesTest,
                         testing::Values(TouchCase{0, 0}, TouchCase{5, 0}, TouchCase{0, 1},
                                         TouchCase{0, kPage}, TouchCase{0, kPage + 1},
                                         TouchCase{16, kPage}, TouchCase{16, kPage - 16},
                                         TouchCase{kPage - 1, 2}, TouchCase{100, 5 * kPage + 7},
                                         TouchCase{kPage, 3 * kPage}));

#if defined(__linux__)

// The mapping of this process that contains `address`, as its smaps entry:
// start, end and the VmFlags line.
struct Mapping {
    uintptr_t start = 0;
    uintptr_t end = 0;
    std::string flags;
};

Mapping MappingOf(uintptr_t address) {
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    Mapping current;
    bool found = false;
    while (std::getline(smaps, line)) {
        unsigned long long from = 0;
        unsigned long long to = 0;
        char perms[5] = {};
        // Mapping lines read "start-end perms offset device inode [path]".
        if (std::sscanf(line.c_str(), "%llx-%llx %4s", &from, &to, perms) == 3) {
            if (found) {
                break;
            }
            current.start = static_cast<uintptr_t>(from);
            current.end = static_cast<uintptr_t>(to);
            found = address >= current.start && address < current.end;
        } else if (found && line.rfind("VmFlags:", 0) == 0) {
            current.flags = line;
        }
    }
    return found ? current : Mapping{};
}

bool Advised(const Mapping& m) {
    return m.flags.find(" hg") != std::string::npos;
}

TEST(AdviseHugePages, MarksTheAlignedInteriorOnlyAndKeepsTheContents) {
    const size_t bytes = 9 * (size_t{1} << 20) + 12345;
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[bytes]);
    for (size_t i = 0; i < bytes; ++i) {
        buffer[i] = static_cast<uint8_t>(i * 7);
    }
    BmpBase::AdviseHugePages(buffer.get(), bytes);
    const auto start = reinterpret_cast<uintptr_t>(buffer.get());
    const uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t end = (start + bytes) & ~(kHuge - 1);
    ASSERT_GT(end, first);
    const Mapping inside = MappingOf(first);
    if (!Advised(inside) && std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled").fail()) {
        GTEST_SKIP() << "this kernel has no transparent huge pages";
    }
    EXPECT_TRUE(Advised(inside));
    EXPECT_EQ(inside.start, first);
    EXPECT_EQ(inside.end, end);
    if (first > start) {
        EXPECT_FALSE(Advised(MappingOf(first - 1)));
    }
    if (end < start + bytes) {
        EXPECT_FALSE(Advised(MappingOf(end)));
    }
    for (size_t i = 0; i < bytes; ++i) {
        ASSERT_EQ(buffer[i], static_cast<uint8_t>(i * 7)) << i;
    }
}

TEST(AdviseHugePages, SmallBuffersAreLeftAlone) {
    const size_t bytes = BmpBase::kHugePageAdviceMinBytes - 1;
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[bytes]);
    BmpBase::AdviseHugePages(buffer.get(), bytes);
    const auto start = reinterpret_cast<uintptr_t>(buffer.get());
    const uintptr_t first = (start + kHuge - 1) & ~(kHuge - 1);
    EXPECT_FALSE(Advised(MappingOf(first)));
    BmpBase::AdviseHugePages(nullptr, size_t{64} << 20);
}

#endif

}  // namespace
