// APP1 holds EXIF ("Exif\0\0" then the TIFF-structured block) or the
// standard XMP packet (its namespace, a NUL, then the packet); APP13 holds
// "Photoshop 3.0\0" then image resources, split over several segments when
// large; APP2 segments of the ICC profile are reassembled by libjpeg-turbo.
#include "pictconv/jpeg_metadata.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "pictconv/exif_block.h"
#include "pictconv/jpeg_quality.h"
#include "pictconv/metadata_turn.h"

namespace Pictconv {

namespace {

constexpr int kApp1 = JPEG_APP0 + 1;
constexpr int kApp2 = JPEG_APP0 + 2;
constexpr int kApp13 = JPEG_APP0 + 13;
constexpr unsigned kWholeMarker = 0xFFFF;
// Bytes a marker's payload may hold: the length field counts itself.
constexpr size_t kMarkerPayload = 65533;

constexpr char kExifPrefix[] = "Exif\0";  // six bytes with the implicit NUL
constexpr size_t kExifPrefixSize = 6;
constexpr char kXmpPrefix[] = "http://ns.adobe.com/xap/1.0/";  // and its NUL
constexpr size_t kXmpPrefixSize = sizeof(kXmpPrefix);
constexpr char kPhotoshopPrefix[] = "Photoshop 3.0";  // and its NUL
constexpr size_t kPhotoshopPrefixSize = sizeof(kPhotoshopPrefix);

constexpr int kMaxSamplingFactor = 4;
// The ICC profile travels in at most 255 APP2 segments of 65519 bytes.
constexpr size_t kMaxIccBytes = size_t{255} * 65519;

bool StartsWith(const jpeg_saved_marker_ptr marker, const char* prefix, size_t size) {
    return marker->data_length >= size && std::memcmp(marker->data, prefix, size) == 0;
}

struct FreeDeleter {
    void operator()(JOCTET* p) const { std::free(p); }
};

void WriteMarker(jpeg_compress_struct& info, int code, const void* prefix, size_t prefixSize,
                 const uint8_t* data, size_t size) {
    jpeg_write_m_header(&info, code, static_cast<unsigned>(prefixSize + size));
    const auto* p = static_cast<const uint8_t*>(prefix);
    for (size_t i = 0; i < prefixSize; ++i) {
        jpeg_write_m_byte(&info, p[i]);
    }
    for (size_t i = 0; i < size; ++i) {
        jpeg_write_m_byte(&info, data[i]);
    }
}

bool ValidFactor(int f) {
    return f >= 1 && f <= kMaxSamplingFactor;
}

}  // namespace

void SaveJpegMetadataMarkers(jpeg_decompress_struct& info) {
    jpeg_save_markers(&info, kApp1, kWholeMarker);
    jpeg_save_markers(&info, kApp2, kWholeMarker);
    jpeg_save_markers(&info, kApp13, kWholeMarker);
    jpeg_save_markers(&info, JPEG_COM, kWholeMarker);
}

void ReadJpegMetadata(jpeg_decompress_struct& info, PageMetadata& metadata) {
    for (jpeg_saved_marker_ptr m = info.marker_list; m != nullptr; m = m->next) {
        if (m->marker == kApp1 && metadata.exif.empty() &&
            StartsWith(m, kExifPrefix, kExifPrefixSize)) {
            metadata.exif.assign(m->data + kExifPrefixSize, m->data + m->data_length);
        } else if (m->marker == kApp1 && metadata.xmp.empty() &&
                   StartsWith(m, kXmpPrefix, kXmpPrefixSize)) {
            metadata.xmp.assign(reinterpret_cast<const char*>(m->data) + kXmpPrefixSize,
                                m->data_length - kXmpPrefixSize);
        } else if (m->marker == kApp13 && StartsWith(m, kPhotoshopPrefix, kPhotoshopPrefixSize)) {
            metadata.photoshop.insert(metadata.photoshop.end(), m->data + kPhotoshopPrefixSize,
                                      m->data + m->data_length);
        } else if (m->marker == JPEG_COM) {
            TextEntry comment;
            comment.origin = TextOrigin::kJpegComment;
            comment.keyword = "Comment";
            comment.text.assign(reinterpret_cast<const char*>(m->data), m->data_length);
            metadata.text.push_back(comment);
        }
    }
    JOCTET* profile = nullptr;
    unsigned int profileSize = 0;
    if (jpeg_read_icc_profile(&info, &profile, &profileSize)) {
        const std::unique_ptr<JOCTET, FreeDeleter> owned(profile);
        metadata.icc.assign(profile, profile + profileSize);
    }
    int orientation = 0;
    if (!metadata.exif.empty() && ReadExifOrientation(metadata.exif.data(), metadata.exif.size(),
                                                      orientation) == ExifStatus::kOk) {
        metadata.orientation = orientation;
    }
    if (info.quant_tbl_ptrs[0] != nullptr) {
        uint16_t table[DCTSIZE2];
        for (int i = 0; i < DCTSIZE2; ++i) {
            table[i] = info.quant_tbl_ptrs[0]->quantval[i];
        }
        metadata.jpeg.quality = EstimateJpegQuality(table);
    }
    metadata.jpeg.progressive = info.progressive_mode != 0;
    if (info.num_components > 0 && info.comp_info != nullptr) {
        // Relative to the chroma's, which is how the writer sets them (chroma
        // at 1x1): a file sampled 2x2 in every component is 4:4:4.
        int h = info.comp_info[0].h_samp_factor;
        int v = info.comp_info[0].v_samp_factor;
        if (info.num_components >= 3) {
            const int ch = info.comp_info[1].h_samp_factor;
            const int cv = info.comp_info[1].v_samp_factor;
            if (ch > 0 && cv > 0 && h % ch == 0 && v % cv == 0) {
                h /= ch;
                v /= cv;
            }
        }
        metadata.jpeg.lumaHorizontal = h;
        metadata.jpeg.lumaVertical = v;
    }
    if (info.saw_JFIF_marker) {
        metadata.resolution.source = ResolutionSource::kJfif;
        metadata.resolution.unit = info.density_unit;
        metadata.resolution.x = info.X_density;
        metadata.resolution.y = info.Y_density;
    }
}

void SetJpegEncoding(jpeg_compress_struct& info, const PageMetadata& metadata, int qualityOverride,
                     int fallbackQuality) {
    int quality = fallbackQuality;
    if (qualityOverride >= 1 && qualityOverride <= 100) {
        quality = qualityOverride;
    } else if (metadata.jpeg.quality >= 1 && metadata.jpeg.quality <= 100) {
        quality = metadata.jpeg.quality;
    }
    jpeg_set_quality(&info, quality, TRUE);
    if (metadata.jpeg.progressive) {
        jpeg_simple_progression(&info);
    }
    if (info.num_components > 1 && ValidFactor(metadata.jpeg.lumaHorizontal) &&
        ValidFactor(metadata.jpeg.lumaVertical)) {
        info.comp_info[0].h_samp_factor = metadata.jpeg.lumaHorizontal;
        info.comp_info[0].v_samp_factor = metadata.jpeg.lumaVertical;
        for (int c = 1; c < info.num_components; ++c) {
            info.comp_info[c].h_samp_factor = 1;
            info.comp_info[c].v_samp_factor = 1;
        }
    }
    const StoredResolution& r = metadata.resolution;
    if (r.source == ResolutionSource::kJfif && r.unit >= 0 && r.unit <= 2 && r.x >= 1 && r.y >= 1 &&
        r.x <= 65535 && r.y <= 65535) {
        info.write_JFIF_header = TRUE;
        info.density_unit = static_cast<UINT8>(r.unit);
        info.X_density = static_cast<UINT16>(r.x);
        info.Y_density = static_cast<UINT16>(r.y);
    }
}

void WriteJpegMetadata(jpeg_compress_struct& info, const PageMetadata& metadata) {
    if (!metadata.exif.empty() && metadata.exif.size() + kExifPrefixSize <= kMarkerPayload) {
        WriteMarker(info, kApp1, kExifPrefix, kExifPrefixSize, metadata.exif.data(),
                    metadata.exif.size());
    }
    if (!metadata.xmp.empty() && metadata.xmp.size() + kXmpPrefixSize <= kMarkerPayload) {
        WriteMarker(info, kApp1, kXmpPrefix, kXmpPrefixSize,
                    reinterpret_cast<const uint8_t*>(metadata.xmp.data()), metadata.xmp.size());
    }
    if (!metadata.icc.empty() && metadata.icc.size() <= kMaxIccBytes &&
        ProfileFits(metadata.icc, info.jpeg_color_space == JCS_GRAYSCALE)) {
        jpeg_write_icc_profile(&info, metadata.icc.data(),
                               static_cast<unsigned>(metadata.icc.size()));
    }
    const size_t chunk = kMarkerPayload - kPhotoshopPrefixSize;
    for (size_t at = 0; at < metadata.photoshop.size(); at += chunk) {
        const size_t n = std::min(chunk, metadata.photoshop.size() - at);
        WriteMarker(info, kApp13, kPhotoshopPrefix, kPhotoshopPrefixSize,
                    metadata.photoshop.data() + at, n);
    }
    for (const TextEntry& entry : metadata.text) {
        if (entry.origin == TextOrigin::kJpegComment && !entry.text.empty() &&
            entry.text.size() <= kMarkerPayload) {
            jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(entry.text.data()),
                              static_cast<unsigned>(entry.text.size()));
        }
    }
}

}  // namespace Pictconv
