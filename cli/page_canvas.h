// The canvas a turned page is written on. `expand` keeps the turned page as
// the engine makes it, large enough for every pixel; `keep` puts it on a
// page of the input's exact size, centred, cutting off what lies beyond and
// filling what it does not reach with the corner colour.
//
// Centring: the kept page's centre pixel, row rows / 2 from the top and
// column cols / 2 from the left (integer halves), is the turned page's
// centre pixel by the same rule. One rule for rows and columns and for
// cutting and filling alike, so equal sizes give the page back pixel for
// pixel and an odd difference moves the content by at most half a pixel.
#pragma once

#include <cstdint>

#include "bmpbase/bitmap24.h"
#include "engine/corner_fill.h"
#include "pictconv/page_description.h"

namespace Cli {

enum class Canvas { kExpand, kKeep };

// The fill a page of `kind` gets for the asked one: a bilevel page's corners
// are black when black is asked and white otherwise (its paper is white);
// other kinds take the asked fill.
Skewmend::CornerFill CornerForKind(Skewmend::CornerFill asked, Pictconv::PageKind kind);

// Blue, green, red of a corner fill: white, black, or `paper` (black when
// null) for the paper colour, as the engine fills a turn's corners.
void CornerColour(Skewmend::CornerFill corner, const uint8_t paper[3], uint8_t colour[3]);

// `turned` centred on a `rows` x `cols` page in `kept` (a different
// object), the uncovered pixels `fill`. The headers are `turned`'s, with the
// new size. Throws std::bad_alloc when the page cannot be had.
void CentreOnCanvas(const BmpBase::CBitmap24& turned, uint32_t rows, uint32_t cols,
                    const uint8_t fill[3], BmpBase::CBitmap24& kept);

}  // namespace Cli
