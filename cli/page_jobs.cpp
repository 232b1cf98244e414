// auto calls _AutoRotate, rotate _ManualRotate (the engine's exports, as the
// desktop program uses them), except that rotate with black corners uses the
// engine's colour rotation, because the manual export fills corners white
// for either option; estimate stops after the analysis. A page that
// auto leaves unturned is not re-encoded when its output keeps the input's
// format: the input file is copied byte for byte (or, in place, left alone),
// so a JPEG loses nothing by passing through the tool. With --precise, auto
// and estimate go through the engine's precise mode instead: a fractional
// angle with a confidence, and pages it is not sure about kept as they were.
#include "page_jobs.h"

#include <chrono>
#include <new>

#include "bmpbase/size_limits.h"
#include "deskew/precise.h"
#include "page_io.h"
#include "rotator.h"
#include "skew_estimate.h"
#include "skewmend.h"

namespace Cli {

using BmpBase::CBitmap24;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int CornerOption(Corner corner) {
    switch (corner) {
        case Corner::kPaper:
            return 0;
        case Corner::kBlack:
            return 1;
        case Corner::kWhite:
            break;
    }
    return 2;
}

PageResult Begin(const PageTask& task) {
    PageResult r;
    r.input = task.input;
    r.output = task.output;
    r.error = task.refusal;
    return r;
}

bool Load(const PageTask& task, CBitmap24& page, ImageFormat& format, PageResult& r) {
    const auto start = Clock::now();
    const bool ok = LoadPage(task.input, page, format, r.error);
    r.decodeMs = MsSince(start);
    return ok;
}

// Writes the turned page `page` of the source `src`, with the source's
// resolution: the manual rotation makes a fresh bitmap whose header does not
// carry it.
bool Save(const PageTask& task, const CBitmap24& src, CBitmap24& page, ImageFormat inputFormat,
          PageResult& r) {
    page.infoHeader.biXPelsPerMeter = src.infoHeader.biXPelsPerMeter;
    page.infoHeader.biYPelsPerMeter = src.infoHeader.biYPelsPerMeter;
    const auto start = Clock::now();
    const ImageFormat format =
        task.outFormat == ImageFormat::kUnknown ? inputFormat : task.outFormat;
    const bool ok = SavePage(page, task.output, format, r.error);
    r.encodeMs = MsSince(start);
    return ok;
}

// Writes the outcome of `auto`: the turned page, or the page as it was (the
// input copied byte for byte when the output keeps its format, nothing at
// all in place). `dst` is the turned page or the exact copy.
bool WriteOutcome(const PageTask& task, const Options& options, const CBitmap24& src,
                  CBitmap24& dst, ImageFormat format, PageResult& r) {
    const bool sameFormat = task.outFormat == ImageFormat::kUnknown || task.outFormat == format;
    if (!r.turned && sameFormat) {
        r.copied = true;
        if (options.inPlace) {
            return true;
        }
        const auto copyStart = Clock::now();
        const bool ok = CopyFileAtomically(task.input, task.output, r.error);
        r.encodeMs = MsSince(copyStart);
        return ok;
    }
    return Save(task, src, dst, format, r);
}

const char kNoSkew[] = ": no skew could be estimated (too little text on the page?)";

// Precise mode for `auto`: the sub-degree estimate, its gates and, when it
// is trusted and large enough, the turn at the fractional angle. A page the
// mode is not sure about is kept as it was, never turned.
bool PreciseAuto(const PageTask& task, const Options& options, PageResult& r) {
    CBitmap24 src;
    ImageFormat format = ImageFormat::kUnknown;
    if (!Load(task, src, format, r)) {
        return false;
    }
    CBitmap24 dst;
    Skewmend::PreciseEstimate e;
    const auto start = Clock::now();
    const Skewmend::PreciseAction action = Skewmend::PreciseDeskew::Apply(
        src, dst, CornerOption(options.corner), options.minConfidence, options.minAngle, e);
    r.processMs = MsSince(start);
    r.precise = true;
    r.confidence = e.confidence;
    if (action == Skewmend::PreciseAction::kFailed) {
        r.error = task.input + kNoSkew;
        return false;
    }
    r.notSure = action == Skewmend::PreciseAction::kNotSure;
    r.hasAngle = !r.notSure;
    r.preciseAngle = e.angle;
    r.turned = action == Skewmend::PreciseAction::kRotated;
    return WriteOutcome(task, options, src, dst, format, r);
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
    r.preciseAngle = e.angle;
    return true;
}

// Runs `body` and turns an allocation failure into a failed page.
template <typename Body>
PageResult Guarded(const PageTask& task, Body body) {
    PageResult r = Begin(task);
    if (!task.refusal.empty()) {
        return r;
    }
    try {
        r.ok = body(r);
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
        if (!Load(task, src, format, r)) {
            return false;
        }
        CBitmap24 dst;
        int angle = 0;
        const auto start = Clock::now();
        const bool rotated = _AutoRotate(&src, &dst, CornerOption(options.corner), &angle);
        r.processMs = MsSince(start);
        if (!rotated) {
            r.error = task.input + kNoSkew;
            return false;
        }
        r.hasAngle = true;
        r.angle = angle;
        r.turned = angle > kMaxTiltLeftUnturnedDeg || angle < -kMaxTiltLeftUnturnedDeg;
        return WriteOutcome(task, options, src, dst, format, r);
    });
}

PageResult RotatePage(const PageTask& task, const Options& options) {
    return Guarded(task, [&](PageResult& r) {
        CBitmap24 src;
        ImageFormat format = ImageFormat::kUnknown;
        if (!Load(task, src, format, r)) {
            return false;
        }
        CBitmap24 dst;
        const auto start = Clock::now();
        bool rotated = false;
        if (options.corner == Corner::kBlack) {
            // The manual export fills the corners white whatever it is asked;
            // the colour rotation of the automatic path honours black.
            const uint8_t unused[3] = {0, 0, 0};
            uint16_t rows = static_cast<uint16_t>(src.height);
            uint16_t cols = static_cast<uint16_t>(src.width);
            rotated = BmpBase::SizeIsSupported(src.width, src.height) &&
                      Skewmend::Rotator::Rotate(dst, src, unused, rows, cols,
                                                CornerOption(Corner::kBlack), options.angle);
        } else {
            rotated = _ManualRotate(&src, &dst, options.angle, CornerOption(options.corner));
        }
        r.processMs = MsSince(start);
        if (!rotated) {
            r.error = task.input + ": the page could not be rotated";
            return false;
        }
        r.turned = true;
        return Save(task, src, dst, format, r);
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
        int angle = 0;
        const bool found = EstimateSkew(page, angle);
        r.processMs = MsSince(start);
        if (!found) {
            r.error = task.input + kNoSkew;
            return false;
        }
        r.hasAngle = true;
        r.angle = angle;
        return true;
    });
}

}  // namespace Cli
