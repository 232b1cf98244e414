// JPEG through libjpeg-turbo.
//
// libjpeg reports a fatal error by calling the error manager's error_exit,
// whose default ends the process. Ours records nothing and jumps back with
// longjmp to the setjmp of the one method that made the library call. Those
// methods (of JpegReader and JpegWriter below) own no objects with
// destructors and touch only plain members, so the jump skips nothing but
// libjpeg's own C frames; every buffer is owned one level up, by the caller
// of the method. Warnings are silent, except the ones that mean pixels are
// missing (the data ended early, a bad Huffman code, a lost restart marker):
// those are treated as errors, so a truncated file is refused instead of
// being padded with grey.
//
// Decoding asks libjpeg-turbo for BGR output directly, which is the BMP's
// byte order, and reads scanlines straight into the page's rows, top row
// first. Greyscale is expanded to three equal channels; CMYK and YCCK come
// out as CMYK and are turned into RGB here: with the Adobe marker the
// channels are stored inverted (255 = no ink), which is how Adobe software
// writes them, otherwise 0 = no ink.
#include <csetjmp>
#include <cstdint>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include "pictconv/codecs.h"
#include "pictconv/kind_samples.h"
#include "pictconv/page.h"

namespace Pictconv {

using BmpBase::CBitmap24;

namespace {

constexpr int kDotsPerInchUnit = 1;
constexpr int kDotsPerCentimetreUnit = 2;
constexpr int kCentimetresPerMetre = 100;
constexpr JDIMENSION kRowsPerRead = 16;

struct JpegError {
    jpeg_error_mgr mgr;  // first member: libjpeg hands back its address
    std::jmp_buf jump;
};

JpegError* ErrorOf(j_common_ptr info) {
    return reinterpret_cast<JpegError*>(info->err);
}

// Warnings after which the picture is missing pixels.
bool WarningLosesData(int code) {
    return code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE ||
           code == JWRN_MUST_RESYNC || code == JWRN_NOT_SEQUENTIAL;
}

extern "C" void JpegErrorExit(j_common_ptr info) {
    std::longjmp(ErrorOf(info)->jump, 1);
}

extern "C" void JpegEmitMessage(j_common_ptr info, int level) {
    if (level < 0 && WarningLosesData(info->err->msg_code)) {
        std::longjmp(ErrorOf(info)->jump, 1);
    }
}

extern "C" void JpegOutputMessage(j_common_ptr) {}

void InstallErrorManager(JpegError& error) {
    jpeg_std_error(&error.mgr);
    error.mgr.error_exit = JpegErrorExit;
    error.mgr.emit_message = JpegEmitMessage;
    error.mgr.output_message = JpegOutputMessage;
}

int32_t PpmFromDensity(int unit, unsigned density) {
    if (unit == kDotsPerInchUnit) {
        return PpmFromDpi(density);
    }
    if (unit == kDotsPerCentimetreUnit) {
        return static_cast<int32_t>(density) * kCentimetresPerMetre;
    }
    return 0;
}

// The kind and density of the file as its header gives them.
void Describe(const jpeg_decompress_struct& header, PageDescription& d) {
    d = PageDescription();
    d.bitsPerSample = static_cast<uint16_t>(header.data_precision);
    switch (header.jpeg_color_space) {
        case JCS_GRAYSCALE:
            d.kind = PageKind::kGrey;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            d.changes |= kConvertedToRgb;
            break;
        default:
            break;
    }
    if (header.saw_JFIF_marker) {
        d.xResolution = header.X_density;
        d.yResolution = header.Y_density;
        d.resolutionUnit = header.density_unit == kDotsPerInchUnit ? ResolutionUnit::kInch
                           : header.density_unit == kDotsPerCentimetreUnit
                               ? ResolutionUnit::kCentimetre
                               : ResolutionUnit::kNone;
    }
}

uint8_t ClampByte(int v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

class JpegReader {
  public:
    JpegReader() { InstallErrorManager(error_); }
    ~JpegReader() {
        if (created_) {
            jpeg_destroy_decompress(&info_);
        }
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;

    // Opens the file and reads the header.
    bool Open(const char* path) {
        file_ = std::fopen(path, "rb");
        if (file_ == nullptr) {
            return false;
        }
        info_.err = &error_.mgr;
        if (setjmp(error_.jump) != 0) {
            return false;
        }
        created_ = true;
        jpeg_create_decompress(&info_);
        jpeg_stdio_src(&info_, file_);
        return jpeg_read_header(&info_, TRUE) == JPEG_HEADER_OK;
    }

    // Chooses the output colour space and starts decompression.
    bool Start() {
        if (setjmp(error_.jump) != 0) {
            return false;
        }
        switch (info_.jpeg_color_space) {
            case JCS_GRAYSCALE:
                info_.out_color_space = JCS_GRAYSCALE;
                break;
            case JCS_CMYK:
            case JCS_YCCK:
                info_.out_color_space = JCS_CMYK;
                break;
            default:
                info_.out_color_space = JCS_EXT_BGR;
                break;
        }
        return jpeg_start_decompress(&info_) != 0;
    }

    // Reads every scanline into `page`, through `scratch` (room for
    // kRowsPerRead rows of output_width x output_components bytes) unless
    // the output is BGR already.
    bool ReadRows(CBitmap24& page, uint8_t* scratch) {
        if (setjmp(error_.jump) != 0) {
            return false;
        }
        const JDIMENSION width = info_.output_width;
        const auto components = static_cast<JDIMENSION>(info_.output_components);
        JSAMPROW rows[kRowsPerRead];
        while (info_.output_scanline < info_.output_height) {
            const JDIMENSION first = info_.output_scanline;
            JDIMENSION want = info_.output_height - first;
            if (want > kRowsPerRead) {
                want = kRowsPerRead;
            }
            for (JDIMENSION i = 0; i < want; ++i) {
                rows[i] = info_.out_color_space == JCS_EXT_BGR
                              ? TopRow(page, first + i)
                              : scratch + static_cast<size_t>(i) * width * components;
            }
            const JDIMENSION got = jpeg_read_scanlines(&info_, rows, want);
            if (got == 0) {
                return false;
            }
            if (info_.out_color_space != JCS_EXT_BGR) {
                for (JDIMENSION i = 0; i < got; ++i) {
                    ConvertRow(rows[i], TopRow(page, first + i), width);
                }
            }
        }
        return jpeg_finish_decompress(&info_) != 0;
    }

    jpeg_decompress_struct& Info() { return info_; }

  private:
    void ConvertRow(const uint8_t* in, uint8_t* out, JDIMENSION width) const {
        if (info_.out_color_space == JCS_GRAYSCALE) {
            for (JDIMENSION c = 0; c < width; ++c, out += 3) {
                out[0] = out[1] = out[2] = in[c];
            }
            return;
        }
        const bool inverted = info_.saw_Adobe_marker != 0;
        for (JDIMENSION c = 0; c < width; ++c, in += 4, out += 3) {
            int cyan = in[0], magenta = in[1], yellow = in[2], black = in[3];
            if (!inverted) {
                cyan = 255 - cyan;
                magenta = 255 - magenta;
                yellow = 255 - yellow;
                black = 255 - black;
            }
            // Here each channel holds 255 - ink; the colour is the product
            // of what the ink leaves of the paper.
            out[2] = ClampByte((cyan * black + 127) / 255);
            out[1] = ClampByte((magenta * black + 127) / 255);
            out[0] = ClampByte((yellow * black + 127) / 255);
        }
    }

    jpeg_decompress_struct info_{};
    JpegError error_{};
    std::FILE* file_ = nullptr;
    bool created_ = false;
};

class JpegWriter {
  public:
    JpegWriter() { InstallErrorManager(error_); }
    ~JpegWriter() {
        if (created_) {
            jpeg_destroy_compress(&info_);
        }
    }
    JpegWriter(const JpegWriter&) = delete;
    JpegWriter& operator=(const JpegWriter&) = delete;

    // Writes `page` to `out`; `greyRow` has room for one row of a grey page
    // and is null for a colour page.
    bool Write(const CBitmap24& page, std::FILE* out, uint8_t* greyRow) {
        info_.err = &error_.mgr;
        if (setjmp(error_.jump) != 0) {
            return false;
        }
        created_ = true;
        jpeg_create_compress(&info_);
        jpeg_stdio_dest(&info_, out);
        info_.image_width = page.width;
        info_.image_height = page.height;
        info_.input_components = greyRow != nullptr ? 1 : 3;
        info_.in_color_space = greyRow != nullptr ? JCS_GRAYSCALE : JCS_EXT_BGR;
        jpeg_set_defaults(&info_);
        jpeg_set_quality(&info_, kJpegQuality, TRUE);
        const double dpiX = DpiFromPpm(XPpm(page));
        const double dpiY = DpiFromPpm(YPpm(page));
        if (dpiX >= 0.5 && dpiY >= 0.5 && dpiX < 65535.5 && dpiY < 65535.5) {
            info_.write_JFIF_header = TRUE;
            info_.density_unit = kDotsPerInchUnit;
            info_.X_density = static_cast<UINT16>(dpiX + 0.5);
            info_.Y_density = static_cast<UINT16>(dpiY + 0.5);
        }
        jpeg_start_compress(&info_, TRUE);
        while (info_.next_scanline < info_.image_height) {
            const uint8_t* source = TopRow(page, info_.next_scanline);
            JSAMPROW row;
            if (greyRow != nullptr) {
                for (uint32_t c = 0; c < page.width; ++c) {
                    greyRow[c] = source[3 * c];
                }
                row = greyRow;
            } else {
                row = const_cast<JSAMPROW>(source);  // libjpeg only reads input rows
            }
            if (jpeg_write_scanlines(&info_, &row, 1) != 1) {
                return false;
            }
        }
        jpeg_finish_compress(&info_);
        return true;
    }

  private:
    jpeg_compress_struct info_{};
    JpegError error_{};
    bool created_ = false;
};

}  // namespace

bool DecodeJpeg(const char* path, CBitmap24& page, PageDescription& description) {
    JpegReader reader;
    if (!reader.Open(path)) {
        return false;
    }
    const jpeg_decompress_struct& header = reader.Info();
    Describe(header, description);
    int32_t xPpm = 0, yPpm = 0;
    if (header.saw_JFIF_marker) {
        xPpm = PpmFromDensity(header.density_unit, header.X_density);
        yPpm = PpmFromDensity(header.density_unit, header.Y_density);
    }
    // Checked before decompression starts: a progressive file makes libjpeg
    // allocate its whole coefficient image at that point.
    if (!NewPage(page, header.image_height, header.image_width, xPpm, yPpm)) {
        return false;
    }
    if (!reader.Start()) {
        return false;
    }
    if (header.output_width != page.width || header.output_height != page.height) {
        return false;
    }
    std::vector<uint8_t> scratch;
    if (header.out_color_space != JCS_EXT_BGR) {
        scratch.resize(static_cast<size_t>(kRowsPerRead) * header.output_width *
                       static_cast<size_t>(header.output_components));
    }
    return reader.ReadRows(page, scratch.data());
}

bool DecodeJpeg(const char* path, CBitmap24& page) {
    PageDescription unused;
    return DecodeJpeg(path, page, unused);
}

bool EncodeJpeg(const CBitmap24& page, std::FILE* out, const PageDescription& kind) {
    const bool grey =
        kind.kind == PageKind::kBilevel || kind.kind == PageKind::kGrey ||
        (kind.kind == PageKind::kPalette && !kind.palette.empty() && PaletteIsGrey(kind));
    std::vector<uint8_t> greyRow(grey ? page.width : 0);
    JpegWriter writer;
    return writer.Write(page, out, grey ? greyRow.data() : nullptr);
}

bool EncodeJpeg(const CBitmap24& page, std::FILE* out) {
    PageDescription kind;
    kind.kind = IsGreyPage(page) ? PageKind::kGrey : PageKind::kRgb;
    return EncodeJpeg(page, out, kind);
}

}  // namespace Pictconv
