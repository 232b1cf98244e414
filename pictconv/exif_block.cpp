#include "pictconv/exif_block.h"

#include <cstring>

namespace Pictconv {

namespace {

constexpr uint8_t kExifPrefix[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr size_t kTiffHeaderBytes = 8;
constexpr size_t kEntryBytes = 12;
constexpr uint16_t kTagOrientation = 0x0112;
constexpr uint16_t kTagExifIfd = 0x8769;
constexpr uint16_t kTagPixelXDimension = 0xA002;
constexpr uint16_t kTagPixelYDimension = 0xA003;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;

// The TIFF structure inside a block: where it starts and its byte order.
// All offsets in the structure count from `base`.
class TiffBytes {
  public:
    TiffBytes(uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Open() {
        if (size_ >= sizeof kExifPrefix &&
            std::memcmp(data_, kExifPrefix, sizeof kExifPrefix) == 0) {
            base_ = sizeof kExifPrefix;
        }
        if (size_ - base_ < kTiffHeaderBytes) {
            return false;
        }
        const uint8_t* h = data_ + base_;
        if (h[0] == 'I' && h[1] == 'I') {
            little_ = true;
        } else if (h[0] == 'M' && h[1] == 'M') {
            little_ = false;
        } else {
            return false;
        }
        return Get16(2) == 42;
    }

    size_t Length() const { return size_ - base_; }

    // Whether `count` bytes at `offset` lie inside the structure.
    bool Holds(uint64_t offset, uint64_t count) const {
        return offset <= Length() && count <= Length() - offset;
    }

    uint16_t Get16(size_t offset) const {
        const uint8_t* p = data_ + base_ + offset;
        return little_ ? static_cast<uint16_t>(p[0] | p[1] << 8)
                       : static_cast<uint16_t>(p[0] << 8 | p[1]);
    }
    uint32_t Get32(size_t offset) const {
        const uint32_t a = Get16(offset);
        const uint32_t b = Get16(offset + 2);
        return little_ ? (b << 16 | a) : (a << 16 | b);
    }
    void Put16(size_t offset, uint16_t value) {
        uint8_t* p = data_ + base_ + offset;
        p[little_ ? 0 : 1] = static_cast<uint8_t>(value);
        p[little_ ? 1 : 0] = static_cast<uint8_t>(value >> 8);
    }
    void Put32(size_t offset, uint32_t value) {
        Put16(offset + (little_ ? 0 : 2), static_cast<uint16_t>(value));
        Put16(offset + (little_ ? 2 : 0), static_cast<uint16_t>(value >> 16));
    }

  private:
    uint8_t* data_;
    size_t size_;
    size_t base_ = 0;
    bool little_ = true;
};

// One directory, checked whole before any of it is read: its entry count,
// every entry, and the link to the next directory.
struct Directory {
    size_t at = 0;
    uint16_t entries = 0;

    // A directory lies after the header, whole inside the structure.
    bool Load(const TiffBytes& tiff, uint64_t offset) {
        if (offset < kTiffHeaderBytes || !tiff.Holds(offset, 2)) {
            return false;
        }
        at = static_cast<size_t>(offset);
        entries = tiff.Get16(at);
        return tiff.Holds(at + 2, uint64_t{entries} * kEntryBytes + 4);
    }
    size_t End() const { return NextLink() + 4; }
    bool Overlaps(const Directory& other) const { return at < other.End() && other.at < End(); }
    size_t Entry(uint16_t i) const { return at + 2 + size_t{i} * kEntryBytes; }
    size_t NextLink() const { return Entry(entries); }

    // The entry holding `tag`, or 0 when there is none (0 is never an
    // entry's position: the header comes first).
    size_t Find(const TiffBytes& tiff, uint16_t tag) const {
        for (uint16_t i = 0; i < entries; ++i) {
            if (tiff.Get16(Entry(i)) == tag) {
                return Entry(i);
            }
        }
        return 0;
    }
};

// The value of a one-element SHORT or LONG entry; false for any other.
bool SingleValue(const TiffBytes& tiff, size_t entry, uint32_t& value) {
    const uint16_t type = tiff.Get16(entry + 2);
    if (tiff.Get32(entry + 4) != 1) {
        return false;
    }
    if (type == kTypeShort) {
        value = tiff.Get16(entry + 8);
        return true;
    }
    if (type == kTypeLong) {
        value = tiff.Get32(entry + 8);
        return true;
    }
    return false;
}

void SetDimension(TiffBytes& tiff, size_t entry, uint32_t value) {
    uint32_t old = 0;
    if (entry == 0 || !SingleValue(tiff, entry, old)) {
        return;
    }
    if (tiff.Get16(entry + 2) == kTypeShort && value <= 0xFFFF) {
        tiff.Put16(entry + 8, static_cast<uint16_t>(value));
        tiff.Put16(entry + 10, 0);
    } else {
        tiff.Put16(entry + 2, kTypeLong);
        tiff.Put32(entry + 8, value);
    }
}

}  // namespace

ExifStatus ReadExifOrientation(const uint8_t* block, size_t size, int& orientation) {
    orientation = 0;
    // Reading only: the patcher's accessors are used without writing.
    TiffBytes tiff(const_cast<uint8_t*>(block), size);
    Directory ifd0;
    if (block == nullptr || !tiff.Open() || !ifd0.Load(tiff, tiff.Get32(4))) {
        return ExifStatus::kDamaged;
    }
    uint32_t value = 0;
    const size_t entry = ifd0.Find(tiff, kTagOrientation);
    if (entry != 0 && SingleValue(tiff, entry, value) && value >= 1 && value <= 8) {
        orientation = static_cast<int>(value);
    }
    return ExifStatus::kOk;
}

ExifStatus PatchExif(std::vector<uint8_t>& block, uint32_t width, uint32_t height) {
    TiffBytes tiff(block.data(), block.size());
    Directory ifd0;
    if (block.empty() || !tiff.Open() || !ifd0.Load(tiff, tiff.Get32(4))) {
        return ExifStatus::kDamaged;
    }
    // Every check comes before the first write, so a damaged block is
    // handed back untouched.
    Directory exif;
    const size_t exifLink = ifd0.Find(tiff, kTagExifIfd);
    uint32_t exifOffset = 0;
    // Directories that share bytes would change each other when patched.
    if (exifLink != 0 && (!SingleValue(tiff, exifLink, exifOffset) ||
                          !exif.Load(tiff, exifOffset) || exif.Overlaps(ifd0))) {
        return ExifStatus::kDamaged;
    }
    const size_t orientation = ifd0.Find(tiff, kTagOrientation);
    uint32_t stored = 0;
    if (orientation != 0 && SingleValue(tiff, orientation, stored)) {
        if (tiff.Get16(orientation + 2) == kTypeShort) {
            tiff.Put16(orientation + 8, kUprightOrientation);
        } else {
            tiff.Put32(orientation + 8, kUprightOrientation);
        }
    }
    if (exifLink != 0) {
        SetDimension(tiff, exif.Find(tiff, kTagPixelXDimension), width);
        SetDimension(tiff, exif.Find(tiff, kTagPixelYDimension), height);
    }
    tiff.Put32(ifd0.NextLink(), 0);
    return ExifStatus::kOk;
}

}  // namespace Pictconv
