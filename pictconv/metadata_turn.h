// What writing a page upright and at a new size does to what came with it.
// The written pixels are upright, so every orientation the metadata states
// becomes 1; their size is the turned page's, so EXIF's pixel dimensions
// follow; the EXIF thumbnail shows the old picture, so it goes. A profile
// describes the colour space it came with, so it goes when the page is
// written in another one (CMYK written as RGB), or in a format whose library
// refuses that profile.
//
// UprightPage puts a decoded page upright by an orientation before it is
// analysed or turned, the resolutions (the picture's, the description's
// and the stored one) swapping axes with it. TurnMetadata, once the page is
// ready to be written, edits the metadata in place and returns the notes
// for the user, in this order: "EXIF dropped (damaged)" when the EXIF block
// fails the walker's checks (the block is then dropped whole, never read
// out of bounds), "colour profile dropped" when the profile goes. Neither
// fails but for std::bad_alloc.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bmpbase/bitmap24.h"
#include "pictconv/page_description.h"
#include "pictconv/page_metadata.h"

namespace Pictconv {

// `orientation` is what is left to apply to the decoded picture: the
// orientation as read for JPEG and PNG, OrientationLeftByRgba of it for a
// TIFF page read through libtiff's RGBA interface. Returns true when the
// page changed (2..8); `page` is then the upright picture.
bool UprightPage(BmpBase::CBitmap24& page, PageDescription& description, int orientation);

struct PageTurn {
    uint32_t width = 0;  // of the written page
    uint32_t height = 0;
    // The written page cannot carry the profile: it is in another colour
    // space than the profile's, or the file format would refuse the profile.
    bool profileUnfit = false;
};

std::vector<std::string> TurnMetadata(PageMetadata& metadata, const PageTurn& turn);

// False when the profile's colour space (its header's signature) is another
// than the written page's: grey for `grey`, RGB otherwise. Profiles too
// short to say, or of other spaces (Lab...), are taken as fitting.
bool ProfileFits(const std::vector<uint8_t>& icc, bool grey);

// The notes joined by "; ", "" when there are none.
std::string JoinNotes(const std::vector<std::string>& notes);

}  // namespace Pictconv
