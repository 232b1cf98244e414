// The desktop program's BMP reader and writers, on files built byte by byte
// here: every accepted kind of file and conversion rule, the refusals, the
// all-or-nothing rule and the written headers.
#include "desktop/bmp_io.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace LeveloraDesk {
namespace {

using Bytes = std::vector<uint8_t>;
using BmpBase::CBitmap24;

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// Two headers with the given fields, followed by `body`.
Bytes Bmp(int32_t width, int32_t height, uint16_t bits, const Bytes& body, uint32_t compression = 0,
          uint32_t offBits = 54) {
    Bytes b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, offBits);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<uint32_t>(width));
    Put32(b, 22, static_cast<uint32_t>(height));
    Put16(b, 26, 1);
    Put16(b, 28, bits);
    Put32(b, 30, compression);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A colour table of `entries` entries, entry i = (i, 255 - i, i ^ 0x55).
Bytes Table(int entries) {
    Bytes t;
    for (int i = 0; i < entries; ++i) {
        t.insert(t.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                           static_cast<uint8_t>(i ^ 0x55), 0x99});
    }
    return t;
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::FILE* FileWith(const Bytes& bytes) {
    std::FILE* f = std::tmpfile();
    if (!bytes.empty()) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    }
    std::rewind(f);
    return f;
}

struct Pixel {
    uint32_t row, col;
    uint8_t blue, green, red;
};

struct AcceptedCase {
    const char* name;
    std::function<Bytes()> file;
    uint32_t width, height;
    std::vector<Pixel> expected;
};

class AcceptedFileTest : public testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedFileTest, ConvertsToTwentyFourBitPixels) {
    const AcceptedCase& c = GetParam();
    CBitmap24 bmp;
    ASSERT_TRUE(ReadFromFile(bmp, FileWith(c.file())));
    EXPECT_EQ(bmp.width, c.width);
    EXPECT_EQ(bmp.height, c.height);
    EXPECT_EQ(bmp.stride, CBitmap24::StrideFor(c.width));
    for (const Pixel& p : c.expected) {
        const uint8_t* px = bmp.PixelAt(p.row, p.col);
        EXPECT_EQ(px[0], p.blue) << "row " << p.row << " col " << p.col;
        EXPECT_EQ(px[1], p.green) << "row " << p.row << " col " << p.col;
        EXPECT_EQ(px[2], p.red) << "row " << p.row << " col " << p.col;
    }
}

Bytes Rows16(std::initializer_list<uint16_t> values) {
    Bytes b;
    for (uint16_t v : values) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    }
    while (b.size() % 4 != 0) {
        b.push_back(0);
    }
    return b;
}

Bytes Masks(uint32_t r, uint32_t g, uint32_t b) {
    Bytes m(12, 0);
    Put32(m, 0, r);
    Put32(m, 4, g);
    Put32(m, 8, b);
    return m;
}

