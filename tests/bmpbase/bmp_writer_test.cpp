// The shared BMP writer: the exact bytes of the 24- and 32-bit forms, round
// trips through the standard reader at every depth it writes, and the pages
// it refuses to write as colour-mapped files.
#include "bmpbase/bmp_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bmpbase/bmp_reader.h"
#include "tests/support/test_support.h"

namespace BmpBase {
namespace {

using Bytes = std::vector<uint8_t>;

// Everything `write` puts into a fresh stream; empty when it fails.
template <typename Write>
Bytes Written(Write write) {
    std::FILE* f = std::tmpfile();
    Bytes bytes;
    if (write(f)) {
        bytes.resize(static_cast<size_t>(std::ftell(f)));
        std::rewind(f);
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    } else {
        EXPECT_EQ(std::ftell(f), 0) << "a refused page wrote bytes";
    }
    std::fclose(f);
    return bytes;
}

// One row of two pixels (1, 2, 3) and (4, 5, 6).
CBitmap24 TwoPixels() {
    CBitmap24 bmp;
    bmp.Allocate(1, 2);
    const uint8_t px[6] = {1, 2, 3, 4, 5, 6};
    std::memcpy(bmp.pixels, px, 6);
    return bmp;
}

TEST(WriteBmp, TwentyFourBitBytesAreFixed) {
    const Bytes expected = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  //
                            40,  0,   0,  0, 2, 0, 0, 0, 1, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0,
                            8,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0,  //
                            1,   2,   3,  4, 5, 6, 0, 0};
    const CBitmap24 bmp = TwoPixels();
    EXPECT_EQ(Written([&](std::FILE* f) { return WriteBmp(f, bmp); }), expected);
    TestSupport::ScratchDir dir;
    ASSERT_TRUE(bmp.Write(dir.File("a.bmp").c_str()));
    EXPECT_EQ(TestSupport::ReadBytes(dir.File("a.bmp")), expected);
}

TEST(WriteBmp, ThirtyTwoBitBytesAreFixed) {
    const Bytes expected = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  //
                            40,  0,   0, 0, 2, 0, 0, 0, 1, 0, 0,  0, 1, 0, 32, 0, 0, 0, 0, 0,
                            0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0,  //
                            1,   2,   3, 0, 4, 5, 6, 0};
    const CBitmap24 bmp = TwoPixels();
    EXPECT_EQ(Written([&](std::FILE* f) { return WriteBmp(f, bmp, 32); }), expected);
}

struct RoundTripCase {
    uint16_t bits;
    size_t paletteEntries;  // 0: any colours
};

class WriterRoundTrip : public testing::TestWithParam<RoundTripCase> {};

// Pages of 13 x 3 pixels (rows not a whole number of bytes at 1 and 4 bits),
// coloured from the palette, come back with their pixels, depth and palette.
TEST_P(WriterRoundTrip, StandardReaderGetsThePageBack) {
    const RoundTripCase& c = GetParam();
    std::vector<PaletteEntry> palette;
    for (size_t i = 0; i < c.paletteEntries; ++i) {
        palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(3 * i),
                           static_cast<uint8_t>(255 - i), 0});
    }
    CBitmap24 page = TestSupport::PatternBitmap(3, 13);
    page.infoHeader.biXPelsPerMeter = 3780;
    for (uint32_t r = 0; r < page.height && !palette.empty(); ++r) {
        for (uint32_t col = 0; col < page.width; ++col) {
            const PaletteEntry& e = palette[(r * 7 + col * 5) % palette.size()];
            uint8_t* px = page.PixelAt(r, col);
            px[0] = e.blue;
            px[1] = e.green;
            px[2] = e.red;
        }
    }
    const Bytes bytes = Written([&](std::FILE* f) { return WriteBmp(f, page, c.bits, palette); });
    ASSERT_FALSE(bytes.empty());
    std::FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    CBitmap24 back;
    BmpSource source;
    ASSERT_TRUE(ReadBmp(f, BmpPolicy::kStandard, back, &source));
    std::fclose(f);
    EXPECT_EQ(source.bitsPerPixel, c.bits);
    EXPECT_EQ(source.palette, palette);
    EXPECT_EQ(back.infoHeader.biXPelsPerMeter, 3780);
    ASSERT_EQ(back.pixelBytes, page.pixelBytes);
    EXPECT_EQ(0, std::memcmp(back.pixels, page.pixels, page.pixelBytes));
}

INSTANTIATE_TEST_SUITE_P(Depths, WriterRoundTrip,
                         testing::Values(RoundTripCase{1, 2}, RoundTripCase{1, 1},
                                         RoundTripCase{4, 16}, RoundTripCase{4, 5},
                                         RoundTripCase{8, 256}, RoundTripCase{8, 3},
                                         RoundTripCase{24, 0}, RoundTripCase{32, 0}));

TEST(WriteBmp, RefusesPagesItCannotStoreAsAsked) {
    const CBitmap24 page = TwoPixels();
    const std::vector<PaletteEntry> both = {{1, 2, 3, 0}, {4, 5, 6, 0}};
    const std::vector<PaletteEntry> first = {{1, 2, 3, 0}};
    const std::vector<PaletteEntry> three = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
    const auto write = [&](uint16_t bits, const std::vector<PaletteEntry>& palette) {
        return Written([&](std::FILE* f) { return WriteBmp(f, page, bits, palette); });
    };
    EXPECT_FALSE(write(8, both).empty());
    EXPECT_TRUE(write(8, first).empty()) << "a colour missing from the palette";
    EXPECT_TRUE(write(1, three).empty()) << "more entries than the depth holds";
    EXPECT_TRUE(write(8, {}).empty()) << "no palette";
    EXPECT_TRUE(write(16, both).empty()) << "a depth the writer does not make";
    EXPECT_FALSE(WriteBmp(nullptr, page));
}

}  // namespace
}  // namespace BmpBase
