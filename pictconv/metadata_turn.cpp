#include "pictconv/metadata_turn.h"

#include <cstring>
#include <utility>

#include "pictconv/exif_block.h"
#include "pictconv/orientation.h"
#include "pictconv/xmp_packet.h"

namespace Pictconv {

namespace {

constexpr uint32_t kPixelXDimension = 0xA002;
constexpr uint32_t kPixelYDimension = 0xA003;
constexpr int kFirstSwappingOrientation = 5;
// Where an ICC profile's header names its colour space.
constexpr size_t kColourSpaceAt = 16;

// A TIFF's EXIF directory holds its dimensions as libtiff's 32-bit values.
void SetDimension(std::vector<TiffExifField>& fields, uint32_t tag, uint32_t value) {
    for (TiffExifField& f : fields) {
        if (f.tag == tag && f.count == 1 && f.value.size() == sizeof value) {
            std::memcpy(f.value.data(), &value, sizeof value);
        }
    }
}

}  // namespace

bool UprightPage(BmpBase::CBitmap24& page, PageDescription& description, int orientation) {
    if (!TurnsByOrientation(orientation)) {
        return false;
    }
    BmpBase::CBitmap24 upright;
    if (!UprightByOrientation(page, orientation, upright)) {
        return false;
    }
    page = upright;
    if (orientation >= kFirstSwappingOrientation) {
        std::swap(description.xResolution, description.yResolution);
        std::swap(description.metadata.resolution.x, description.metadata.resolution.y);
    }
    return true;
}

std::vector<std::string> TurnMetadata(PageMetadata& metadata, const PageTurn& turn) {
    std::vector<std::string> notes;
    if (!metadata.exif.empty() &&
        PatchExif(metadata.exif, turn.width, turn.height) != ExifStatus::kOk) {
        metadata.exif.clear();
        notes.emplace_back("EXIF dropped (damaged)");
    }
    SetDimension(metadata.tiffExif, kPixelXDimension, turn.width);
    SetDimension(metadata.tiffExif, kPixelYDimension, turn.height);
    SetXmpOrientationUpright(metadata.xmp);
    if (metadata.orientation != 0) {
        metadata.orientation = kUprightOrientation;
    }
    if (turn.profileUnfit && !metadata.icc.empty()) {
        metadata.icc.clear();
        metadata.iccName.clear();
        notes.emplace_back("colour profile dropped");
    }
    return notes;
}

bool ProfileFits(const std::vector<uint8_t>& icc, bool grey) {
    if (icc.size() < kColourSpaceAt + 4) {
        return true;
    }
    const std::string space(icc.begin() + kColourSpaceAt, icc.begin() + kColourSpaceAt + 4);
    if (space == "CMYK") {
        return false;
    }
    return grey ? space != "RGB " : space != "GRAY";
}

std::string JoinNotes(const std::vector<std::string>& notes) {
    std::string joined;
    for (const std::string& n : notes) {
        if (!joined.empty()) {
            joined += "; ";
        }
        joined += n;
    }
    return joined;
}

}  // namespace Pictconv
