// Every command goes through the engine's internal interface
// (engine/pipeline.h); auto and estimate decide a page as page_work.h
// describes. rotate turns the page by the task's angle (--angle, or a
// report's row for --from-report, whose skipped rows are never loaded) with
// white or black corners; estimate stops after the analysis. A turned page
// is written on the canvas --canvas asks for (page_canvas.h).
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
#include "cli/page_io.h"
#include "cli/page_work.h"

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

bool Load(const PageTask& task, CBitmap24& page, ImageFormat& format, PageResult& r) {
    const auto start = Clock::now();
    const bool ok = LoadPage(SourceOf(task), page, format, r.error);
    NameAsInput(task, r.error);
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

// Writes the outcome of `auto` and `rotate`: the turned page, or the page
// as it was (the input copied byte for byte when the output keeps its
// format, nothing at all in place). `dst` is the turned page or the source.
bool WriteOutcome(const PageTask& task, const Options& options, const CBitmap24& src,
                  CBitmap24& dst, ImageFormat format, PageResult& r) {
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
    return Save(task, src, dst, format, r);
}

// Names the input in a failed decision's reason.
bool Named(const PageTask& task, bool ok, PageResult& r) {
    if (!ok) {
        r.error = task.input + ": " + r.error;
    }
    return ok;
}

// auto: the decision on the loaded page, then the turned page or the page
// as it was written.
bool StraightenTask(const PageTask& task, const Options& options, PageResult& r) {
    CBitmap24 src;
    ImageFormat format = ImageFormat::kUnknown;
    if (!Load(task, src, format, r)) {
        return false;
    }
    const auto start = Clock::now();
    CBitmap24 dst;
    const bool ok = StraightenPage(src, options, dst, r);
    r.processMs = MsSince(start);
    return Named(task, ok, r) && WriteOutcome(task, options, src, r.turned ? dst : src, format, r);
}

// estimate: the decision on the loaded page.
bool EstimateTask(const PageTask& task, const Options& options, PageResult& r) {
    CBitmap24 page;
    ImageFormat format = ImageFormat::kUnknown;
    if (!Load(task, page, format, r)) {
        return false;
    }
    const auto start = Clock::now();
    const bool ok = EstimateOnPage(page, options, r);
    r.processMs = MsSince(start);
    return Named(task, ok, r);
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
    return Guarded(task, [&](PageResult& r) { return StraightenTask(task, options, r); });
}

PageResult RotatePage(const PageTask& task, const Options& options) {
    return Guarded(task, [&](PageResult& r) {
        CBitmap24 src;
        ImageFormat format = ImageFormat::kUnknown;
        if (!Load(task, src, format, r)) {
            return false;
        }
        // A turn by 0 degrees leaves the page as it is.
        const bool turns = task.angle != 0.0;
        CBitmap24 dst;
        const auto start = Clock::now();
        r.turned = turns && TurnOnCanvas(src, task.angle, options, nullptr, dst);
        r.processMs = MsSince(start);
        if (turns && !r.turned) {
            r.error = task.input + ": the page could not be rotated";
            return false;
        }
        r.turnAngle = task.angle;
        return WriteOutcome(task, options, src, r.turned ? dst : src, format, r);
    });
}

PageResult EstimatePage(const PageTask& task, const Options& options) {
    return Guarded(task, [&](PageResult& r) { return EstimateTask(task, options, r); });
}

}  // namespace Cli