const AcceptedCase kAcceptedCases[] = {
    {"Depth24BottomUp",
     [] {
         return Bmp(2, 2, 24, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
     },
     2,
     2,
     {{0, 0, 1, 2, 3}, {0, 1, 4, 5, 6}, {1, 0, 7, 8, 9}, {1, 1, 10, 11, 12}}},
    {"Depth32IgnoresFourthByte",
     [] {
         return Bmp(2, 1, 32, {10, 20, 30, 0xFF, 40, 50, 60, 0x77});
     },
     2,
     1,
     {{0, 0, 10, 20, 30}, {0, 1, 40, 50, 60}}},
    {"Depth16Uncompressed555",
     [] {
         return Bmp(3, 1, 16, Rows16({0x7FFF, 0x001F, 0x7C00}));
     },
     3,
     1,
     {{0, 0, 248, 248, 248}, {0, 1, 248, 0, 0}, {0, 2, 0, 0, 248}}},
    {"Depth16Masks565",
     [] {
         return Bmp(2, 1, 16, Concat(Masks(0xF800, 0x07E0, 0x001F), Rows16({0xFFFF, 0x07E0})), 3);
     },
     2,
     1,
     {{0, 0, 248, 252, 248}, {0, 1, 0, 252, 0}}},
    {"Depth16Given555MasksUse555Rule",
     [] { return Bmp(1, 1, 16, Concat(Masks(0x7C00, 0x03E0, 0x001F), Rows16({0x03E0})), 3); },
     1,
     1,
     {{0, 0, 0, 248, 0}}},
    {"Depth16RowsPadToFourBytes",
     [] { return Bmp(1, 2, 16, Concat(Rows16({0x001F}), Rows16({0x7C00}))); },
     1,
     2,
     {{0, 0, 248, 0, 0}, {1, 0, 0, 0, 248}}},
    {"Depth8Palette",
     [] {
         return Bmp(3, 2, 8, Concat(Table(256), {0, 1, 255, 0, 7, 8, 9, 0}));
     },
     3,
     2,
     {{0, 0, 0, 255, 0x55}, {0, 2, 255, 0, 255 ^ 0x55}, {1, 0, 7, 248, 7 ^ 0x55}}},
    {"Depth4HighNibbleFirst",
     [] {
         return Bmp(3, 1, 4, Concat(Table(16), {0x12, 0xF0, 0xAA, 0xAA}));
     },
     3,
     1,
     {{0, 0, 1, 254, 1 ^ 0x55}, {0, 1, 2, 253, 2 ^ 0x55}, {0, 2, 15, 240, 15 ^ 0x55}}},
    {"Depth1Width33UsesBitSevenOfByteFour",
     [] {
         Bytes row = {0x80, 0x00, 0x00, 0x01, 0x80, 0xFF, 0xFF, 0xFF};
         return Bmp(33, 1, 1, Concat(Table(2), row));
     },
     33,
     1,
     {{0, 0, 1, 254, 1 ^ 0x55},
      {0, 1, 0, 255, 0x55},
      {0, 31, 1, 254, 1 ^ 0x55},
      {0, 32, 1, 254, 1 ^ 0x55}}},
};

INSTANTIATE_TEST_SUITE_P(Bmp, AcceptedFileTest, testing::ValuesIn(kAcceptedCases),
                         [](const testing::TestParamInfo<AcceptedCase>& p) {
                             return std::string(p.param.name);
                         });

struct RefusedCase {
    const char* name;
    std::function<Bytes()> file;
};

class RefusedFileTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedFileTest, FailsAndLeavesBitmapUnchanged) {
    CBitmap24 bmp = TestSupport::PatternBitmap(3, 5);
    const CBitmap24 before = bmp;
    EXPECT_FALSE(ReadFromFile(bmp, FileWith(GetParam().file())));
    ASSERT_EQ(bmp.pixelBytes, before.pixelBytes);
    EXPECT_EQ(0, std::memcmp(bmp.pixels, before.pixels, bmp.pixelBytes));
    EXPECT_EQ(0, std::memcmp(&bmp.infoHeader, &before.infoHeader, sizeof bmp.infoHeader));
    EXPECT_EQ(0, std::memcmp(&bmp.fileHeader, &before.fileHeader, sizeof bmp.fileHeader));
    EXPECT_EQ(bmp.width, before.width);
    EXPECT_EQ(bmp.height, before.height);
}

Bytes WithField16(Bytes b, size_t at, uint16_t v) {
    Put16(b, at, v);
    return b;
}
Bytes WithField32(Bytes b, size_t at, uint32_t v) {
    Put32(b, at, v);
    return b;
}
Bytes Cut(Bytes b, size_t size) {
    b.resize(size);
    return b;
}
Bytes Pixels24(uint32_t w, uint32_t h) {
    return Bytes(CBitmap24::StrideFor(w) * h, 0x40);
}

