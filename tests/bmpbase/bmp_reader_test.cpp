// The shared BMP reader's standard policy on files built byte by byte here:
// every depth, short and full colour tables, gaps before the pixels, top-down
// files, bit-field masks, larger information headers, and the refusals
// (compressed, truncated, malformed, oversize). The desktop policy is covered
// by the desktop program's own tests.
#include "bmpbase/bmp_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/allocation_limit.h"

namespace BmpBase {
namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// The header fields a case sets; the rest are those of a plain file.
struct Head {
    int32_t width = 2;
    int32_t height = 2;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    uint32_t infoSize = 40;
    int64_t offBits = -1;  // -1: right after headers, masks and table
};

// A file of `head` followed by `masks` (after a 40-byte header, or inside
// a larger one), `table` entries, `gap` filler bytes and `rows`.
Bytes File(const Head& head, const Bytes& rows, const Bytes& table = {},
           const std::vector<uint32_t>& masks = {}, size_t gap = 0) {
    Bytes b = {'B', 'M'};
    b.resize(14 + head.infoSize, 0);
    Put(b, 14, head.infoSize, 4);
    Put(b, 18, static_cast<uint32_t>(head.width), 4);
    Put(b, 22, static_cast<uint32_t>(head.height), 4);
    Put(b, 26, 1, 2);
    Put(b, 28, head.bits, 2);
    Put(b, 30, head.compression, 4);
    Put(b, 38, 2835, 4);
    Put(b, 42, 3780, 4);
    Put(b, 46, head.clrUsed, 4);
    for (size_t i = 0; i < masks.size(); ++i) {
        if (head.infoSize == 40) {
            b.resize(b.size() + 4);
        }
        Put(b, head.infoSize == 40 ? b.size() - 4 : 54 + 4 * i, masks[i], 4);
    }
    b.insert(b.end(), table.begin(), table.end());
    b.insert(b.end(), gap, 0xEE);
    Put(b, 10,
        head.offBits >= 0 ? static_cast<uint32_t>(head.offBits) : static_cast<uint32_t>(b.size()),
        4);
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

// `n` entries, entry i = blue 10 + i, green 100 + i, red 200 - i.
Bytes Table(int n) {
    Bytes t;
    for (int i = 0; i < n; ++i) {
        t.insert(t.end(), {static_cast<uint8_t>(10 + i), static_cast<uint8_t>(100 + i),
                           static_cast<uint8_t>(200 - i), 0});
    }
    return t;
}

std::FILE* Open(const Bytes& bytes) {
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

bool Read(const Bytes& bytes, CBitmap24& bmp, BmpSource* source = nullptr) {
    std::FILE* f = Open(bytes);
    const bool ok = ReadBmp(f, BmpPolicy::kStandard, bmp, source);
    std::fclose(f);
    return ok;
}

struct Pixel {
    uint32_t row, col;  // row 0 = bottom row of the page
    uint8_t blue, green, red;
};

struct AcceptedCase {
    const char* name;
    Bytes file;
    uint16_t bits;
    size_t paletteEntries;
    bool topDown;
    std::vector<Pixel> expected;
};

const std::vector<AcceptedCase>& AcceptedCases() {
    static const std::vector<AcceptedCase> cases = {
        // Width 9: pixel 8 is bit 7 of the second byte of each 4-byte row.
        {"OneBitFullTable",
         File(Head{9, 1, 1}, {0x80, 0x80, 0, 0}, Table(2)),
         1,
         2,
         false,
         {{0, 0, 11, 101, 199}, {0, 1, 10, 100, 200}, {0, 8, 11, 101, 199}}},
        {"FourBitShortTable",
         File(Head{3, 1, 4, 0, 3}, {0x12, 0x00, 0, 0}, Table(3)),
         4,
         3,
         false,
         {{0, 0, 11, 101, 199}, {0, 1, 12, 102, 198}, {0, 2, 10, 100, 200}}},
        {"EightBitShortTable",
         File(Head{2, 1, 8, 0, 2}, {1, 0, 0, 0}, Table(2)),
         8,
         2,
         false,
         {{0, 0, 11, 101, 199}, {0, 1, 10, 100, 200}}},
        {"EightBitFullTable",
         File(Head{2, 1, 8}, {255, 7, 0, 0}, Table(256)),
         8,
         256,
         false,
         {{0, 0, 9, 99, 201}, {0, 1, 17, 107, 193}}},
        {"EightBitIndexBeyondTableIsBlack",
         File(Head{1, 1, 8, 0, 2}, {5, 0, 0, 0}, Table(2)),
         8,
         2,
         false,
         {{0, 0, 0, 0, 0}}},
        {"EightBitGapBeforePixels",
         File(Head{1, 1, 8, 0, 2}, {1, 0, 0, 0}, Table(2), {}, 6),
         8,
         2,
         false,
         {{0, 0, 11, 101, 199}}},
        {"OneBitTopDown",
         File(Head{1, -2, 1}, {0x80, 0, 0, 0, 0, 0, 0, 0}, Table(2)),
         1,
         2,
         true,
         {{1, 0, 11, 101, 199}, {0, 0, 10, 100, 200}}},
        {"FourBitTopDown",
         File(Head{1, -2, 4}, {0x10, 0, 0, 0, 0x20, 0, 0, 0}, Table(16)),
         4,
         16,
         true,
         {{1, 0, 11, 101, 199}, {0, 0, 12, 102, 198}}},
        {"EightBitTopDown",
         File(Head{1, -2, 8}, {3, 0, 0, 0, 4, 0, 0, 0}, Table(256)),
         8,
         256,
         true,
         {{1, 0, 13, 103, 197}, {0, 0, 14, 104, 196}}},
        {"SixteenBit555",
         File(Head{2, 1, 16}, {0xFF, 0x7F, 0x1F, 0x00}),
         16,
         0,
         false,
         {{0, 0, 255, 255, 255}, {0, 1, 255, 0, 0}}},
        {"SixteenBit565",
         File(Head{2, 1, 16, 3}, {0x00, 0xF8, 0x00, 0x04}, {}, {0xF800, 0x07E0, 0x1F}),
         16,
         0,
         false,
         {{0, 0, 0, 0, 255}, {0, 1, 0, 130, 0}}},
        {"SixteenBitTopDown",
         File(Head{1, -2, 16}, {0x1F, 0, 0, 0, 0, 0x7C, 0, 0}),
         16,
         0,
         true,
         {{1, 0, 255, 0, 0}, {0, 0, 0, 0, 255}}},
        {"ThirtyTwoBitPlain", File(Head{1, 1, 32}, {1, 2, 3, 4}), 32, 0, false, {{0, 0, 1, 2, 3}}},
        {"ThirtyTwoBitMasks",
         File(Head{1, 1, 32, 3}, {0xAA, 1, 2, 3}, {}, {0x0000FF00, 0x00FF0000, 0xFF000000}),
         32,
         0,
         false,
         {{0, 0, 3, 2, 1}}},
        {"ThirtyTwoBitMasksInLargeHeader",
         File(Head{1, 1, 32, 3, 0, 124}, {1, 2, 3, 0xAA}, {}, {0x0000FF, 0x00FF00, 0xFF0000}),
         32,
         0,
         false,
         {{0, 0, 3, 2, 1}}},
        {"ThirtyTwoBitTopDown",
         File(Head{1, -2, 32}, {1, 2, 3, 0, 4, 5, 6, 0}),
         32,
         0,
         true,
         {{1, 0, 1, 2, 3}, {0, 0, 4, 5, 6}}},
        {"TwentyFourBitTopDownWithGap",
         File(Head{1, -2, 24}, {1, 2, 3, 0, 4, 5, 6, 0}, {}, {}, 2),
         24,
         0,
         true,
         {{1, 0, 1, 2, 3}, {0, 0, 4, 5, 6}}},
    };
    return cases;
}

class StandardAccepts : public testing::TestWithParam<AcceptedCase> {};

TEST_P(StandardAccepts, ConvertsAndDescribesTheSource) {
    const AcceptedCase& c = GetParam();
    CBitmap24 bmp;
    BmpSource source;
    ASSERT_TRUE(Read(c.file, bmp, &source));
    EXPECT_EQ(source.bitsPerPixel, c.bits);
    EXPECT_EQ(source.palette.size(), c.paletteEntries);
    EXPECT_EQ(source.topDown, c.topDown);
    // A converted page is a new bottom-up bitmap keeping the resolution.
    EXPECT_GT(bmp.infoHeader.biHeight, 0);
    EXPECT_EQ(bmp.infoHeader.biBitCount, 24);
    EXPECT_EQ(+bmp.fileHeader.bfOffBits, 54u);
    EXPECT_EQ(bmp.infoHeader.biSize, 40u);
    EXPECT_EQ(bmp.infoHeader.biXPelsPerMeter, 2835);
    EXPECT_EQ(bmp.infoHeader.biYPelsPerMeter, 3780);
    for (const Pixel& p : c.expected) {
        const uint8_t* px = bmp.PixelAt(p.row, p.col);
        EXPECT_EQ(px[0], p.blue) << "row " << p.row << " col " << p.col;
        EXPECT_EQ(px[1], p.green) << "row " << p.row << " col " << p.col;
        EXPECT_EQ(px[2], p.red) << "row " << p.row << " col " << p.col;
    }
}

INSTANTIATE_TEST_SUITE_P(Bmp, StandardAccepts, testing::ValuesIn(AcceptedCases()),
                         [](const auto& p) { return std::string(p.param.name); });

// The form the engine reads comes exactly as CBitmap24::Read gives it; the
// same pixels stored top-down are turned round into that form, since the
// engine takes row 0 as the bottom row.
TEST(StandardPolicy, PlainTwentyFourBitKeepsHeadersAndTopDownIsTurnedRound) {
    const Bytes plain = File(Head{1, 2, 24}, {4, 5, 6, 0, 1, 2, 3, 0});
    CBitmap24 bottomUp;
    ASSERT_TRUE(Read(plain, bottomUp));
    EXPECT_EQ(0, std::memcmp(&bottomUp.fileHeader, plain.data(), 14));
    EXPECT_EQ(0, std::memcmp(&bottomUp.infoHeader, plain.data() + 14, 40));

    const Bytes topDown = File(Head{1, -2, 24}, {1, 2, 3, 0, 4, 5, 6, 0});
    CBitmap24 turned;
    ASSERT_TRUE(Read(topDown, turned));
    EXPECT_EQ(turned.infoHeader.biHeight, 2);
    ASSERT_EQ(turned.pixelBytes, bottomUp.pixelBytes);
    EXPECT_EQ(0, std::memcmp(turned.pixels, bottomUp.pixels, turned.pixelBytes));
}

struct RefusedCase {
    const char* name;
    Bytes file;
};

const std::vector<RefusedCase>& RefusedCases() {
    Head intoTable = Head{1, 1, 8, 0, 2};
    intoTable.offBits = 54 + 4;
    static const std::vector<RefusedCase> cases = {
        {"RunLength8", File(Head{4, 1, 8, 1}, {0, 0, 0, 0}, Table(256))},
        {"RunLength4", File(Head{4, 1, 4, 2}, {0, 0, 0, 0}, Table(16))},
        {"JpegInside", File(Head{1, 1, 24, 4}, {0, 0, 0, 0})},
        {"MasksOnEightBits", File(Head{1, 1, 8, 3}, {0, 0, 0, 0}, Table(256))},
        {"MasksOnTwentyFourBits",
         File(Head{1, 1, 24, 3}, {0, 0, 0, 0}, {}, {0xFF, 0xFF00, 0xFF0000})},
        {"TwoBits", File(Head{1, 1, 2}, {0, 0, 0, 0}, Table(4))},
        {"UnknownHeaderSize", File(Head{1, 1, 24, 0, 0, 64}, {0, 0, 0, 0})},
        {"MoreColoursThanTheDepthHolds", File(Head{1, 1, 1, 0, 3}, {0, 0, 0, 0}, Table(3))},
        {"PixelsInsideTheTable", File(intoTable, {0, 0, 0, 0}, Table(2))},
        {"SplitMask", File(Head{1, 1, 16, 3}, {0, 0, 0, 0}, {}, {0xF00F, 0x07E0, 0x1F})},
        {"TruncatedTable", File(Head{1, 1, 8}, {}, Table(100))},
        {"TruncatedRows", File(Head{3, 2, 24}, Bytes(23, 0))},
        {"TruncatedHeader", Bytes(30, 'B')},
        {"NotBmp", Bytes(60, 0)},
        {"TooWide", File(Head{65535, 1, 8}, Bytes(65536, 0), Table(256))},
    };
    return cases;
}

class StandardRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(StandardRefuses, FailsAndLeavesBitmapUnchanged) {
    CBitmap24 bmp;
    bmp.Allocate(2, 3);
    bmp.PixelAt(1, 2)[0] = 77;
    BmpSource source;
    source.bitsPerPixel = 99;
    EXPECT_FALSE(Read(GetParam().file, bmp, &source));
    EXPECT_EQ(bmp.width, 3u);
    EXPECT_EQ(bmp.height, 2u);
    EXPECT_EQ(bmp.PixelAt(1, 2)[0], 77);
    EXPECT_EQ(source.bitsPerPixel, 99);
}

INSTANTIATE_TEST_SUITE_P(Bmp, StandardRefuses, testing::ValuesIn(RefusedCases()),
                         [](const auto& p) { return std::string(p.param.name); });

// Headers promising more than the limits, or more than the file holds,
// cost no allocation for pixels.
TEST(StandardPolicy, OversizeAndTruncatedPagesAreRefusedWithoutAllocating) {
    const Bytes tooMany = File(Head{40000, 40000, 24}, Bytes(64, 0));
    const Bytes promised = File(Head{16000, 16000, 32}, Bytes(64, 0));
    CBitmap24 bmp;
    TestSupport::AllocationLimit limit(size_t{1} << 20);
    EXPECT_FALSE(Read(tooMany, bmp));
    EXPECT_FALSE(Read(promised, bmp));
    EXPECT_FALSE(TestSupport::AllocationLimit::Refused());
}

}  // namespace
}  // namespace BmpBase
