#include "pictconv/png_metadata.h"

#include <cstring>
#include <string>
#include <vector>

#include "pictconv/exif_block.h"

namespace Pictconv {

namespace {

constexpr char kDefaultProfileName[] = "ICC profile";

// The iCCP name a profile is written under: its own, or a plain one when it
// came from a format that names none.
const char* ProfileName(const PageMetadata& metadata) {
    return metadata.iccName.empty() ? kDefaultProfileName : metadata.iccName.c_str();
}

std::string Text(png_const_charp p) {
    return p != nullptr ? std::string(p) : std::string();
}

TextEntry EntryOf(const png_text& t) {
    TextEntry e;
    e.origin = TextOrigin::kPng;
    e.keyword = Text(t.key);
    e.international =
        t.compression == PNG_ITXT_COMPRESSION_NONE || t.compression == PNG_ITXT_COMPRESSION_zTXt;
    e.compressed =
        t.compression == PNG_TEXT_COMPRESSION_zTXt || t.compression == PNG_ITXT_COMPRESSION_zTXt;
    const size_t length = e.international ? t.itxt_length : t.text_length;
    if (t.text != nullptr) {
        e.text.assign(t.text, length);
    }
    if (e.international) {
        e.language = Text(t.lang);
        e.translatedKeyword = Text(t.lang_key);
    }
    return e;
}

int CompressionOf(const TextEntry& e) {
    if (e.international) {
        return e.compressed ? PNG_ITXT_COMPRESSION_zTXt : PNG_ITXT_COMPRESSION_NONE;
    }
    return e.compressed ? PNG_TEXT_COMPRESSION_zTXt : PNG_TEXT_COMPRESSION_NONE;
}

// A png_text pointing into `e`; libpng copies what it is given.
png_text ChunkOf(const TextEntry& e) {
    png_text t{};
    t.compression = CompressionOf(e);
    t.key = const_cast<png_charp>(e.keyword.c_str());
    t.text = const_cast<png_charp>(e.text.c_str());
    if (e.international) {
        t.itxt_length = e.text.size();
        t.lang = const_cast<png_charp>(e.language.c_str());
        t.lang_key = const_cast<png_charp>(e.translatedKeyword.c_str());
    } else {
        t.text_length = e.text.size();
    }
    return t;
}

extern "C" void TrialError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

extern "C" void TrialWarning(png_structp, png_const_charp) {}

extern "C" void DiscardBytes(png_structp, png_bytep, size_t) {}

extern "C" void NoFlush(png_structp) {}

}  // namespace

bool PngWritesProfile(const PageMetadata& metadata, bool grey) {
    if (metadata.icc.empty()) {
        return true;
    }
    if (metadata.icc.size() > PNG_UINT_31_MAX) {
        return false;
    }
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, TrialError, TrialWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    // A 1 x 1 file written to nowhere, up to the chunks before the image
    // data: libpng checks the profile when it is set and again when written.
    volatile bool written = false;  // set between setjmp and a possible longjmp
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, nullptr, DiscardBytes, NoFlush);
        png_set_IHDR(png, info, 1, 1, 8, grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        png_set_iCCP(png, info, ProfileName(metadata), PNG_COMPRESSION_TYPE_BASE,
                     metadata.icc.data(), static_cast<png_uint_32>(metadata.icc.size()));
        if (png_get_valid(png, info, PNG_INFO_iCCP) != 0) {
            png_write_info(png, info);
            written = true;
        }
    }
    if (png != nullptr) {
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    }
    return written;
}

void ReadPngMetadata(png_structp png, png_infop info, PageMetadata& metadata) {
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileSize = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &profileSize) != 0 &&
        profile != nullptr) {
        metadata.icc.assign(profile, profile + profileSize);
        metadata.iccName = Text(name);
    }
    png_uint_32 exifSize = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(png, info, &exifSize, &exif) != 0 && exif != nullptr) {
        metadata.exif.assign(exif, exif + exifSize);
        int orientation = 0;
        if (ReadExifOrientation(metadata.exif.data(), metadata.exif.size(), orientation) ==
            ExifStatus::kOk) {
            metadata.orientation = orientation;
        }
    }
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(png, info, &texts, &count);
    for (int i = 0; i < count; ++i) {
        TextEntry e = EntryOf(texts[i]);
        if (e.international && e.keyword == kPngXmpKeyword && metadata.xmp.empty()) {
            metadata.xmp = e.text;
        } else {
            metadata.text.push_back(std::move(e));
        }
    }
    png_uint_32 x = 0, y = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(png, info, &x, &y, &unit) != 0) {
        metadata.resolution.source = ResolutionSource::kPhys;
        metadata.resolution.x = x;
        metadata.resolution.y = y;
        metadata.resolution.unit = unit;
    }
}

std::vector<png_text> PngTextChunks(const PageMetadata& metadata) {
    std::vector<png_text> chunks;
    if (!metadata.xmp.empty()) {
        png_text xmp{};
        xmp.compression = PNG_ITXT_COMPRESSION_NONE;
        xmp.key = const_cast<png_charp>(kPngXmpKeyword);
        xmp.text = const_cast<png_charp>(metadata.xmp.c_str());
        xmp.itxt_length = metadata.xmp.size();
        xmp.lang = const_cast<png_charp>("");
        xmp.lang_key = const_cast<png_charp>("");
        chunks.push_back(xmp);
    }
    for (const TextEntry& e : metadata.text) {
        if (e.origin == TextOrigin::kPng && !e.keyword.empty()) {
            chunks.push_back(ChunkOf(e));
        }
    }
    return chunks;
}

void WritePngMetadata(png_structp png, png_infop info, const PageMetadata& metadata,
                      std::vector<png_text>& chunks) {
    if (!metadata.icc.empty() && metadata.icc.size() <= PNG_UINT_31_MAX) {
        png_set_iCCP(png, info, ProfileName(metadata), PNG_COMPRESSION_TYPE_BASE,
                     metadata.icc.data(), static_cast<png_uint_32>(metadata.icc.size()));
    }
    if (!metadata.exif.empty() && metadata.exif.size() <= PNG_UINT_31_MAX) {
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(metadata.exif.size()),
                       const_cast<png_bytep>(metadata.exif.data()));
    }
    if (!chunks.empty()) {
        png_set_text(png, info, chunks.data(), static_cast<int>(chunks.size()));
    }
    const StoredResolution& r = metadata.resolution;
    if (r.source == ResolutionSource::kPhys && r.x >= 1 && r.y >= 1 && r.x <= PNG_UINT_31_MAX &&
        r.y <= PNG_UINT_31_MAX) {
        png_set_pHYs(
            png, info, static_cast<png_uint_32>(r.x), static_cast<png_uint_32>(r.y),
            r.unit == PNG_RESOLUTION_METER ? PNG_RESOLUTION_METER : PNG_RESOLUTION_UNKNOWN);
    }
}

}  // namespace Pictconv
