// The writing side of multi-page TIFF (tiff_pages.h). Each page is one
// directory of the new file: the tags first (the compression before the
// codec's own tags, which only exist once it is set), then the data, then
// TIFFWriteDirectory.

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "pictconv/atomic_output.h"
#include "pictconv/codecs.h"
#include "pictconv/kind_samples.h"
#include "pictconv/page.h"
#include "pictconv/tiff_metadata.h"
#include "pictconv/tiff_pages.h"

namespace Pictconv {

using BmpBase::CBitmap24;

namespace {

// A carried strip or tile larger than this is refused rather than held in
// memory (the reader's own cap on one block).
constexpr uint64_t kMaxRawBlockBytes = uint64_t{1} << 30;

template <typename T>
void CopyTag(TIFF* in, TIFF* out, uint32_t tag) {
    T value{};
    if (TIFFGetField(in, tag, &value) == 1) {
        TIFFSetField(out, tag, value);
    }
}

template <typename T>
void CopyPair(TIFF* in, TIFF* out, uint32_t tag) {
    T first{}, second{};
    if (TIFFGetField(in, tag, &first, &second) == 1) {
        TIFFSetField(out, tag, first, second);
    }
}

// Tags whose value is a count and a block of bytes (or of samples).
template <typename Count>
void CopyBlock(TIFF* in, TIFF* out, uint32_t tag) {
    Count count = 0;
    void* data = nullptr;
    if (TIFFGetField(in, tag, &count, &data) == 1 && data != nullptr) {
        TIFFSetField(out, tag, count, data);
    }
}

bool HasPredictor(uint16_t compression) {
    return compression == COMPRESSION_LZW || compression == COMPRESSION_ADOBE_DEFLATE ||
           compression == COMPRESSION_DEFLATE || compression == COMPRESSION_ZSTD ||
           compression == COMPRESSION_LZMA;
}

// Where a page stands in its file, kept on every page (what it says about
// itself is its metadata: tiff_metadata.h).
void CopyPageTags(TIFF* in, TIFF* out) {
    CopyTag<uint32_t>(in, out, TIFFTAG_SUBFILETYPE);
    CopyPair<uint16_t>(in, out, TIFFTAG_PAGENUMBER);
}

// The tags that describe a page's stored data, so that its raw strips or
// tiles mean the same in the new file.
void CopyDataTags(TIFF* in, TIFF* out) {
    CopyTag<uint32_t>(in, out, TIFFTAG_IMAGEWIDTH);
    CopyTag<uint32_t>(in, out, TIFFTAG_IMAGELENGTH);
    for (const uint32_t tag :
         {TIFFTAG_BITSPERSAMPLE, TIFFTAG_SAMPLESPERPIXEL, TIFFTAG_COMPRESSION, TIFFTAG_PHOTOMETRIC,
          TIFFTAG_PLANARCONFIG, TIFFTAG_FILLORDER, TIFFTAG_ORIENTATION, TIFFTAG_SAMPLEFORMAT,
          TIFFTAG_YCBCRPOSITIONING, TIFFTAG_INKSET, TIFFTAG_MINSAMPLEVALUE, TIFFTAG_MAXSAMPLEVALUE,
          TIFFTAG_THRESHHOLDING, TIFFTAG_RESOLUTIONUNIT}) {
        CopyTag<uint16_t>(in, out, tag);
    }
    for (const uint32_t tag :
         {TIFFTAG_XRESOLUTION, TIFFTAG_YRESOLUTION, TIFFTAG_XPOSITION, TIFFTAG_YPOSITION}) {
        CopyTag<float>(in, out, tag);
    }
    for (const uint32_t tag : {TIFFTAG_YCBCRCOEFFICIENTS, TIFFTAG_REFERENCEBLACKWHITE,
                               TIFFTAG_WHITEPOINT, TIFFTAG_PRIMARYCHROMATICITIES}) {
        CopyTag<float*>(in, out, tag);
    }
    CopyBlock<uint16_t>(in, out, TIFFTAG_EXTRASAMPLES);
    CopyPair<uint16_t>(in, out, TIFFTAG_YCBCRSUBSAMPLING);
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (TIFFGetField(in, TIFFTAG_COLORMAP, &red, &green, &blue) == 1) {
        TIFFSetField(out, TIFFTAG_COLORMAP, red, green, blue);
    }
    if (TIFFIsTiled(in)) {
        CopyTag<uint32_t>(in, out, TIFFTAG_TILEWIDTH);
        CopyTag<uint32_t>(in, out, TIFFTAG_TILELENGTH);
    } else {
        uint32_t rows = 0;
        TIFFGetFieldDefaulted(in, TIFFTAG_ROWSPERSTRIP, &rows);
        TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, rows);
    }
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(in, TIFFTAG_COMPRESSION, &compression);
    if (HasPredictor(compression)) {
        CopyTag<uint16_t>(in, out, TIFFTAG_PREDICTOR);
    } else if (compression == COMPRESSION_CCITTFAX3 && in != nullptr) {
        CopyTag<uint32_t>(in, out, TIFFTAG_GROUP3OPTIONS);
    } else if (compression == COMPRESSION_CCITTFAX4) {
        CopyTag<uint32_t>(in, out, TIFFTAG_GROUP4OPTIONS);
    } else if (compression == COMPRESSION_JPEG) {
        CopyBlock<uint32_t>(in, out, TIFFTAG_JPEGTABLES);
    }
}

// Copies the stored strips or tiles of the page at `in` unchanged.
bool CopyRawData(TIFF* in, TIFF* out) {
    const bool tiled = TIFFIsTiled(in) != 0;
    const uint32_t blocks = tiled ? TIFFNumberOfTiles(in) : TIFFNumberOfStrips(in);
    std::vector<uint8_t> buffer;
    for (uint32_t b = 0; b < blocks; ++b) {
        const uint64_t size = TIFFGetStrileByteCount(in, b);
        if (size == 0) {
            continue;  // a block the input never wrote stays unwritten
        }
        if (size > kMaxRawBlockBytes) {
            return false;
        }
        buffer.resize(static_cast<size_t>(size));
        const tmsize_t got = tiled ? TIFFReadRawTile(in, b, buffer.data(), buffer.size())
                                   : TIFFReadRawStrip(in, b, buffer.data(), buffer.size());
        if (got <= 0) {
            return false;
        }
        const tmsize_t put = tiled ? TIFFWriteRawTile(out, b, buffer.data(), got)
                                   : TIFFWriteRawStrip(out, b, buffer.data(), got);
        if (put != got) {
            return false;
        }
    }
    return true;
}

bool Suits(PageKind kind, uint16_t compression) {
    switch (compression) {
        case COMPRESSION_NONE:
        case COMPRESSION_PACKBITS:
        case COMPRESSION_LZW:
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE:
            return true;
        case COMPRESSION_CCITTFAX3:
        case COMPRESSION_CCITTFAX4:
            return kind == PageKind::kBilevel;
        case COMPRESSION_JPEG:
            return kind == PageKind::kGrey || kind == PageKind::kRgb;
        default:
            return false;
    }
}

// The compression a new page of `d` is written with (see tiff_pages.h).
uint16_t CompressionFor(const PageDescription& d) {
    const uint16_t wanted = d.compression == COMPRESSION_OJPEG ? COMPRESSION_JPEG : d.compression;
    if (Suits(d.kind, wanted) && TIFFIsCODECConfigured(wanted) == 1) {
        return wanted;
    }
    return d.kind == PageKind::kBilevel ? COMPRESSION_CCITTFAX4 : COMPRESSION_LZW;
}

uint16_t IndexBits(const PageDescription& d) {
    uint16_t bits = d.bitsPerSample;
    if (bits != 1 && bits != 2 && bits != 4) {
        bits = 8;
    }
    while ((size_t{1} << bits) < d.palette.size()) {
        bits *= 2;
    }
    return bits;
}

// Sets `count` bits of `value` at sample `c` of a packed row.
void PutBits(std::vector<uint8_t>& row, uint32_t c, uint16_t bits, unsigned value) {
    const size_t bit = static_cast<size_t>(c) * bits;
    row[bit / 8] |= static_cast<uint8_t>(value << (8 - bits - bit % 8));
}

// Packs the picture's rows (already of the page's kind) into TIFF samples:
// one byte a sample from KindSamples, bits packed here for the 1-bit and
// index depths, bilevel ink as 1 when min-is-white and 0 otherwise.
class RowPacker {
  public:
    RowPacker(const PageDescription& d, bool minIsWhite, uint16_t bits)
        : d_(d), samples_(d), minIsWhite_(minIsWhite), bits_(bits) {}