const RefusedCase kRefusedCases[] = {
    {"EmptyFile", [] { return Bytes(); }},
    {"ShortHeader", [] { return Cut(Bmp(1, 1, 24, Pixels24(1, 1)), 40); }},
    {"NotBM", [] { return WithField16(Bmp(1, 1, 24, Pixels24(1, 1)), 0, 0x4142); }},
    {"LargerInfoHeader", [] { return WithField32(Bmp(1, 1, 24, Pixels24(1, 1)), 14, 108); }},
    {"TwoPlanes", [] { return WithField16(Bmp(1, 1, 24, Pixels24(1, 1)), 26, 2); }},
    {"Depth24Compressed", [] { return Bmp(1, 1, 24, Pixels24(1, 1), 1); }},
    {"Depth24OffBitsNot54", [] { return Bmp(1, 1, 24, Pixels24(2, 1), 0, 58); }},
    {"Depth32BitFields", [] { return Bmp(1, 1, 32, Bytes(16, 0), 3, 66); }},
    {"Depth8Rle", [] { return Bmp(1, 1, 8, Concat(Table(256), Bytes(4, 0)), 1); }},
    {"Depth4Rle", [] { return Bmp(1, 1, 4, Concat(Table(16), Bytes(4, 0)), 2); }},
    {"Depth2", [] { return Bmp(1, 1, 2, Bytes(8, 0)); }},
    {"Depth24Truncated", [] { return Cut(Bmp(5, 4, 24, Pixels24(5, 4)), 54 + 16 * 4 - 1); }},
    {"Depth32Truncated", [] { return Bmp(2, 2, 32, Bytes(15, 0)); }},
    {"Depth16MasksTruncated", [] { return Bmp(1, 1, 16, Bytes(8, 0), 3); }},
    {"Depth16RowsTruncated", [] { return Bmp(3, 2, 16, Bytes(15, 0)); }},
    {"Depth8TableTruncated", [] { return Bmp(1, 1, 8, Table(16)); }},
    {"Depth1RowsTruncated", [] { return Bmp(40, 2, 1, Concat(Table(2), Bytes(15, 0))); }},
    {"WidthAboveLimit", [] { return Bmp(65535, 1, 24, Bytes(4, 0)); }},
    {"HeightAboveLimitTopDown", [] { return Bmp(1, -65535, 8, Concat(Table(256), Bytes(4, 0))); }},
    {"PromisesGigabytesHoldsNone", [] { return Bmp(60000, 20000, 24, Bytes()); }},
    {"Depth32BlockBeyond32Bits", [] { return Bmp(65534, 65534, 32, Bytes()); }},
};

INSTANTIATE_TEST_SUITE_P(Bmp, RefusedFileTest, testing::ValuesIn(kRefusedCases),
                         [](const testing::TestParamInfo<RefusedCase>& p) {
                             return std::string(p.param.name);
                         });

TEST(ReadFromFileTest, NullFileFails) {
    CBitmap24 bmp;
    EXPECT_FALSE(ReadFromFile(bmp, nullptr));
}

TEST(ReadFromFileTest, TopDown24BitKeepsNegativeHeightAndFileOrder) {
    CBitmap24 bmp;
    ASSERT_TRUE(ReadFromFile(bmp, FileWith(Bmp(1, -2, 24, {1, 2, 3, 0, 4, 5, 6, 0}))));
    EXPECT_EQ(bmp.infoHeader.biHeight, -2);
    EXPECT_EQ(bmp.height, 2u);
    EXPECT_EQ(bmp.PixelAt(0, 0)[0], 1);
    EXPECT_EQ(bmp.PixelAt(1, 0)[0], 4);
}

TEST(ReadFromFileTest, PaletteFileGetsFreshTwentyFourBitHeaders) {
    Bytes file = Bmp(1, -2, 8, Concat(Table(256), {3, 0, 0, 0, 4, 0, 0, 0}));
    Put32(file, 2, 9999);   // bfSize
    Put32(file, 34, 8);     // biSizeImage
    Put32(file, 38, 2835);  // biXPelsPerMeter
    CBitmap24 bmp;
    ASSERT_TRUE(ReadFromFile(bmp, FileWith(file)));
    EXPECT_EQ(bmp.infoHeader.biBitCount, 24);
    EXPECT_EQ(bmp.infoHeader.biHeight, 2);
    EXPECT_EQ(bmp.infoHeader.biWidth, 1);
    EXPECT_EQ(+bmp.fileHeader.bfSize, 0u);
    EXPECT_EQ(bmp.infoHeader.biSizeImage, 0u);
    EXPECT_EQ(bmp.infoHeader.biXPelsPerMeter, 0);
    // Rows stay in file order under the bottom-up header.
    EXPECT_EQ(bmp.PixelAt(0, 0)[0], 3);
    EXPECT_EQ(bmp.PixelAt(1, 0)[0], 4);
}

TEST(ReadFromFileTest, ShortPaletteIsReadAsFullTable) {
    // biClrUsed says 16, but the reader always takes 256 entries: the pixel
    // row is the first four bytes after 1024 bytes of table.
    Bytes file = Bmp(1, 1, 8, Concat(Concat(Table(16), Bytes(1024 - 64, 0)), {5, 0, 0, 0}));
    Put32(file, 46, 16);
    CBitmap24 bmp;
    ASSERT_TRUE(ReadFromFile(bmp, FileWith(file)));
    EXPECT_EQ(bmp.PixelAt(0, 0)[0], 5);
    EXPECT_EQ(bmp.PixelAt(0, 0)[1], 250);
}

