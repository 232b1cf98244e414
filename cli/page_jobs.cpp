// Every command goes through the engine's internal interface
// (engine/pipeline.h). auto and estimate decide a page in precise mode by
// default (a fractional angle with a confidence; pages it is not sure about
// kept as they were); with --whole-degrees, auto analyses the page and, when
// the small-tilt rule says so, turns it by the whole-degree angle, as
// _AutoRotate does. rotate turns the page by the task's angle (--angle, or a
// report's row for --from-report, whose skipped rows are never loaded) with
// white or black corners; estimate stops after the analysis. A turned page
// is written on the canvas --canvas asks for (page_canvas.h).
//
// Pages are turned in 24 bits and written in the kind they were read in
// (bilevel, grey, palette, RGB; pictconv/page_description.h): the turned
// page is brought back with Pictconv::ReduceToKind and the encoder writes
// what its format holds of that kind. A bilevel page's corners are white,
// or black when asked. What writing from the decoded page gave up (16-bit
// samples, CMYK, transparency) goes to the report's note.
//
// A page that auto leaves unturned, for whatever reason (no skew could be
// estimated included), and a page rotate turns by 0 degrees are not
// re-encoded when the output keeps the input's format: the input file is
// copied byte for byte (or, in place, left alone), so a JPEG loses nothing
// by passing through the tool and every page given reaches the output.
#include "cli/page_jobs.h"

#include <chrono>
#include <new>

#include "cli/fingerprint.h"
#include "cli/page_canvas.h"
#include "cli/page_io.h"
#include "engine/deskew/precise.h"
#include "engine/pipeline.h"
#include "pictconv/page_description.h"

