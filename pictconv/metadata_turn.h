// What writing a page upright and at a new size does to what came with it.
// The written pixels are upright, so every orientation the metadata states
// becomes 1; their size is the turned page's, so EXIF's pixel dimensions
// follow; the EXIF thumbnail shows the old picture, so it goes. A profile
// describes the colour space it came with, so it goes when the page is
// written in another one (CMYK written as RGB).
//
// TurnMetadata edits `metadata` in place and returns the notes for the
// user, in this order: "EXIF dropped (damaged)" when the EXIF block fails
// the walker's checks (the block is then dropped whole, never read out of
// bounds), "colour profile dropped" when the profile goes. It does not fail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pictconv/page_metadata.h"

namespace Pictconv {

struct PageTurn {
    uint32_t width = 0;  // of the written page
    uint32_t height = 0;
    // The EXIF orientation the picture was put upright by (1..8; 5..8 swap
    // the resolution's axes), 0 or 1 when none was applied.
    int orientationApplied = 0;
    bool colourSpaceChanged = false;  // the written page is not in the input's colour space
};

std::vector<std::string> TurnMetadata(PageMetadata& metadata, const PageTurn& turn);

// The notes joined by "; ", "" when there are none.
std::string JoinNotes(const std::vector<std::string>& notes);

}  // namespace Pictconv