class WriteTest : public testing::Test {
  protected:
    TestSupport::ScratchDir dir;
    std::string Path() const { return dir.File("out.bmp"); }
};

TEST_F(WriteTest, WriteToFileRoundTripsWithTrueSizes) {
    CBitmap24 bmp = TestSupport::PatternBitmap(3, 5);
    bmp.infoHeader.biXPelsPerMeter = 3780;
    ASSERT_TRUE(WriteToFile(bmp, std::fopen(Path().c_str(), "wb")));
    const Bytes bytes = TestSupport::ReadBytes(Path());
    ASSERT_EQ(bytes.size(), 54u + bmp.pixelBytes);
    CBitmap24 back;
    ASSERT_TRUE(ReadFromFile(back, std::fopen(Path().c_str(), "rb")));
    EXPECT_EQ(+back.fileHeader.bfSize, 54u + bmp.pixelBytes);
    EXPECT_EQ(back.infoHeader.biSizeImage, bmp.pixelBytes);
    EXPECT_EQ(back.infoHeader.biXPelsPerMeter, 3780);
    ASSERT_EQ(back.pixelBytes, bmp.pixelBytes);
    EXPECT_EQ(0, std::memcmp(back.pixels, bmp.pixels, bmp.pixelBytes));
}

TEST_F(WriteTest, WriteToFile32KeepsZeroSizesAndExpandsPixels) {
    CBitmap24 bmp = TestSupport::PatternBitmap(2, 5);
    ASSERT_TRUE(WriteToFile32(bmp, std::fopen(Path().c_str(), "wb")));
    const Bytes bytes = TestSupport::ReadBytes(Path());
    ASSERT_EQ(bytes.size(), 54u + 2 * 5 * 4);
    BmpBase::BitmapFileHeader fh;
    BmpBase::BitmapInfoHeader ih;
    std::memcpy(&fh, bytes.data(), 14);
    std::memcpy(&ih, bytes.data() + 14, 40);
    EXPECT_EQ(+fh.bfSize, 0u);
    EXPECT_EQ(+fh.bfOffBits, 54u);
    EXPECT_EQ(ih.biBitCount, 32);
    EXPECT_EQ(ih.biSizeImage, 0u);
    CBitmap24 back;
    ASSERT_TRUE(ReadFromFile(back, std::fopen(Path().c_str(), "rb")));
    ASSERT_EQ(back.pixelBytes, bmp.pixelBytes);
    EXPECT_EQ(0, std::memcmp(back.pixels, bmp.pixels, bmp.pixelBytes));
}

TEST(ExpandTo32Test, RowsHaveNoPaddingAndZeroFourthByte) {
    const CBitmap24 bmp = TestSupport::PatternBitmap(2, 5);
    const std::unique_ptr<uint8_t[]> block = ExpandTo32(bmp);
    for (uint32_t r = 0; r < 2; ++r) {
        for (uint32_t c = 0; c < 5; ++c) {
            const uint8_t* px = block.get() + r * 20 + 4 * c;
            EXPECT_EQ(0, std::memcmp(px, bmp.PixelAt(r, c), 3));
            EXPECT_EQ(px[3], 0);
        }
    }
}

TEST(WriteFailureTest, FullDiskIsReportedAsFailure) {
    if (!TestSupport::FileExists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this system";
    }
    const CBitmap24 bmp = TestSupport::PatternBitmap(4, 4);
    EXPECT_FALSE(WriteToFile(bmp, std::fopen("/dev/full", "wb")));
    EXPECT_FALSE(WriteToFile32(bmp, std::fopen("/dev/full", "wb")));
}

TEST(WriteFailureTest, FileOpenForReadingOnlyCannotBeWritten) {
    TestSupport::ScratchDir dir;
    TestSupport::WriteBytes(dir.File("r.bmp"), {1});
    const CBitmap24 bmp = TestSupport::PatternBitmap(4, 4);
    EXPECT_FALSE(WriteToFile(bmp, std::fopen(dir.File("r.bmp").c_str(), "rb")));
    EXPECT_FALSE(WriteToFile(bmp, nullptr));
    EXPECT_FALSE(WriteToFile32(bmp, nullptr));
}

}  // namespace
}  // namespace LeveloraDesk
