#include "cli/page_metadata_job.h"

#include <vector>

#include "pictconv/metadata_turn.h"
#include "pictconv/png_metadata.h"
#include "pictconv/tiff_metadata.h"

namespace Cli {

bool UprightLoadedPage(BmpBase::CBitmap24& page, ImageFormat format,
                       Pictconv::PageDescription& description) {
    const int orientation = description.metadata.orientation;
    return Pictconv::UprightPage(
        page, description,
        format == ImageFormat::kTiff ? Pictconv::OrientationLeftByRgba(orientation) : orientation);
}

std::string WrittenPageNotes(const BmpBase::CBitmap24& written, bool uprighted,
                             Pictconv::PageDescription& description, ImageFormat format) {
    std::vector<std::string> notes;
    const std::string kind = Pictconv::ChangeNotes(description.changes);
    if (!kind.empty()) {
        notes.push_back(kind);
    }
    if (uprighted) {
        notes.emplace_back("put upright by its orientation");
    }
    const bool grey = description.kind == Pictconv::PageKind::kBilevel ||
                      description.kind == Pictconv::PageKind::kGrey;
    const bool unfit =
        (description.changes & Pictconv::kConvertedToRgb) != 0 ||
        !Pictconv::ProfileFits(description.metadata.icc, grey) ||
        (format == ImageFormat::kPng && !Pictconv::PngWritesProfile(description.metadata, grey));
    for (std::string& n :
         Pictconv::TurnMetadata(description.metadata, {written.width, written.height, unfit})) {
        notes.push_back(std::move(n));
    }
    return Pictconv::JoinNotes(notes);
}

std::string JoinedNotes(const std::string& first, const std::string& second) {
    if (first.empty() || second.empty()) {
        return first + second;
    }
    return first + "; " + second;
}

}  // namespace Cli