namespace Cli {

using BmpBase::CBitmap24;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

PageResult Begin(const PageTask& task) {
    PageResult r;
    r.input = task.input;
    r.output = task.output;
    r.error = task.refusal;
    return r;
}

// A message about the file a task reads, naming the input as the reports
// do (standard input's temporary copy as "-").
void NameAsInput(const PageTask& task, std::string& message) {
    const std::string& source = SourceOf(task);
    for (size_t at = 0;
         source != task.input && (at = message.find(source, at)) != std::string::npos;
         at += task.input.size()) {
        message.replace(at, source.size(), task.input);
    }
}

bool Load(const PageTask& task, CBitmap24& page, ImageFormat& format, PageResult& r,
          Pictconv::PageDescription* description = nullptr) {
    const auto start = Clock::now();
    const bool ok = LoadPage(SourceOf(task), page, format, r.error, description);
    NameAsInput(task, r.error);
    r.decodeMs = MsSince(start);
    return ok;
}

// Writes the turned page `page` of the source `src` in the source's kind,
// with the source's resolution: the manual rotation makes a fresh bitmap
// whose header does not carry it.
bool Save(const PageTask& task, const CBitmap24& src, CBitmap24& page, ImageFormat inputFormat,
          const Pictconv::PageDescription& kind, PageResult& r) {
    page.infoHeader.biXPelsPerMeter = src.infoHeader.biXPelsPerMeter;
    page.infoHeader.biYPelsPerMeter = src.infoHeader.biYPelsPerMeter;
    const auto start = Clock::now();
    Pictconv::ReduceToKind(page, kind);
    r.changes = Pictconv::ChangeNotes(kind.changes);
    const ImageFormat format =
        task.outFormat == ImageFormat::kUnknown ? inputFormat : task.outFormat;
    const bool ok = SavePage(page, task.output, format, r.error, &kind);
    r.encodeMs = MsSince(start);
    return ok;
}

// Turns `src`, a page of `kind`, by `angle` into `dst` with the corner fill
// (`paper` for the paper colour; may be null otherwise) on the canvas the
// options ask for. False when the engine cannot turn the page.
bool Turn(const CBitmap24& src, double angle, const Options& options, const uint8_t paper[3],
          Pictconv::PageKind kind, CBitmap24& dst) {
    const Corner corner = CornerForKind(options.corner, kind);
    if (options.canvas == Canvas::kExpand) {
        return Skewmend::TurnPage(src, angle, corner, paper, dst);
    }
    CBitmap24 turned;
    if (!Skewmend::TurnPage(src, angle, corner, paper, turned)) {
        return false;
    }
    uint8_t fill[3];
    CornerColour(corner, paper, fill);
    CentreOnCanvas(turned, src.height, src.width, fill, dst);
    return true;
}

// Writes the outcome of `auto` and `rotate`: the turned page, or the page
// as it was (the input copied byte for byte when the output keeps its
// format, nothing at all in place). `dst` is the turned page or the source.
bool WriteOutcome(const PageTask& task, const Options& options, const CBitmap24& src,
                  CBitmap24& dst, ImageFormat format, const Pictconv::PageDescription& kind,
                  PageResult& r) {
    const bool sameFormat = task.outFormat == ImageFormat::kUnknown || task.outFormat == format;
    if (!r.turned && sameFormat) {
        r.copied = true;
        if (options.inPlace) {
            return true;
        }
        const auto copyStart = Clock::now();
        const bool ok = CopyFileAtomically(SourceOf(task), task.output, r.error);
        r.encodeMs = MsSince(copyStart);
        return ok;
    }
    return Save(task, src, dst, format, kind, r);
}

// Why precise mode is not sure: a direction it does not trust enough, or
// none at all.
PageNote NotSureNote(const Skewmend::PreciseEstimate& e) {
    return e.status == Skewmend::PreciseStatus::kSure ? PageNote::kBelowMinConfidence
                                                      : PageNote::kNoClearDirection;
}

const char kNoSkew[] = ": no skew could be estimated (too little text on the page?)";
const char kNotTurned[] = ": the page could not be rotated";

// A page the engine cannot analyse at all (empty or beyond the size
// limits) fails with the engine's reason.
bool Analysable(const PageTask& task, const Skewmend::PageAnalysis& analysis, PageResult& r) {
    if (!analysis.usable) {
        r.error = task.input + ": " + analysis.reason;
    }
    return analysis.usable;
}

// Precise mode for `auto`: the sub-degree estimate, its gates and, when it
// is trusted and large enough, the turn at the fractional angle. A page the
// mode is not sure about, or whose skew cannot be estimated at all, is kept
// as it was, never turned.
bool PreciseAuto(const PageTask& task, const Options& options, PageResult& r) {
    CBitmap24 src;
    ImageFormat format = ImageFormat::kUnknown;
    Pictconv::PageDescription description;
    if (!Load(task, src, format, r, &description)) {
        return false;
    }
    const auto start = Clock::now();
    Skewmend::AnalysisOptions asked;
    asked.precise = true;
    const Skewmend::PageAnalysis analysis = Skewmend::AnalysePage(src, asked);
    const Skewmend::PreciseEstimate& e = analysis.precise;
    const Skewmend::PreciseAction action =
        Skewmend::PreciseDeskew::Gate(analysis.usable, e, options.minConfidence, options.minAngle);
    CBitmap24 dst;
    r.turned = action == Skewmend::PreciseAction::kRotated &&
               Turn(src, e.angle, options, analysis.paper, description.kind, dst);
    r.processMs = MsSince(start);
    r.precise = true;
    r.confidence = e.confidence;
    if (!Analysable(task, analysis, r)) {
        return false;
    }
    if (action == Skewmend::PreciseAction::kRotated && !r.turned) {
        r.error = task.input + kNotTurned;
        return false;
    }
    const bool noSkew = action == Skewmend::PreciseAction::kFailed;
    r.notSure = noSkew || action == Skewmend::PreciseAction::kNotSure;
    r.hasAngle = !r.notSure;
    r.preciseAngle = e.angle;
    r.note = noSkew                                          ? PageNote::kNoSkewFound
             : r.notSure                                     ? NotSureNote(e)
             : action == Skewmend::PreciseAction::kUnchanged ? PageNote::kBelowMinAngle
                                                             : PageNote::kNone;
    return WriteOutcome(task, options, src, r.turned ? dst : src, format, description, r);
}

// Precise mode for `estimate`: the estimate and the confidence gate.
bool PreciseEstimate(const PageTask& task, const Options& options, PageResult& r) {
    CBitmap24 page;
    ImageFormat format = ImageFormat::kUnknown;
    if (!Load(task, page, format, r)) {
        return false;
    }
    Skewmend::PreciseEstimate e;
    const auto start = Clock::now();
    const bool ok = Skewmend::PreciseDeskew::Estimate(page, e);
    r.processMs = MsSince(start);
    r.precise = true;
    r.confidence = e.confidence;
    if (!ok || e.status == Skewmend::PreciseStatus::kFailed) {
        r.error = task.input + kNoSkew;
        return false;
    }
    r.notSure = e.status != Skewmend::PreciseStatus::kSure || e.confidence < options.minConfidence;
    r.hasAngle = !r.notSure;
    r.note = r.notSure ? NotSureNote(e) : PageNote::kNone;
    r.preciseAngle = e.angle;
    return true;
}

// Takes the input's fingerprint for the report; for a report's row, marks
// the page skipped when its input is no longer the page the row measured.
// False with the reason when the input cannot be read.
bool ReadInput(const PageTask& task, PageResult& r) {
    Fingerprint print;
    if (!FingerprintFile(SourceOf(task), print, r.error)) {
        NameAsInput(task, r.error);
        return false;
    }
    r.hasFingerprint = true;
    r.inputBytes = print.bytes;
    r.inputSha256 = print.sha256;
    if (task.checkFingerprint &&
        (print.bytes != task.expected.bytes || print.sha256 != task.expected.sha256)) {
        r.skipped = true;
        r.note = PageNote::kPageChanged;
    }
    return true;
}

// Runs `body` on a page that is neither refused nor skipped, after taking
// the input's fingerprint, and turns an allocation failure into a failed
// page.
template <typename Body>
PageResult Guarded(const PageTask& task, Body body) {
    PageResult r = Begin(task);
    if (!task.refusal.empty()) {
        return r;
    }
    if (task.skip != PageNote::kNone) {
        r.ok = true;
        r.skipped = true;
        r.note = task.skip;
        return r;
    }
    try {
        r.ok = ReadInput(task, r) && (r.skipped || body(r));
    } catch (const std::bad_alloc&) {
        r.ok = false;
        r.error = task.input + ": not enough memory for the picture";
    }
    if (r.ok) {
        r.error.clear();
    }
    return r;
}

}  // namespace

