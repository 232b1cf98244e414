// The decision each command makes on one page already in memory: the
// analysis, the gates of precise mode or the small-tilt rule, and the turn
// on the canvas --canvas asks for. Shared by the single-picture jobs and
// the pages of a multi-page TIFF (page_jobs.h, tiff_jobs.h); nothing here
// reads or writes a file.
//
// Each fills the decision fields of `r` (angle, confidence, turned, not
// sure, note, processMs) and returns false with a one-line reason in
// r.error, starting with `input`, when the page fails: the engine cannot
// analyse or turn it, or (estimate) no skew can be estimated. A page the
// analysis leaves as it was is not a failure. `kind` is the page's kind as
// stored: bilevel pages have white corners unless --corner black asks for
// black (CornerForKind, page_canvas.h).
#pragma once

#include <string>

#include "bmpbase/bitmap24.h"
#include "cli/options.h"
#include "cli/page_result.h"
#include "pictconv/page_description.h"

namespace Cli {

// auto: in precise mode or by whole degrees; `dst` holds the turned page
// when r.turned.
bool DecideAuto(const std::string& input, const Options& options, const BmpBase::CBitmap24& src,
                Pictconv::PageKind kind, BmpBase::CBitmap24& dst, PageResult& r);

// rotate by `angle` (0 leaves the page as it is).
bool DecideRotate(const std::string& input, double angle, const Options& options,
                  const BmpBase::CBitmap24& src, Pictconv::PageKind kind, BmpBase::CBitmap24& dst,
                  PageResult& r);

// Turns `src` by `angle` into `dst` with the corner fill (`paper` for the
// paper colour; black when null) on the canvas the options ask for. False
// when the engine cannot turn the page.
bool TurnOnCanvas(const BmpBase::CBitmap24& src, double angle, const Options& options,
                  Corner corner, const uint8_t paper[3], BmpBase::CBitmap24& dst);

// estimate.
bool DecideEstimate(const std::string& input, const Options& options,
                    const BmpBase::CBitmap24& page, PageResult& r);

}  // namespace Cli
