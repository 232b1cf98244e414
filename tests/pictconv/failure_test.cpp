// Bad input and bad destinations: every converter returns false, prints
// nothing, leaves an existing destination as it was and leaves no file
// behind; none of them crashes or ends the process.
#include <png.h>
#include <tiffio.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include <jpeglib.h>
#include <zlib.h>

#include "pictconv/pictconv.h"
#include "tests/pictconv/convert_helpers.h"
#include "tests/pictconv/sample_files.h"
#include "tests/support/test_support.h"

using PictconvTest::Converter;
using PictconvTest::RunConverter;
using TestSupport::ReadBytes;
using TestSupport::ScratchDir;
using TestSupport::WriteBytes;

namespace {

struct Direction {
    const char* name;
    Converter convert;
    const char* inputExt;  // the kind of file the converter reads
};

const Direction kDirections[] = {
    {"Jpg2Bmp", Jpg2Bmp, "jpg"}, {"Tif2Bmp", Tif2Bmp, "tif"}, {"Png2Bmp", Png2Bmp, "png"},
    {"Bmp2Jpg", Bmp2Jpg, "bmp"}, {"Bmp2Tif", Bmp2Tif, "tif"}, {"Bmp2Png", Bmp2Png, "png"},
};

// A valid small file of each kind, made with the libraries.
std::vector<uint8_t> ValidFile(const std::string& ext, const ScratchDir& dir) {
    const std::string path = dir.File("valid." + ext);
    if (ext == "bmp") {
        EXPECT_TRUE(TestSupport::PatternBitmap(40, 50).Write(path.c_str()));
    } else if (ext == "jpg") {
        PictconvTest::JpegParams params;
        params.inputSpace = JCS_RGB;
        params.fileSpace = JCS_YCbCr;
        PictconvTest::WriteJpeg(path, PictconvTest::Flat(50, 40, {1, 2, 3}), params);
    } else if (ext == "png") {
        PictconvTest::PngLayout params;
        params.colorType = PNG_COLOR_TYPE_RGB;
        std::vector<std::vector<uint8_t>> rows(40, std::vector<uint8_t>(150));
        for (size_t r = 0; r < rows.size(); ++r) {
            for (size_t i = 0; i < rows[r].size(); ++i) {
                rows[r][i] = static_cast<uint8_t>(r * 31 + i * 7);
            }
        }
        PictconvTest::WritePng(path, 50, 40, params, rows);
    } else {
        PictconvTest::TiffLayout params;
        std::vector<std::vector<uint8_t>> rows(40, std::vector<uint8_t>(150, 9));
        PictconvTest::WriteTiff(path, 50, 40, params, rows);
    }
    return ReadBytes(path);
}

// The file names in a folder.
std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

struct BadInput {
    const char* name;
    // Makes the source file from a valid file of the converter's input kind.
    std::function<std::vector<uint8_t>(const std::vector<uint8_t>& valid)> make;
};

const BadInput kBadInputs[] = {
    {"Empty", [](const std::vector<uint8_t>&) { return std::vector<uint8_t>(); }},
    {"Garbage",
     [](const std::vector<uint8_t>&) {
         std::vector<uint8_t> bytes(3000);
         for (size_t i = 0; i < bytes.size(); ++i) {
             bytes[i] = static_cast<uint8_t>(i * 131 + 7);
         }
         return bytes;
     }},
    {"TruncatedToHalf",
     [](const std::vector<uint8_t>& valid) {
         return std::vector<uint8_t>(valid.begin(),
                                     valid.begin() + static_cast<std::ptrdiff_t>(valid.size() / 2));
     }},
    {"HeaderOnly",
     [](const std::vector<uint8_t>& valid) {
         return std::vector<uint8_t>(valid.begin(), valid.begin() + 20);
     }},
    {"BodyScrambled",
     [](const std::vector<uint8_t>& valid) {
         std::vector<uint8_t> bytes = valid;
         for (size_t i = bytes.size() / 3; i < bytes.size(); ++i) {
             bytes[i] = static_cast<uint8_t>(0xFF - bytes[i]);
         }
         return bytes;
     }},
};

class BadInputs : public testing::TestWithParam<std::tuple<Direction, BadInput>> {};

TEST_P(BadInputs, FailQuietlyAndKeepTheDestination) {
    const Direction& d = std::get<0>(GetParam());
    const BadInput& bad = std::get<1>(GetParam());
    ScratchDir dir;
    const std::string ext =
        d.convert == Bmp2Jpg || d.convert == Bmp2Tif || d.convert == Bmp2Png ? "bmp" : d.inputExt;
    const std::vector<uint8_t> source = bad.make(ValidFile(ext, dir));
    // A scrambled body of an uncompressed BMP is still a valid picture.
    if (ext == "bmp" && std::string(bad.name) == "BodyScrambled") {
        GTEST_SKIP() << "every byte pattern is a valid uncompressed picture";
    }
    WriteBytes(dir.File("source"), source);
    const std::vector<uint8_t> previous = {'o', 'l', 'd'};
    WriteBytes(dir.File("dest"), previous);
    const auto before = Listing(dir.path());
    const auto outcome = RunConverter(d.convert, dir.File("source"), dir.File("dest"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.printed, "");
    EXPECT_EQ(ReadBytes(dir.File("dest")), previous);
    EXPECT_EQ(Listing(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(AllConverters, BadInputs,
                         testing::Combine(testing::ValuesIn(kDirections),
                                          testing::ValuesIn(kBadInputs)),
                         [](const testing::TestParamInfo<std::tuple<Direction, BadInput>>& p) {
                             return std::string(std::get<0>(p.param).name) + "_" +
                                    std::get<1>(p.param).name;
                         });

class Destinations : public testing::TestWithParam<Direction> {
  protected:
    std::string ValidSource() {
        const Direction& d = GetParam();
        const bool fromBmp = d.convert == Bmp2Jpg || d.convert == Bmp2Tif || d.convert == Bmp2Png;
        ValidFile(fromBmp ? "bmp" : d.inputExt, dir);
        return dir.File(std::string("valid.") + (fromBmp ? "bmp" : d.inputExt));
    }
    ScratchDir dir;
};

TEST_P(Destinations, MissingSourceFails) {
    const auto outcome = RunConverter(GetParam().convert, dir.File("absent"), dir.File("dest"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.printed, "");
    EXPECT_FALSE(TestSupport::FileExists(dir.File("dest")));
}

TEST_P(Destinations, FolderThatDoesNotExistFails) {
    const auto outcome = RunConverter(GetParam().convert, ValidSource(), dir.File("no/such/dest"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.printed, "");
}

TEST_P(Destinations, DestinationThatIsAFolderFailsAndLeavesNothing) {
    const std::string source = ValidSource();
    std::filesystem::create_directory(dir.File("dest"));
    const auto before = Listing(dir.path());
    const auto outcome = RunConverter(GetParam().convert, source, dir.File("dest"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(Listing(dir.path()), before);
}

TEST_P(Destinations, ReadOnlyFolderFails) {
#ifdef _WIN32
    GTEST_SKIP() << "a folder's POSIX mode bits do not stop writing on Windows";
#else
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    const std::string source = ValidSource();
    std::filesystem::create_directory(dir.File("locked"));
    ASSERT_EQ(chmod(dir.File("locked").c_str(), 0555), 0);
    const auto outcome = RunConverter(GetParam().convert, source, dir.File("locked/dest"));
    chmod(dir.File("locked").c_str(), 0755);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.printed, "");
#endif
}

TEST_P(Destinations, NullPathsFail) {
    EXPECT_FALSE(GetParam().convert(nullptr, dir.File("dest").c_str()));
    EXPECT_FALSE(GetParam().convert(ValidSource().c_str(), nullptr));
}

INSTANTIATE_TEST_SUITE_P(AllConverters, Destinations, testing::ValuesIn(kDirections),
                         [](const testing::TestParamInfo<Direction>& p) { return p.param.name; });

// Files of another format handed to each reader.
TEST(Mislabelled, EveryReaderRefusesTheOtherFormats) {
    ScratchDir dir;
    const std::map<std::string, Converter> readers = {
        {"jpg", Jpg2Bmp}, {"tif", Tif2Bmp}, {"png", Png2Bmp}, {"bmp", Bmp2Png}};
    for (const auto& reader : readers) {
        for (const std::string ext : {"jpg", "tif", "png", "bmp"}) {
            if (ext == reader.first) {
                continue;
            }
            ValidFile(ext, dir);
            const auto outcome =
                RunConverter(reader.second, dir.File("valid." + ext), dir.File("dest"));
            EXPECT_FALSE(outcome.ok) << ext << " read as " << reader.first;
            EXPECT_EQ(outcome.printed, "");
            EXPECT_FALSE(TestSupport::FileExists(dir.File("dest")));
        }
    }
}

// ---- absurd dimensions, declared in otherwise well-formed headers

void Put32Be(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v >> 24);
    b[at + 1] = static_cast<uint8_t>(v >> 16);
    b[at + 2] = static_cast<uint8_t>(v >> 8);
    b[at + 3] = static_cast<uint8_t>(v);
}

TEST(AbsurdSize, PngOf65535ColumnsIsRefused) {
    ScratchDir dir;
    const std::vector<uint8_t> valid = ValidFile("png", dir);
    std::vector<uint8_t> bytes = valid;
    Put32Be(bytes, 16, 65535);  // IHDR width; the CRC no longer matches
    // Recompute the IHDR CRC so that only the size is wrong.
    const uint32_t crc =
        static_cast<uint32_t>(crc32(0, bytes.data() + 12, 17));  // type + 13 data bytes
    Put32Be(bytes, 29, crc);
    WriteBytes(dir.File("wide.png"), bytes);
    const auto outcome = RunConverter(Png2Bmp, dir.File("wide.png"), dir.File("out.bmp"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.printed, "");
    EXPECT_FALSE(TestSupport::FileExists(dir.File("out.bmp")));
}

TEST(AbsurdSize, JpegWhoseBitmapWouldOverflowIsRefused) {
    ScratchDir dir;
    std::vector<uint8_t> bytes = ValidFile("jpg", dir);
    // SOF0 marker: FF C0, length (2), precision (1), height (2), width (2).
    for (size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = 0xFF;  // height 65500
            bytes[i + 6] = 0xDC;
            bytes[i + 7] = 0xFF;  // width 65500
            bytes[i + 8] = 0xDC;
            break;
        }
    }
    WriteBytes(dir.File("huge.jpg"), bytes);
    const auto outcome = RunConverter(Jpg2Bmp, dir.File("huge.jpg"), dir.File("out.bmp"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.printed, "");
}

TEST(AbsurdSize, TiffOf65535RowsIsRefused) {
    ScratchDir dir;
    PictconvTest::TiffLayout params;
    params.photometric = PHOTOMETRIC_MINISBLACK;
    params.samplesPerPixel = 1;
    params.compression = COMPRESSION_PACKBITS;
    std::vector<std::vector<uint8_t>> rows(65535, std::vector<uint8_t>(1, 255));
    PictconvTest::WriteTiff(dir.File("tall.tif"), 1, 65535, params, rows);
    const auto outcome = RunConverter(Tif2Bmp, dir.File("tall.tif"), dir.File("out.bmp"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.printed, "");
}

TEST(AbsurdSize, BmpBeyondTheLimitsIsRefused) {
    ScratchDir dir;
    WriteBytes(dir.File("wide.bmp"), TestSupport::BmpFileBytes(70000, 1, 24, 0, 54, 210000));
    const auto outcome = RunConverter(Bmp2Png, dir.File("wide.bmp"), dir.File("out.png"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.printed, "");
}

TEST(EmptyPicture, BmpWithoutPixelsIsRefused) {
    ScratchDir dir;
    WriteBytes(dir.File("empty.bmp"), TestSupport::BmpFileBytes(0, 0, 24, 0, 54, 0));
    for (Converter c : {Bmp2Jpg, Bmp2Png, Bmp2Tif}) {
        EXPECT_FALSE(RunConverter(c, dir.File("empty.bmp"), dir.File("out")).ok);
        EXPECT_FALSE(TestSupport::FileExists(dir.File("out")));
    }
}

// A 2 x 2 8-bit grey TIFF in one strip of four bytes whose compression tag
// says `compression`.
std::vector<uint8_t> GreyTiffClaiming(uint16_t compression) {
    struct Entry {
        uint16_t tag, type;
        uint32_t value;
    };
    constexpr uint16_t kShort = 3, kLong = 4;
    constexpr uint32_t kStripOffset = 8 + 2 + 9 * 12 + 4;
    const Entry entries[] = {
        {256, kShort, 2},           {257, kShort, 2}, {258, kShort, 8},
        {259, kShort, compression}, {262, kShort, 1}, {273, kLong, kStripOffset},
        {277, kShort, 1},           {278, kShort, 2}, {279, kLong, 4}};
    std::vector<uint8_t> bytes = {'I', 'I', 42, 0, 8, 0, 0, 0, 9, 0};
    const auto put = [&bytes](uint32_t v, int size) {
        for (int i = 0; i < size; ++i) {
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    };
    for (const Entry& e : entries) {
        put(e.tag, 2);
        put(e.type, 2);
        put(1, 4);
        put(e.value, 4);
    }
    put(0, 4);
    put(0x40C08000u, 4);
    return bytes;
}

// Compressions Debian's libtiff decodes through libraries the Windows build
// leaves out, and one that no build here has: a file that uses one this
// build lacks is refused like any unreadable file.
struct Codec {
    const char* name;
    uint16_t compression;
};

class MissingTiffCodec : public testing::TestWithParam<Codec> {};

TEST_P(MissingTiffCodec, IsRefusedQuietlyAndKeepsTheDestination) {
    if (TIFFIsCODECConfigured(GetParam().compression) == 1) {
        GTEST_SKIP() << "this build of libtiff has the codec";
    }
    ScratchDir dir;
    WriteBytes(dir.File("in.tif"), GreyTiffClaiming(GetParam().compression));
    WriteBytes(dir.File("out.bmp"), {'o', 'l', 'd'});
    const auto outcome = RunConverter(Tif2Bmp, dir.File("in.tif"), dir.File("out.bmp"));
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.printed, "");
    EXPECT_EQ(ReadBytes(dir.File("out.bmp")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"in.tif", "out.bmp"}));
}

INSTANTIATE_TEST_SUITE_P(Compressions, MissingTiffCodec,
                         testing::Values(Codec{"Zstd", COMPRESSION_ZSTD},
                                         Codec{"Webp", COMPRESSION_WEBP},
                                         Codec{"Lzma", COMPRESSION_LZMA},
                                         Codec{"Lerc", COMPRESSION_LERC},
                                         Codec{"Jbig", COMPRESSION_JBIG}, Codec{"Jpeg2000", 34712}),
                         [](const testing::TestParamInfo<Codec>& p) { return p.param.name; });

}  // namespace
