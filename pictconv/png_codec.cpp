// PNG through libpng.
//
// libpng reports errors by calling our error function, which returns to the
// library's setjmp point with png_longjmp and prints nothing; warnings are
// dropped. As with JPEG, setjmp lives only in methods of PngReader and
// PngWriter that own no objects with destructors; buffers belong to their
// callers.
//
// Decoding normalises every PNG to 8-bit blue, green, red, alpha with
// libpng's transformations (palette and low-bit grey expanded, tRNS turned
// into alpha, 16-bit channels scaled, grey copied to three channels, an
// opaque alpha added where there is none) and then composites each pixel
// over white into the page: out = (c x a + 255 x (255 - a) + 127) / 255, so
// a transparent background comes out as paper. Non-interlaced files are read
// one row at a time; interlaced ones need the whole image in memory, since
// every pass revisits every row. No gamma correction is applied: page
// pictures are taken to be in the display's colour space already.
//
// The description is read from the header before the transformations are
// set up (they rewrite the header's colour type, depth and transparency).
// The chunks after the image data are read too (png_read_end), for the
// metadata (png_metadata.h), which a written page carries before its data.
// Writing in kind hands libpng one sample per byte for bilevel and
// colour-mapped pages and lets png_set_packing pack them to the bit depth.
#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "pictconv/codecs.h"
#include "pictconv/kind_samples.h"
#include "pictconv/page.h"
#include "pictconv/png_metadata.h"

