// The decisions on one page held in memory, shared by the tool's page jobs
// (page_jobs.h, which add loading, writing and the input's name) and the
// Python module (which works on arrays it is handed).
//
// Each fills the page's PageResult as the reports read it (precise,
// confidence, notSure, hasAngle, the angle, note, turned) and returns true,
// or returns false with `r.error` holding the reason without any input
// name ("no skew could be estimated ...", the engine's reason for an
// unusable page, "the page could not be rotated"). Nothing is thrown but
// std::bad_alloc.
#pragma once

#include <cstdint>

#include "bmpbase/bitmap24.h"
#include "cli/options.h"
#include "cli/page_result.h"

namespace Cli {

// `estimate`: precise mode's estimate and its confidence gate, or with
// --whole-degrees the analysis's whole-degree angle.
bool EstimateOnPage(const BmpBase::CBitmap24& page, const Options& options, PageResult& r);

// `auto`: the decision on `src` and, when it says so, the turn into `dst`
// (`r.turned`) on the canvas and with the corners the options ask for. A
// page left as it was leaves `dst` untouched.
bool StraightenPage(const BmpBase::CBitmap24& src, const Options& options, BmpBase::CBitmap24& dst,
                    PageResult& r);

// Turns `src` by `angle` degrees into `dst` with the options' corners
// (`paper` for the paper colour; black when null) on the options' canvas.
// False when the engine cannot turn the page.
bool TurnOnCanvas(const BmpBase::CBitmap24& src, double angle, const Options& options,
                  const uint8_t paper[3], BmpBase::CBitmap24& dst);

}  // namespace Cli
