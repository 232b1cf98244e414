// The analysis sequence, written once: working page, grey image (smoothed in
// precise mode when noisy), global Otsu, then the Deskewer, whose estimate
// either stands alone (AnalysePage) or drives the turn (DeskewPage, through
// Deskewer::Deskew with its log lines and timers).
//
// Precise mode keeps its own order of events: the paper colour is taken
// from the uncropped mask, a page without ink is "not sure" before any
// Deskewer is built, and the whole-degree estimate prints no angle lines.
#include "engine/pipeline.h"

#include "bmpbase/planes.h"
#include "bmpbase/size_limits.h"
#include "engine/binarizer/binarizer.h"
#include "engine/deskew/angle_rules.h"
#include "engine/deskew/deskewer.h"
#include "engine/diagnostics.h"
#include "engine/export_guard.h"
#include "engine/rotator.h"
#include "engine/working_page.h"

namespace Skewmend {

namespace {

constexpr char kNoAngle[] = "Failed to call Deskewer";

void Precise(const PreparedPage& p, PageAnalysis& a) {
    PreciseEstimate& e = a.precise;
    e.noiseSigma = p.noiseSigma;
    e.denoised = p.denoised;
    if (p.mask.Count() == 0) {
        e.status = PreciseStatus::kNotSure;
        a.reason = "no ink on the page";
        return;
    }
    Deskewer deskewer = p.MakeDeskewer();
    int rawAngle = 0;
    int angle = 0;
    if (!deskewer.GetSkewAngles(rawAngle, angle)) {
        e.status = PreciseStatus::kFailed;
        a.reason = "no skew could be estimated";
        return;
    }
    a.found = true;
    a.angle = FoldAngle(angle);
    e.wholeAngle = a.angle;
    PreciseDeskew::Decide(deskewer.mask, deskewer.height, deskewer.width, a.angle, e);
}

}  // namespace

PreparedPage::PreparedPage(const BmpBase::CBitmap24& src, bool smoothNoisy) : working(src) {
    BmpBase::GetGreyImage(working.Page(), grey);
    if (smoothNoisy) {
        noiseSigma = PreciseDeskew::NoiseSigma(grey);
        if (noiseSigma > PreciseDeskew::kNoisySigma) {
            grey = PreciseDeskew::BoxMean3x3(grey);
            denoised = true;
        }
    }
    Binarizer binarizer(grey);
    binarizer.Binarize(BinarizeMethod::kOtsu, mask, height, width, backgroundGrey);
}

Deskewer PreparedPage::MakeDeskewer() const {
    return Deskewer(mask, grey, backgroundGrey, height, width);
}

bool IsAnalysable(const BmpBase::CBitmap24& page) {
    return UsableSource(page);
}

PageAnalysis AnalysePage(const BmpBase::CBitmap24& page, const AnalysisOptions& options) {
    PageAnalysis a;
    if (!IsAnalysable(page)) {
        a.reason = "the page is empty or too large";
        return a;
    }
    a.usable = true;
    const PreparedPage p(page, options.precise);
    a.reduced = p.working.IsReduced();
    if (options.paperColour || options.precise) {
        Deskewer::PaperColour(p.working.Page(), p.mask, a.paper);
    }
    if (options.precise) {
        Precise(p, a);
    } else {
        Deskewer deskewer = p.MakeDeskewer();
        a.found = deskewer.EstimateAngle(a.angle);
        if (!a.found) {
            Log(kNoAngle);
            a.reason = "no skew could be estimated";
        }
    }
    a.turns = a.found && TurnsPage(a.angle);
    return a;
}

bool TurnPage(const BmpBase::CBitmap24& src, double angle, CornerFill corner,
              const uint8_t paper[3], BmpBase::CBitmap24& dst) {
    if (&src == &dst || !IsAnalysable(src)) {
        return false;
    }
    static const uint8_t kBlack[3] = {0, 0, 0};
    const BmpBase::BitmapFileHeader oldFile = dst.fileHeader;
    const BmpBase::BitmapInfoHeader oldInfo = dst.infoHeader;
    // The rotation sets only the sizes in the headers; everything else the
    // turned page carries over from the source.
    dst.fileHeader = src.fileHeader;
    dst.infoHeader = src.infoHeader;
    auto rows = static_cast<uint16_t>(src.height);
    auto cols = static_cast<uint16_t>(src.width);
    const uint8_t* fill = corner == CornerFill::kPaper && paper != nullptr ? paper : kBlack;
    if (!Rotator::Rotate(dst, src, fill, rows, cols, static_cast<int>(corner), angle)) {
        dst.fileHeader = oldFile;
        dst.infoHeader = oldInfo;
        return false;
    }
    return true;
}

bool DeskewPage(const BmpBase::CBitmap24& src, BmpBase::CBitmap24& dst, int cornerOption,
                int& angle, bool& turned) {
    turned = false;
    const PreparedPage p(src);
    Deskewer deskewer = p.MakeDeskewer();
    uint16_t rows = p.height;
    uint16_t cols = p.width;
    const bool ok =
        deskewer.Deskew(src, p.working.Page(), p.mask, rows, cols, dst, angle, cornerOption);
    turned = ok && TurnsPage(angle);
    if (!ok) {
        Log(kNoAngle);
    }
    return ok;
}

}  // namespace Skewmend
