// The engine's internal interface: the analysis of a page and the turn that
// may follow it, shared by the exports, precise mode, the command-line tool,
// the benchmarks and (later) language bindings.
//
// AnalysePage runs the analysis once: the working page (half size above
// 1048576 pixels), its grey image (smoothed first in precise mode when it is
// noisy), the global Otsu mask, and the Deskewer's whole-degree estimate,
// folded into -89 .. 90; in precise mode the sub-degree decision follows.
// The outcome says whether the automatic pipeline's small-tilt rule turns
// the page, the paper colour when asked for, and why no angle was found.
//
// TurnPage turns a page with the colour rotation: the result takes the
// source's headers with the turned size, and the corners are filled with
// the paper colour, black or white. DeskewPage is the automatic pipeline of
// _AutoRotate: the analysis and, when the rule says so, the turn, through
// Deskewer::Deskew with its log lines and timers.
//
// These functions may run on several threads at once, each on its own
// pages; they log through the sink of diagnostics.h. They throw
// std::bad_alloc when memory runs out; the exports turn that into false.
#pragma once

#include <cstdint>
#include <string>

#include "bmpbase/bitmap24.h"
#include "engine/corner_fill.h"
#include "engine/deskew/deskewer.h"
#include "engine/deskew/precise.h"
#include "engine/working_page.h"

namespace Skewmend {

// What the analysis makes of a page before skew estimation: the working
// page, its grey image (with `smoothNoisy`, replaced by its 3 x 3 box mean
// when its noise level exceeds 5 grey levels) and the global Otsu mask with
// its size and the paper's grey level. `src` must outlive the object.
class PreparedPage {
  public:
    explicit PreparedPage(const BmpBase::CBitmap24& src, bool smoothNoisy = false);
    PreparedPage(const PreparedPage&) = delete;
    PreparedPage& operator=(const PreparedPage&) = delete;

    // A Deskewer on this page's mask and grey image.
    Deskewer MakeDeskewer() const;

    WorkingPage working;
    BmpBase::GreyImage grey;
    PixelMask mask;
    uint16_t height = 0;
    uint16_t width = 0;
    uint8_t backgroundGrey = 0;
    double noiseSigma = 0.0;  // measured only with smoothNoisy
    bool denoised = false;
};

struct AnalysisOptions {
    bool precise = false;      // add the sub-degree decision
    bool paperColour = false;  // measure the paper colour (for CornerFill::kPaper)
};

struct PageAnalysis {
    bool usable = false;      // the page is not empty and within the size limits
    bool found = false;       // a whole-degree angle was estimated
    int angle = 0;            // that angle, folded into -89 .. 90
    bool turns = false;       // the small-tilt rule turns the page by `angle`
    bool reduced = false;     // analysed on the half-size working page
    uint8_t paper[3] = {};    // blue, green, red of the paper; when asked
    PreciseEstimate precise;  // precise mode only
    std::string reason;       // why no angle was found; empty otherwise
};

// Usable pages: not empty, within bmpbase/size_limits.h, and holding the
// pixels their sizes promise.
bool IsAnalysable(const BmpBase::CBitmap24& page);

PageAnalysis AnalysePage(const BmpBase::CBitmap24& page, const AnalysisOptions& options);

// Turns `src` by `angle` degrees into `dst` (a different object). False,
// with `dst` untouched, for an unusable page, a non-finite angle or a result
// beyond 65535 on a side. `paper` is used for CornerFill::kPaper (black when
// null) and may be null for the other fills.
bool TurnPage(const BmpBase::CBitmap24& src, double angle, CornerFill corner,
              const uint8_t paper[3], BmpBase::CBitmap24& dst);

// The automatic pipeline: analyses `src` and, when the small-tilt rule says
// so, turns it into `dst` by the whole-degree angle with the corner option's
// fill. `angle` receives the folded estimate. `turned` tells whether `dst`
// now holds the turned page; otherwise `dst` is as handed in and the caller
// decides what it should hold. False after the line "Failed to call
// Deskewer" when no angle was found or the turn failed.
bool DeskewPage(const BmpBase::CBitmap24& src, BmpBase::CBitmap24& dst, int cornerOption,
                int& angle, bool& turned);

}  // namespace Skewmend