namespace Pictconv {

using BmpBase::CBitmap24;

namespace {

constexpr int kOutputChannels = 4;
// zlib effort for written PNGs: on a noisy 300-dpi scan level 3 takes a third
// of the time of the default 6 for files about 15% larger.
constexpr int kZlibLevel = 3;
constexpr double kMetresPerCentimetre = 0.01;
// The most libpng may allocate at once while reading. libpng allocates the
// size an ancillary chunk declares before it reads the chunk, so a few
// hostile bytes could make it ask for 2 GB. Nothing a real file needs comes
// near this: a row of a 16-bit RGBA picture at the width limit is half a
// megabyte, and libpng refuses profile and text chunks beyond 8 MB. A
// refused allocation is libpng's "out of memory" for that chunk.
constexpr png_alloc_size_t kMaxPngAllocation = 64u << 20;

extern "C" png_voidp PngMalloc(png_structp, png_alloc_size_t size) {
    return size <= kMaxPngAllocation ? std::malloc(size) : nullptr;
}

extern "C" void PngFree(png_structp, png_voidp block) {
    std::free(block);
}

extern "C" void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

extern "C" void PngWarning(png_structp, png_const_charp) {}

uint8_t OverWhite(unsigned colour, unsigned alpha) {
    return static_cast<uint8_t>((colour * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

// True when a pixel of the row was not opaque.
bool CompositeRow(const uint8_t* bgra, uint8_t* out, uint32_t width) {
    bool composited = false;
    for (uint32_t c = 0; c < width; ++c, bgra += 4, out += 3) {
        const unsigned alpha = bgra[3];
        if (alpha == 255) {
            out[0] = bgra[0];
            out[1] = bgra[1];
            out[2] = bgra[2];
        } else {
            out[0] = OverWhite(bgra[0], alpha);
            out[1] = OverWhite(bgra[1], alpha);
            out[2] = OverWhite(bgra[2], alpha);
            composited = true;
        }
    }
    return composited;
}

PageKind KindOf(int colorType, int bitDepth) {
    switch (colorType) {
        case PNG_COLOR_TYPE_GRAY:
            return bitDepth == 1 ? PageKind::kBilevel : PageKind::kGrey;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return PageKind::kGrey;
        case PNG_COLOR_TYPE_PALETTE:
            return PageKind::kPalette;
        default:
            return PageKind::kRgb;
    }
}

class PngReader {
  public:
    PngReader() = default;
    ~PngReader() {
        if (png_ != nullptr) {
            png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
        }
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    // Opens the file and reads everything up to the image data.
    bool Open(const char* path) {
        file_ = std::fopen(path, "rb");
        if (file_ == nullptr) {
            return false;
        }
        png_ = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning,
                                        nullptr, PngMalloc, PngFree);
        if (png_ == nullptr) {
            return false;
        }
        info_ = png_create_info_struct(png_);
        if (info_ == nullptr) {
            return false;
        }
        if (setjmp(png_jmpbuf(png_)) != 0) {
            return false;
        }
        png_init_io(png_, file_);
        png_read_info(png_, info_);
        return true;
    }

    // The header as stored, read with libpng's getters (which never raise
    // an error); before Transform.
    void Describe(PageDescription& d) const {
        const int colorType = png_get_color_type(png_, info_);
        const int bitDepth = png_get_bit_depth(png_, info_);
        d = PageDescription();
        d.kind = KindOf(colorType, bitDepth);
        d.bitsPerSample = static_cast<uint16_t>(bitDepth);
        if (bitDepth == 16) {
            d.changes |= kReducedTo8Bits;
        }
        png_colorp entries = nullptr;
        int count = 0;
        if (colorType == PNG_COLOR_TYPE_PALETTE &&
            png_get_PLTE(png_, info_, &entries, &count) != 0) {
            png_bytep alphas = nullptr;
            int alphaCount = 0;
            if (png_get_tRNS(png_, info_, &alphas, &alphaCount, nullptr) == 0 ||
                alphas == nullptr) {
                alphaCount = 0;
            }
            for (int i = 0; i < count; ++i) {
                const unsigned alpha = i < alphaCount ? alphas[i] : 255u;
                d.palette.push_back({OverWhite(entries[i].red, alpha),
                                     OverWhite(entries[i].green, alpha),
                                     OverWhite(entries[i].blue, alpha)});
            }
        }
        png_uint_32 x = 0, y = 0;
        int unit = PNG_RESOLUTION_UNKNOWN;
        if (png_get_pHYs(png_, info_, &x, &y, &unit) != 0) {
            const bool metres = unit == PNG_RESOLUTION_METER;
            d.xResolution = metres ? x * kMetresPerCentimetre : x;
            d.yResolution = metres ? y * kMetresPerCentimetre : y;
            d.resolutionUnit = metres ? ResolutionUnit::kCentimetre : ResolutionUnit::kNone;
        }
    }

    // Sets up the transformations to 8-bit BGRA.
    bool Transform() {
        if (setjmp(png_jmpbuf(png_)) != 0) {
            return false;
        }
        png_set_expand(png_);
        png_set_scale_16(png_);
        png_set_gray_to_rgb(png_);
        png_set_bgr(png_);
        png_set_add_alpha(png_, 0xFF, PNG_FILLER_AFTER);
        passes_ = png_set_interlace_handling(png_);
        png_read_update_info(png_, info_);
        return png_get_bit_depth(png_, info_) == 8 &&
               png_get_channels(png_, info_) == kOutputChannels;
    }

    uint32_t Width() const { return png_get_image_width(png_, info_); }
    uint32_t Height() const { return png_get_image_height(png_, info_); }
    bool Interlaced() const { return passes_ > 1; }
    // A pixel read so far was not opaque and was composited over white.
    bool Composited() const { return composited_; }

    // Resolution in pixels per metre, 0 when absent or not in metres.
    void Resolution(int32_t& xPpm, int32_t& yPpm) const {
        png_uint_32 x = 0, y = 0;
        int unit = PNG_RESOLUTION_UNKNOWN;
        xPpm = yPpm = 0;
        if (png_get_pHYs(png_, info_, &x, &y, &unit) != 0 && unit == PNG_RESOLUTION_METER &&
            x <= INT32_MAX && y <= INT32_MAX) {
            xPpm = static_cast<int32_t>(x);
            yPpm = static_cast<int32_t>(y);
        }
    }

    // Non-interlaced: decodes row by row through `row` (4 x width bytes).
    bool ReadByRows(CBitmap24& page, uint8_t* row) {
        if (setjmp(png_jmpbuf(png_)) != 0) {
            return false;
        }
        for (uint32_t r = 0; r < page.height; ++r) {
            png_read_row(png_, row, nullptr);
            composited_ = CompositeRow(row, TopRow(page, r), page.width) || composited_;
        }
        return true;
    }

    // Interlaced: decodes the whole image into `rows` (height pointers to
    // rows of 4 x width bytes), then composites.
    bool ReadWhole(CBitmap24& page, uint8_t** rows) {
        if (setjmp(png_jmpbuf(png_)) != 0) {
            return false;
        }
        png_read_image(png_, rows);
        for (uint32_t r = 0; r < page.height; ++r) {
            composited_ = CompositeRow(rows[r], TopRow(page, r), page.width) || composited_;
        }
        return true;
    }

    // Reads the chunks after the image data into the info. A file that
    // ends early or is damaged there loses only those chunks: its pixels
    // are whole already.
    void ReadEnd() {
        if (setjmp(png_jmpbuf(png_)) != 0) {
            return;
        }
        png_read_end(png_, info_);
    }

    // The metadata gathered so far (png_metadata.h).
    void Metadata(PageMetadata& metadata) const { ReadPngMetadata(png_, info_, metadata); }

  private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    std::FILE* file_ = nullptr;
    int passes_ = 1;
    bool composited_ = false;
};

// How a page is stored in a written PNG. Rows go to libpng as stored (blue,
// green, red) without `samples`, else as one sample per byte from it.
struct PngLayout {
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    const png_color* palette = nullptr;  // PNG_COLOR_TYPE_PALETTE
    int paletteSize = 0;
    KindSamples* samples = nullptr;
};

class PngWriter {
  public:
    PngWriter() = default;
    ~PngWriter() {
        if (png_ != nullptr) {
            png_destroy_write_struct(&png_, info_ != nullptr ? &info_ : nullptr);
        }
    }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // Writes `page` to `out` as `layout` says; `sampleRow` has room for one
    // row of samples when the layout has them.
    // `chunks` are the metadata's text chunks (PngTextChunks).
    bool Write(const CBitmap24& page, std::FILE* out, const PngLayout& layout, uint8_t* sampleRow,
               const PageMetadata& metadata, std::vector<png_text>& chunks) {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
        if (png_ == nullptr) {
            return false;
        }
        info_ = png_create_info_struct(png_);
        if (info_ == nullptr) {
            return false;
        }
        if (setjmp(png_jmpbuf(png_)) != 0) {
            return false;
        }
        png_init_io(png_, out);
        png_set_IHDR(png_, info_, page.width, page.height, layout.bitDepth, layout.colorType,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (layout.palette != nullptr) {
            png_set_PLTE(png_, info_, layout.palette, layout.paletteSize);
        }
        if (XPpm(page) > 0 && YPpm(page) > 0) {
            png_set_pHYs(png_, info_, static_cast<png_uint_32>(XPpm(page)),
                         static_cast<png_uint_32>(YPpm(page)), PNG_RESOLUTION_METER);
        }
        WritePngMetadata(png_, info_, metadata, chunks);
        png_set_compression_level(png_, kZlibLevel);
        png_write_info(png_, info_);
        if (layout.samples == nullptr) {
            png_set_bgr(png_);
        } else if (layout.bitDepth < 8) {
            png_set_packing(png_);
        }
        for (uint32_t r = 0; r < page.height; ++r) {
            const uint8_t* source = TopRow(page, r);
            if (layout.samples != nullptr) {
                layout.samples->Row(source, page.width, sampleRow);
                png_write_row(png_, sampleRow);
            } else {
                png_write_row(png_, source);
            }
        }
        png_write_end(png_, nullptr);
        return true;
    }

  private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

}  // namespace

bool DecodePng(const char* path, CBitmap24& page, PageDescription& description) {
    PngReader reader;
    if (!reader.Open(path)) {
        return false;
    }
    reader.Describe(description);
    if (!reader.Transform()) {
        return false;
    }
    int32_t xPpm = 0, yPpm = 0;
    reader.Resolution(xPpm, yPpm);
    if (!NewPage(page, reader.Height(), reader.Width(), xPpm, yPpm)) {
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(kOutputChannels) * page.width;
    bool ok = false;
    if (!reader.Interlaced()) {
        std::vector<uint8_t> row(rowBytes);
        ok = reader.ReadByRows(page, row.data());
    } else {
        std::vector<uint8_t> image(rowBytes * page.height);
        std::vector<uint8_t*> rows(page.height);
        for (uint32_t r = 0; r < page.height; ++r) {
            rows[r] = image.data() + rowBytes * r;
        }
        ok = reader.ReadWhole(page, rows.data());
    }
    if (reader.Composited()) {
        description.changes |= kAlphaFlattened;
    }
    if (ok) {
        reader.ReadEnd();
    }
    reader.Metadata(description.metadata);
    return ok;
}

bool DecodePng(const char* path, CBitmap24& page) {
    PageDescription unused;
    return DecodePng(path, page, unused);
}

bool EncodePng(const CBitmap24& page, std::FILE* out, const PageDescription& kind) {
    PngLayout layout;
    std::vector<png_color> entries;
    switch (kind.kind) {
        case PageKind::kBilevel:
            layout.colorType = PNG_COLOR_TYPE_GRAY;
            layout.bitDepth = 1;
            break;
        case PageKind::kGrey:
            layout.colorType = PNG_COLOR_TYPE_GRAY;
            break;
        case PageKind::kPalette:
            // No depth holds an empty palette or one of more than 256
            // entries: the page is written as RGB.
            layout.bitDepth = IndexDepth(kind.palette.size(), {1, 2, 4, 8});
            if (layout.bitDepth == 0) {
                layout.bitDepth = 8;
                break;
            }
            layout.colorType = PNG_COLOR_TYPE_PALETTE;
            for (const PaletteEntry& e : kind.palette) {
                entries.push_back({e.red, e.green, e.blue});
            }
            layout.palette = entries.data();
            layout.paletteSize = static_cast<int>(entries.size());
            break;
        case PageKind::kRgb:
            break;
    }
    KindSamples samples(kind);
    std::vector<uint8_t> sampleRow;
    if (layout.colorType != PNG_COLOR_TYPE_RGB) {
        layout.samples = &samples;
        sampleRow.resize(page.width);
    }
    std::vector<png_text> chunks = PngTextChunks(kind.metadata);
    PngWriter writer;
    return writer.Write(page, out, layout, sampleRow.data(), kind.metadata, chunks);
}

bool EncodePng(const CBitmap24& page, std::FILE* out) {
    PageDescription kind;
    kind.kind = IsGreyPage(page) ? PageKind::kGrey : PageKind::kRgb;
    return EncodePng(page, out, kind);
}

}  // namespace Pictconv
