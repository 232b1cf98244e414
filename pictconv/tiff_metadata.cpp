// libtiff keeps most of these tags as "custom" values with a count and a
// pointer (ICC profile, XMP, Photoshop and IPTC as plain bytes); the EXIF
// directory's fields are read and set generically, by the storage size and
// count convention libtiff declares for each one.
#include "pictconv/tiff_metadata.h"

#include "pictconv/metadata_turn.h"

#include <cstring>
#include <string>
#include <vector>

namespace Pictconv {

namespace {

constexpr size_t kMaxValueBytes = 8;

template <typename Count>
bool GetCounted(TIFF* tif, uint32_t tag, std::vector<uint8_t>& out) {
    Count count = 0;
    const void* data = nullptr;
    if (TIFFGetField(tif, tag, &count, &data) != 1 || data == nullptr || count == 0) {
        return false;
    }
    const auto* p = static_cast<const uint8_t*>(data);
    out.assign(p, p + count);
    return true;
}

const char* TextTagName(uint32_t tag) {
    switch (tag) {
        case TIFFTAG_DOCUMENTNAME:
            return "DocumentName";
        case TIFFTAG_IMAGEDESCRIPTION:
            return "ImageDescription";
        case TIFFTAG_MAKE:
            return "Make";
        case TIFFTAG_MODEL:
            return "Model";
        case TIFFTAG_PAGENAME:
            return "PageName";
        case TIFFTAG_SOFTWARE:
            return "Software";
        case TIFFTAG_DATETIME:
            return "DateTime";
        case TIFFTAG_ARTIST:
            return "Artist";
        case TIFFTAG_HOSTCOMPUTER:
            return "HostComputer";
        default:
            return "Copyright";
    }
}

bool IsText(uint32_t tag) {
    for (const uint32_t t : kTiffTextTags) {
        if (t == tag) {
            return true;
        }
    }
    return false;
}

bool IsReal(TIFFDataType type) {
    return type == TIFF_RATIONAL || type == TIFF_SRATIONAL || type == TIFF_FLOAT ||
           type == TIFF_DOUBLE;
}

// One field of the current (EXIF) directory, by libtiff's declaration.
bool ReadExifField(TIFF* tif, uint32_t tag, TiffExifField& field) {
    const TIFFField* fip = TIFFFieldWithTag(tif, tag);
    if (fip == nullptr) {
        return false;
    }
    field.tag = tag;
    const int size = TIFFFieldSetGetSize(fip);
    if (TIFFFieldDataType(fip) == TIFF_ASCII) {
        const char* text = nullptr;
        if (TIFFGetField(tif, tag, &text) != 1 || text == nullptr) {
            return false;
        }
        field.value.assign(text, text + std::strlen(text) + 1);
        field.count = static_cast<uint32_t>(field.value.size());
        return true;
    }
    if (size <= 0 || size > static_cast<int>(kMaxValueBytes)) {
        return false;
    }
    const void* data = nullptr;
    uint32_t count = 0;
    if (TIFFFieldPassCount(fip)) {
        if (TIFFFieldSetGetCountSize(fip) == 2) {
            uint16_t c16 = 0;
            if (TIFFGetField(tif, tag, &c16, &data) != 1) {
                return false;
            }
            count = c16;
        } else if (TIFFGetField(tif, tag, &count, &data) != 1) {
            return false;
        }
    } else if (TIFFFieldReadCount(fip) == 1) {
        alignas(8) uint8_t single[kMaxValueBytes] = {};
        if (TIFFGetField(tif, tag, single) != 1) {
            return false;
        }
        field.count = 1;
        field.value.assign(single, single + size);
        return true;
    } else if (TIFFFieldReadCount(fip) > 1) {
        if (TIFFGetField(tif, tag, &data) != 1) {
            return false;
        }
        count = static_cast<uint32_t>(TIFFFieldReadCount(fip));
    } else {
        return false;
    }
    if (data == nullptr || count == 0) {
        return false;
    }
    const auto* p = static_cast<const uint8_t*>(data);
    field.count = count;
    field.value.assign(p, p + static_cast<size_t>(count) * static_cast<size_t>(size));
    return true;
}

// Sets one field in the current (EXIF) directory, mirroring ReadExifField.
void SetExifField(TIFF* tif, const TiffExifField& field) {
    const TIFFField* fip = TIFFFieldWithTag(tif, field.tag);
    if (fip == nullptr || field.value.empty()) {
        return;
    }
    const int size = TIFFFieldSetGetSize(fip);
    if (TIFFFieldDataType(fip) == TIFF_ASCII) {
        const std::string text(field.value.begin(), field.value.end());
        TIFFSetField(tif, field.tag, text.c_str());
        return;
    }
    if (size <= 0 || static_cast<size_t>(size) * field.count != field.value.size()) {
        return;
    }
    if (TIFFFieldPassCount(fip)) {
        if (TIFFFieldSetGetCountSize(fip) == 2) {
            TIFFSetField(tif, field.tag, static_cast<int>(field.count), field.value.data());
        } else {
            TIFFSetField(tif, field.tag, field.count, field.value.data());
        }
        return;
    }
    if (field.count > 1) {
        TIFFSetField(tif, field.tag, field.value.data());
        return;
    }
    // One value, passed as C's variadic promotion wants it.
    const uint8_t* v = field.value.data();
    if (IsReal(TIFFFieldDataType(fip))) {
        if (size == 4) {
            float f = 0;
            std::memcpy(&f, v, 4);
            TIFFSetField(tif, field.tag, static_cast<double>(f));
        } else if (size == 8) {
            double d = 0;
            std::memcpy(&d, v, 8);
            TIFFSetField(tif, field.tag, d);
        }
        return;
    }
    switch (size) {
        case 1:
            TIFFSetField(tif, field.tag, static_cast<int>(v[0]));
            break;
        case 2: {
            uint16_t s = 0;
            std::memcpy(&s, v, 2);
            TIFFSetField(tif, field.tag, static_cast<int>(s));
            break;
        }
        case 4: {
            uint32_t l = 0;
            std::memcpy(&l, v, 4);
            TIFFSetField(tif, field.tag, l);
            break;
        }
        case 8: {
            uint64_t q = 0;
            std::memcpy(&q, v, 8);
            TIFFSetField(tif, field.tag, q);
            break;
        }
        default:
            break;
    }
}

void ReadExifDirectory(TIFF* tif, PageMetadata& metadata) {
    uint64_t offset = 0;
    if (TIFFGetField(tif, TIFFTAG_EXIFIFD, &offset) != 1 || offset == 0 ||
        TIFFReadEXIFDirectory(tif, offset) != 1) {
        return;
    }
    const int n = TIFFGetTagListCount(tif);
    for (int i = 0; i < n; ++i) {
        TiffExifField field;
        if (ReadExifField(tif, TIFFGetTagListEntry(tif, i), field)) {
            metadata.tiffExif.push_back(std::move(field));
        }
    }
}

}  // namespace

bool ReadTiffMetadata(TIFF* tif, PageMetadata& metadata) {
    GetCounted<uint32_t>(tif, TIFFTAG_ICCPROFILE, metadata.icc);
    std::vector<uint8_t> xmp;
    if (GetCounted<uint32_t>(tif, TIFFTAG_XMLPACKET, xmp)) {
        metadata.xmp.assign(xmp.begin(), xmp.end());
    }
    GetCounted<uint32_t>(tif, TIFFTAG_PHOTOSHOP, metadata.photoshop);
    GetCounted<uint32_t>(tif, TIFFTAG_RICHTIFFIPTC, metadata.iptc);
    for (const uint32_t tag : kTiffTextTags) {
        const char* text = nullptr;
        if (TIFFGetField(tif, tag, &text) == 1 && text != nullptr) {
            TextEntry e;
            e.origin = TextOrigin::kTiffTag;
            e.tiffTag = tag;
            e.keyword = TextTagName(tag);
            e.text = text;
            metadata.text.push_back(std::move(e));
        }
    }
    uint16_t orientation = 0;
    if (TIFFGetField(tif, TIFFTAG_ORIENTATION, &orientation) == 1 && orientation >= 1 &&
        orientation <= 8) {
        metadata.orientation = orientation;
    }
    uint64_t exifOffset = 0;
    if (TIFFGetField(tif, TIFFTAG_EXIFIFD, &exifOffset) != 1 || exifOffset == 0) {
        return true;
    }
    const tdir_t directory = TIFFCurrentDirectory(tif);
    ReadExifDirectory(tif, metadata);
    return TIFFSetDirectory(tif, directory) == 1;
}

bool WriteTiffExifDirectory(TIFF* tif, const PageMetadata& metadata, uint64_t& offset) {
    offset = 0;
    if (metadata.tiffExif.empty()) {
        return true;
    }
    if (TIFFCreateEXIFDirectory(tif) != 0) {
        return false;
    }
    for (const TiffExifField& field : metadata.tiffExif) {
        SetExifField(tif, field);
    }
    if (TIFFWriteCustomDirectory(tif, &offset) != 1) {
        offset = 0;
        return false;
    }
    // libtiff 4.5's TIFFCreateDirectory does not free the custom
    // directory's values; freeing them first keeps them from leaking.
    TIFFFreeDirectory(tif);
    return TIFFCreateDirectory(tif) == 0;
}

void SetTiffMetadata(TIFF* tif, const PageMetadata& metadata, uint64_t exifOffset) {
    uint16_t photometric = PHOTOMETRIC_RGB;
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    const bool grey =
        photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE;
    if (!metadata.icc.empty() && ProfileFits(metadata.icc, grey)) {
        TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<uint32_t>(metadata.icc.size()),
                     metadata.icc.data());
    }
    if (!metadata.xmp.empty()) {
        TIFFSetField(tif, TIFFTAG_XMLPACKET, static_cast<uint32_t>(metadata.xmp.size()),
                     metadata.xmp.data());
    }
    if (!metadata.photoshop.empty()) {
        TIFFSetField(tif, TIFFTAG_PHOTOSHOP, static_cast<uint32_t>(metadata.photoshop.size()),
                     metadata.photoshop.data());
    }
    if (!metadata.iptc.empty()) {
        TIFFSetField(tif, TIFFTAG_RICHTIFFIPTC, static_cast<uint32_t>(metadata.iptc.size()),
                     metadata.iptc.data());
    }
    for (const TextEntry& e : metadata.text) {
        if (e.origin == TextOrigin::kTiffTag && IsText(e.tiffTag)) {
            TIFFSetField(tif, e.tiffTag, e.text.c_str());
        }
    }
    if (exifOffset != 0) {
        TIFFSetField(tif, TIFFTAG_EXIFIFD, exifOffset);
    }
}

int OrientationLeftByRgba(int tag) {
    switch (tag) {
        case ORIENTATION_LEFTTOP:
        case ORIENTATION_RIGHTBOT:
            return ORIENTATION_LEFTTOP;
        case ORIENTATION_RIGHTTOP:
        case ORIENTATION_LEFTBOT:
            return ORIENTATION_RIGHTBOT;
        default:
            return ORIENTATION_TOPLEFT;
    }
}

}  // namespace Pictconv