    void Pack(const uint8_t* px, uint32_t width, std::vector<uint8_t>& row) {
        if (d_.kind == PageKind::kRgb) {
            for (uint32_t c = 0; c < width; ++c, px += 3) {
                row[3 * c] = px[2];
                row[3 * c + 1] = px[1];
                row[3 * c + 2] = px[0];
            }
            return;
        }
        if (d_.kind == PageKind::kGrey) {
            samples_.Row(px, width, row.data());
            return;
        }
        one_.resize(width);
        samples_.Row(px, width, one_.data());
        std::fill(row.begin(), row.end(), 0);
        for (uint32_t c = 0; c < width; ++c) {
            // KindSamples gives bilevel paper as 1.
            const unsigned value =
                d_.kind == PageKind::kBilevel && minIsWhite_ ? 1u - one_[c] : one_[c];
            PutBits(row, c, bits_, value);
        }
    }

  private:
    const PageDescription& d_;
    KindSamples samples_;
    bool minIsWhite_;
    uint16_t bits_;
    std::vector<uint8_t> one_;
};

void SetResolution(TIFF* out, const PageDescription& d) {
    if (d.xResolution > 0.0 && d.yResolution > 0.0) {
        TIFFSetField(out, TIFFTAG_RESOLUTIONUNIT, static_cast<uint16_t>(d.resolutionUnit));
        TIFFSetField(out, TIFFTAG_XRESOLUTION, d.xResolution);
        TIFFSetField(out, TIFFTAG_YRESOLUTION, d.yResolution);
    }
}

// Writes `picture`, already reduced to its description's kind, as a new
// page of that kind with the description's metadata, linked to the EXIF
// directory at `exifOffset` (0: none); `in` is the
// input page it replaces, or null for a page that comes from another format
// (bilevel is then min-is-white, as fax and scanner files store it).
bool WriteNewPage(TIFF* in, TIFF* out, const CBitmap24& picture, PageDescription d,
                  uint64_t exifOffset) {
    // A palette of more entries than 8-bit indexes hold is written as RGB,
    // as the other formats do.
    if (d.kind == PageKind::kPalette && (d.palette.empty() || d.palette.size() > 256)) {
        d.kind = PageKind::kRgb;
    }
    const uint16_t compression = CompressionFor(d);
    uint16_t inputPhotometric = PHOTOMETRIC_MINISWHITE;
    if (in != nullptr) {
        TIFFGetField(in, TIFFTAG_PHOTOMETRIC, &inputPhotometric);
    }
    const bool minIsWhite = inputPhotometric == PHOTOMETRIC_MINISWHITE;
    uint16_t bits = 8, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    switch (d.kind) {
        case PageKind::kBilevel:
            bits = 1;
            photometric = minIsWhite ? PHOTOMETRIC_MINISWHITE : PHOTOMETRIC_MINISBLACK;
            break;
        case PageKind::kGrey:
            break;
        case PageKind::kPalette:
            bits = IndexBits(d);
            photometric = PHOTOMETRIC_PALETTE;
            break;
        case PageKind::kRgb:
            samples = 3;
            photometric = compression == COMPRESSION_JPEG ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_RGB;
            break;
    }
    TIFFSetField(out, TIFFTAG_IMAGEWIDTH, picture.width);
    TIFFSetField(out, TIFFTAG_IMAGELENGTH, picture.height);
    TIFFSetField(out, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(out, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(out, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(out, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(out, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(out, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    if (compression == COMPRESSION_JPEG) {
        TIFFSetField(out, TIFFTAG_JPEGQUALITY, kJpegQuality);
        if (photometric == PHOTOMETRIC_YCBCR) {
            TIFFSetField(out, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        }
    } else if (HasPredictor(compression) && bits == 8 && photometric != PHOTOMETRIC_PALETTE) {
        TIFFSetField(out, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    } else if (compression == COMPRESSION_CCITTFAX3 && in != nullptr) {
        CopyTag<uint32_t>(in, out, TIFFTAG_GROUP3OPTIONS);
    }
    const bool fax = compression == COMPRESSION_CCITTFAX3 || compression == COMPRESSION_CCITTFAX4;
    TIFFSetField(out, TIFFTAG_ROWSPERSTRIP, fax ? picture.height : TIFFDefaultStripSize(out, 0));
    std::vector<uint16_t> map[3];
    if (d.kind == PageKind::kPalette) {
        for (auto& channel : map) {
            channel.assign(size_t{1} << bits, 0);
        }
        for (size_t i = 0; i < d.palette.size(); ++i) {
            map[0][i] = static_cast<uint16_t>(d.palette[i].red * 257);
            map[1][i] = static_cast<uint16_t>(d.palette[i].green * 257);
            map[2][i] = static_cast<uint16_t>(d.palette[i].blue * 257);
        }
        TIFFSetField(out, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
    }
    SetResolution(out, d);
    if (in != nullptr) {
        CopyPageTags(in, out);
    }
    SetTiffMetadata(out, d.metadata, exifOffset);
    // A fresh row for every scanline: the predictor differences the row
    // buffer in place.
    std::vector<uint8_t> row((static_cast<size_t>(picture.width) * bits * samples + 7) / 8);
    RowPacker packer(d, minIsWhite, bits);
    for (uint32_t r = 0; r < picture.height; ++r) {
        packer.Pack(TopRow(picture, r), picture.width, row);
        if (TIFFWriteScanline(out, row.data(), r, 0) != 1) {
            return false;
        }
    }
    return true;
}

// Writes one page with `metadata` (the new page's, or the carried page's as
// read) and the EXIF directory written for it at `exifOffset`.
bool WritePage(TIFF* in, TIFF* out, const TiffPageOut& page, const PageMetadata& metadata,
               uint64_t exifOffset) {
    if (page.picture != nullptr) {
        ReduceToKind(*page.picture, page.description);
        return WriteNewPage(in, out, *page.picture, page.description, exifOffset);
    }
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(in, TIFFTAG_COMPRESSION, &compression);
    if (compression != COMPRESSION_OJPEG) {
        CopyDataTags(in, out);
        CopyPageTags(in, out);
        SetTiffMetadata(out, metadata, exifOffset);
        return CopyRawData(in, out);
    }
    // libtiff cannot write the old JPEG form: the page is written anew.
    CBitmap24 picture;
    PageDescription d = DescribeDirectory(in);
    d.metadata = metadata;
    if (!DecodeDirectory(in, picture)) {
        return false;
    }
    ReduceToKind(picture, d);
    return WriteNewPage(in, out, picture, d, exifOffset);
}

}  // namespace

bool WriteTiffPages(TiffPages& input, const std::vector<TiffPageOut>& pages, int fd,
                    const char* name) {
    const TiffOptions options = SilentOptions();
    TIFF* first = input.At(0);
    if (!options || first == nullptr) {
        CloseReleasedFd(fd);
        return false;
    }
    std::string mode = "w";
    mode += input.BigTiff() ? "8" : "";
    mode += TIFFIsBigEndian(first) != 0 ? "b" : "l";
    TiffHandle out(TIFFFdOpenExt(fd, name, mode.c_str(), options.get()));
    if (!out) {
        CloseReleasedFd(fd);
        return false;
    }
    for (const TiffPageOut& page : pages) {
        TIFF* in = input.At(page.source);
        PageMetadata carried;
        if (in == nullptr || (page.picture == nullptr && !ReadTiffMetadata(in, carried))) {
            return false;
        }
        const PageMetadata& metadata =
            page.picture != nullptr ? page.description.metadata : carried;
        uint64_t exifOffset = 0;
        if (!WriteTiffExifDirectory(out.get(), metadata, exifOffset) ||
            !WritePage(in, out.get(), page, metadata, exifOffset) ||
            TIFFWriteDirectory(out.get()) != 1) {
            return false;
        }
    }
    return TIFFFlush(out.get()) == 1;
}

bool EncodeTiffPage(const CBitmap24& picture, const PageDescription& description, int fd,
                    const char* name) {
    const TiffOptions options = SilentOptions();
    if (!options) {
        CloseReleasedFd(fd);
        return false;
    }
    TiffHandle out(TIFFFdOpenExt(fd, name, "w", options.get()));
    if (!out) {
        CloseReleasedFd(fd);
        return false;
    }
    uint64_t exifOffset = 0;
    return WriteTiffExifDirectory(out.get(), description.metadata, exifOffset) &&
           WriteNewPage(nullptr, out.get(), picture, description, exifOffset) &&
           TIFFWriteDirectory(out.get()) == 1 && TIFFFlush(out.get()) == 1;
}

}  // namespace Pictconv
