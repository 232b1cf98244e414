// --bilevel METHOD: every page written 1-bit, made bilevel by one of the
// engine's binarization methods after it has been straightened.
//
// The page is decided as usual (turned with black corners on the canvas
// --canvas asks for); the straightened page is then made again with
// paper-coloured corners, so that the binarizer sees paper there rather than
// ink, and binarized at full resolution. The pixels the turn left uncovered
// (those the two fills coloured differently) are then made white, or black
// with --corner black. The result is a page of black and white pixels with
// a bilevel description (Group 4 when written as TIFF) and the note that
// names the method: "bilevel: otsu", or for best the branch it took, as in
// "bilevel: best → sauvola (unevenly lit)".
#pragma once

#include <string>

#include "bmpbase/bitmap24.h"
#include "cli/options.h"
#include "cli/page_result.h"
#include "engine/binarizer/binarizer.h"
#include "pictconv/page_description.h"

namespace Cli {

// The method of a --bilevel name: otsu, sauvola, dotsu, multibg, best.
bool ParseBilevelMethod(const std::string& name, Skewmend::BinarizeMethod& method);
const char* BilevelMethodName(Skewmend::BinarizeMethod method);

// The options a page is decided with under --bilevel: black corners, so
// that the uncovered pixels can be told apart; `options` itself otherwise.
Options DecisionOptions(const Options& options);

// Makes the page to write from `src` and its decision: `decided` is the
// turned page when r.turned (made with DecisionOptions), else unused.
// `source` describes `src` as read (its resolution is kept). Fills `out`,
// `kind` and r.changeNotes; false with a reason in r.error when the page
// cannot be turned again or binarized.
bool MakeBilevel(const BmpBase::CBitmap24& src, const BmpBase::CBitmap24& decided,
                 const Options& options, const Pictconv::PageDescription& source,
                 BmpBase::CBitmap24& out, Pictconv::PageDescription& kind, PageResult& r);

}  // namespace Cli