PageResult AutoPage(const PageTask& task, const Options& options) {
    if (options.precise) {
        return Guarded(task, [&](PageResult& r) { return PreciseAuto(task, options, r); });
    }
    return Guarded(task, [&](PageResult& r) {
        CBitmap24 src;
        ImageFormat format = ImageFormat::kUnknown;
        Pictconv::PageDescription description;
        if (!Load(task, src, format, r, &description)) {
            return false;
        }
        const auto start = Clock::now();
        Skewmend::AnalysisOptions asked;
        asked.paperColour = options.corner == Corner::kPaper;
        const Skewmend::PageAnalysis analysis = Skewmend::AnalysePage(src, asked);
        CBitmap24 dst;
        r.turned = analysis.turns &&
                   Turn(src, analysis.angle, options, analysis.paper, description.kind, dst);
        r.processMs = MsSince(start);
        if (!Analysable(task, analysis, r)) {
            return false;
        }
        if (analysis.turns && !r.turned) {
            r.error = task.input + kNotTurned;
            return false;
        }
        r.hasAngle = analysis.found;
        r.angle = analysis.angle;
        r.note = r.turned         ? PageNote::kNone
                 : analysis.found ? PageNote::kSmallTilt
                                  : PageNote::kNoSkewFound;
        return WriteOutcome(task, options, src, r.turned ? dst : src, format, description, r);
    });
}

PageResult RotatePage(const PageTask& task, const Options& options) {
    return Guarded(task, [&](PageResult& r) {
        CBitmap24 src;
        ImageFormat format = ImageFormat::kUnknown;
        Pictconv::PageDescription description;
        if (!Load(task, src, format, r, &description)) {
            return false;
        }
        // A turn by 0 degrees leaves the page as it is.
        const bool turns = task.angle != 0.0;
        CBitmap24 dst;
        const auto start = Clock::now();
        r.turned = turns && Turn(src, task.angle, options, nullptr, description.kind, dst);
        r.processMs = MsSince(start);
        if (turns && !r.turned) {
            r.error = task.input + kNotTurned;
            return false;
        }
        r.turnAngle = task.angle;
        return WriteOutcome(task, options, src, r.turned ? dst : src, format, description, r);
    });
}

PageResult EstimatePage(const PageTask& task, const Options& options) {
    if (options.precise) {
        return Guarded(task, [&](PageResult& r) { return PreciseEstimate(task, options, r); });
    }
    return Guarded(task, [&](PageResult& r) {
        CBitmap24 page;
        ImageFormat format = ImageFormat::kUnknown;
        if (!Load(task, page, format, r)) {
            return false;
        }
        const auto start = Clock::now();
        const Skewmend::PageAnalysis analysis = Skewmend::AnalysePage(page, {});
        r.processMs = MsSince(start);
        if (!analysis.found) {
            r.error = task.input + kNoSkew;
            return false;
        }
        r.hasAngle = true;
        r.angle = analysis.angle;
        return true;
    });
}

}  // namespace Cli
