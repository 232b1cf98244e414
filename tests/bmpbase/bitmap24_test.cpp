// The 24-bit bitmap: geometry, ownership, and the file format in both
// directions, including the files it must refuse.
#include "bmpbase/bitmap24.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/test_support.h"

using BmpBase::CBitmap24;
using TestSupport::BmpFileBytes;
using TestSupport::ScratchDir;

namespace {

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

int32_t I32At(const std::vector<uint8_t>& b, size_t at) {
    int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

}  // namespace

TEST(Bitmap24, DefaultStateMatchesAnEmptyBmpHeader) {
    CBitmap24 bmp;
    EXPECT_EQ(bmp.fileHeader.bfType, 0x4D42);
    EXPECT_EQ(+bmp.fileHeader.bfOffBits, 54u);
    EXPECT_EQ(bmp.infoHeader.biSize, 40u);
    EXPECT_EQ(bmp.infoHeader.biPlanes, 1);
    EXPECT_EQ(bmp.infoHeader.biBitCount, 24);
    EXPECT_EQ(bmp.infoHeader.biWidth, 0);
    EXPECT_EQ(bmp.pixels, nullptr);
    EXPECT_EQ(bmp.pixelBytes, 0u);
    EXPECT_EQ(bmp.height, 0u);
    EXPECT_EQ(bmp.width, 0u);
    EXPECT_EQ(bmp.stride, 0u);
}

TEST(Bitmap24, StrideRoundsThreeBytesPerPixelUpToFour) {
    EXPECT_EQ(CBitmap24::StrideFor(1), 4u);
    EXPECT_EQ(CBitmap24::StrideFor(4), 12u);
    EXPECT_EQ(CBitmap24::StrideFor(5), 16u);
    EXPECT_EQ(CBitmap24::StrideFor(0), 0u);
}

TEST(Bitmap24, AllocateReusesALargerBufferAndClearsIt) {
    CBitmap24 bmp;
    bmp.infoHeader.biSizeImage = 77;
    bmp.Allocate(10, 10);
    uint8_t* first = bmp.pixels;
    std::memset(bmp.pixels, 0xAB, bmp.pixelBytes);
    bmp.Allocate(2, 3);
    EXPECT_EQ(bmp.pixels, first);
    EXPECT_EQ(bmp.pixelBytes, 24u);
    EXPECT_EQ(bmp.infoHeader.biHeight, 2);
    EXPECT_EQ(bmp.infoHeader.biWidth, 3);
    EXPECT_EQ(bmp.infoHeader.biSizeImage, 77u);  // other header fields stay
    for (uint32_t i = 0; i < bmp.pixelBytes; ++i) {
        ASSERT_EQ(bmp.pixels[i], 0) << i;
    }
}

// Widths with 1, 2, 3 and no padding bytes per row, in a reused dirty
// buffer and in a new one. The pixel bytes are left for the caller.
class AllocateForOverwrite : public testing::TestWithParam<uint32_t> {};

TEST_P(AllocateForOverwrite, ClearsTheRowPaddingOfAReusedDirtyBuffer) {
    const uint32_t cols = GetParam();
    CBitmap24 bmp;
    bmp.infoHeader.biSizeImage = 77;
    bmp.Allocate(40, 40);
    uint8_t* first = bmp.pixels;
    std::memset(bmp.pixels, 0xAB, bmp.pixelBytes);
    bmp.AllocateForOverwrite(6, cols);
    EXPECT_EQ(bmp.pixels, first);
    EXPECT_EQ(bmp.height, 6u);
    EXPECT_EQ(bmp.width, cols);
    EXPECT_EQ(bmp.stride, CBitmap24::StrideFor(cols));
    EXPECT_EQ(bmp.pixelBytes, 6 * bmp.stride);
    EXPECT_EQ(bmp.infoHeader.biHeight, 6);
    EXPECT_EQ(bmp.infoHeader.biWidth, static_cast<int32_t>(cols));
    EXPECT_EQ(bmp.infoHeader.biSizeImage, 77u);
    for (uint32_t i = 0; i < bmp.pixelBytes; ++i) {
        if (i % bmp.stride >= 3 * cols) {
            ASSERT_EQ(bmp.pixels[i], 0) << i;
        }
    }
}

TEST_P(AllocateForOverwrite, ClearsTheRowPaddingOfANewBuffer) {
    const uint32_t cols = GetParam();
    CBitmap24 bmp;
    bmp.AllocateForOverwrite(300, cols + 1000);
    ASSERT_EQ(bmp.pixelBytes, 300 * CBitmap24::StrideFor(cols + 1000));
    for (uint32_t r = 0; r < bmp.height; ++r) {
        for (uint32_t i = 3 * bmp.width; i < bmp.stride; ++i) {
            ASSERT_EQ(bmp.PixelAt(r, 0)[i], 0) << r << " " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, AllocateForOverwrite, testing::Values(1u, 2u, 3u, 4u, 5u));

TEST(Bitmap24, AllocateOfAnUnrepresentableSizeThrowsInsteadOfWrapping) {
    CBitmap24 bmp;
    EXPECT_THROW(bmp.Allocate(65535, 65535), std::bad_alloc);
    EXPECT_EQ(bmp.pixels, nullptr);
    EXPECT_THROW(bmp.AllocateForOverwrite(65535, 65535), std::bad_alloc);
    EXPECT_EQ(bmp.pixels, nullptr);
}

TEST(Bitmap24, AssignmentCopiesPixelsAndHeadersIntoItsOwnBuffer) {
    CBitmap24 src = TestSupport::PatternBitmap(5, 7);
    src.infoHeader.biXPelsPerMeter = 11811;
    CBitmap24 dst;
    dst = src;
    ASSERT_NE(dst.pixels, src.pixels);
    EXPECT_EQ(std::memcmp(dst.pixels, src.pixels, src.pixelBytes), 0);
    EXPECT_EQ(dst.infoHeader.biXPelsPerMeter, 11811);
    EXPECT_EQ(dst.stride, src.stride);
    dst = dst;  // self-assignment keeps everything
    EXPECT_EQ(std::memcmp(dst.pixels, src.pixels, src.pixelBytes), 0);
}

TEST(Bitmap24, WriteThenReadRoundTripsAndStoresTrueSizes) {
    ScratchDir dir;
    CBitmap24 src = TestSupport::PatternBitmap(9, 13);
    src.fileHeader.bfSize = 123456;  // stale values from some other file
    src.infoHeader.biSizeImage = 999999;
    ASSERT_TRUE(src.Write(dir.File("a.bmp").c_str()));
    const auto bytes = TestSupport::ReadBytes(dir.File("a.bmp"));
    ASSERT_EQ(bytes.size(), 54u + src.pixelBytes);
    EXPECT_EQ(U32At(bytes, 2), 54u + src.pixelBytes);
    EXPECT_EQ(U32At(bytes, 34), src.pixelBytes);
    EXPECT_EQ(+src.fileHeader.bfSize, 123456u);  // the object keeps its own values

    CBitmap24 back;
    ASSERT_TRUE(back.Read(dir.File("a.bmp").c_str()));
    EXPECT_EQ(back.height, 9u);
    EXPECT_EQ(back.width, 13u);
    EXPECT_EQ(back.stride, 40u);
    EXPECT_EQ(std::memcmp(back.pixels, src.pixels, src.pixelBytes), 0);
}

TEST(Bitmap24, WritingANeverAllocatedBitmapGivesA54ByteFile) {
    ScratchDir dir;
    CBitmap24 bmp;
    ASSERT_TRUE(bmp.Write(dir.File("empty.bmp").c_str()));
    const auto bytes = TestSupport::ReadBytes(dir.File("empty.bmp"));
    ASSERT_EQ(bytes.size(), 54u);
    EXPECT_EQ(I32At(bytes, 18), 0);
    EXPECT_EQ(I32At(bytes, 22), 0);
}

TEST(Bitmap24, TopDownFileKeepsFileRowOrderAndNegativeHeight) {
    ScratchDir dir;
    auto bytes = BmpFileBytes(2, -3, 24, 0, 54, 3 * 8);
    bytes[54] = 1;       // first stored row
    bytes[54 + 16] = 3;  // third stored row
    TestSupport::WriteBytes(dir.File("td.bmp"), bytes);
    CBitmap24 bmp;
    ASSERT_TRUE(bmp.Read(dir.File("td.bmp").c_str()));
    EXPECT_EQ(bmp.height, 3u);
    EXPECT_EQ(bmp.infoHeader.biHeight, -3);
    EXPECT_EQ(bmp.PixelAt(0, 0)[0], 1);
    EXPECT_EQ(bmp.PixelAt(2, 0)[0], 3);
}

TEST(Bitmap24, ReadingASmallerFileReusesTheBufferAndWritesOnlyItsBytes) {
    ScratchDir dir;
    CBitmap24 big = TestSupport::PatternBitmap(20, 20);
    CBitmap24 small = TestSupport::PatternBitmap(2, 2);
    ASSERT_TRUE(big.Write(dir.File("big.bmp").c_str()));
    ASSERT_TRUE(small.Write(dir.File("small.bmp").c_str()));
    CBitmap24 bmp;
    ASSERT_TRUE(bmp.Read(dir.File("big.bmp").c_str()));
    uint8_t* buffer = bmp.pixels;
    ASSERT_TRUE(bmp.Read(dir.File("small.bmp").c_str()));
    EXPECT_EQ(bmp.pixels, buffer);
    EXPECT_EQ(bmp.pixelBytes, 16u);
    ASSERT_TRUE(bmp.Write(dir.File("again.bmp").c_str()));
    EXPECT_EQ(TestSupport::ReadBytes(dir.File("again.bmp")).size(), 54u + 16u);
}

struct RefusedFile {
    const char* what;
    int32_t width;
    int32_t height;
    uint16_t bits;
    uint32_t compression;
    uint32_t offBits;
    uint32_t pixelBytes;
};

void PrintTo(const RefusedFile& f, std::ostream* os) {
    *os << f.what;
}

class Bitmap24Refuses : public ::testing::TestWithParam<RefusedFile> {};

TEST_P(Bitmap24Refuses, FileOutsideTheAcceptedFormat) {
    const RefusedFile& f = GetParam();
    ScratchDir dir;
    TestSupport::WriteBytes(
        dir.File("x.bmp"),
        BmpFileBytes(f.width, f.height, f.bits, f.compression, f.offBits, f.pixelBytes));
    CBitmap24 bmp;
    EXPECT_FALSE(bmp.Read(dir.File("x.bmp").c_str())) << f.what;
    EXPECT_EQ(bmp.pixels, nullptr) << f.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Bitmap24Refuses,
    ::testing::Values(RefusedFile{"32 bits", 4, 4, 32, 0, 54, 64},
                      RefusedFile{"8 bits with palette", 4, 4, 8, 0, 1078, 1024 + 16},
                      RefusedFile{"compressed", 4, 4, 24, 1, 54, 48},
                      RefusedFile{"offset not 54", 4, 4, 24, 0, 66, 60},
                      RefusedFile{"truncated pixels", 4, 4, 24, 0, 54, 47},
                      RefusedFile{"stride x height beyond 32 bits", 60000, 30000, 24, 0, 54, 0},
                      RefusedFile{"width 65535", 65535, 1, 24, 0, 54, 0},
                      RefusedFile{"height 65535", 1, 65535, 24, 0, 54, 0},
                      RefusedFile{"huge promise, tiny file", 30000, 30000, 24, 0, 54, 100}));

TEST(Bitmap24, MissingEmptyAndDirectoryPathsAreRefused) {
    ScratchDir dir;
    CBitmap24 bmp;
    EXPECT_FALSE(bmp.Read(dir.File("missing.bmp").c_str()));
    TestSupport::WriteBytes(dir.File("zero.bmp"), {});
    EXPECT_FALSE(bmp.Read(dir.File("zero.bmp").c_str()));
    EXPECT_FALSE(bmp.Read(dir.path().c_str()));
    TestSupport::WriteBytes(dir.File("short.bmp"), {'B', 'M', 0, 0});
    EXPECT_FALSE(bmp.Read(dir.File("short.bmp").c_str()));
    EXPECT_EQ(bmp.pixels, nullptr);
}

TEST(Bitmap24, WriteIntoAMissingFolderOrOntoAFolderFails) {
    ScratchDir dir;
    CBitmap24 bmp = TestSupport::PatternBitmap(2, 2);
    EXPECT_FALSE(bmp.Write(dir.File("no/such/folder/x.bmp").c_str()));
    EXPECT_FALSE(bmp.Write(dir.path().c_str()));
}
