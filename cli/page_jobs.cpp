// Pages are turned in 24 bits and written in the kind they were read in
// (bilevel, grey, palette, RGB; pictconv/page_description.h): the turned
// page is brought back with Pictconv::ReduceToKind and the encoder writes
// what its format holds of that kind. A bilevel page's corners are white,
// or black when asked. What writing from the decoded page gave up (16-bit
// samples, CMYK, transparency) goes to the report's note. A page stored
// sideways by its orientation is put upright before anything else and
// written upright; its colour profile and metadata go with it
// (page_metadata_job.h).
//
// A page that auto leaves unturned, for whatever reason (no skew could be
// estimated included), and a page rotate turns by 0 degrees are not
// re-encoded when the output keeps the input's format: the input file is
// copied byte for byte (or, in place, left alone), so a JPEG loses nothing
// by passing through the tool and every page given reaches the output.
// rotate's angle is the task's (--angle, or a report's row for
// --from-report, whose skipped rows are never loaded).
#include "cli/page_jobs.h"

#include <new>

#include "cli/bilevel_output.h"
#include "cli/elapsed.h"
#include "cli/page_decision.h"
#include "cli/page_io.h"
#include "cli/page_metadata_job.h"
#include "cli/task_input.h"
#include "cli/tiff_jobs.h"
#include "pictconv/page_description.h"

namespace Cli {

using BmpBase::CBitmap24;

namespace {

bool Load(const PageTask& task, CBitmap24& page, ImageFormat& format,
          Pictconv::PageDescription& description, PageResult& r) {
    const auto start = Clock::now();
    const bool ok = LoadPage(SourceOf(task), page, format, r.error, &description);
    NameAsInput(task, r.error);
    r.decodeMs = MsSince(start);
    return ok;
}

// Writes the turned (or only uprighted) page `page` of the source `src` in
// the source's kind, with the source's resolution (the manual rotation makes
// a fresh bitmap whose header does not carry it) and metadata.
bool Save(const PageTask& task, const Options& options, const CBitmap24& src, CBitmap24& page,
          ImageFormat inputFormat, const Pictconv::PageDescription& kind, bool uprighted,
          PageResult& r) {
    page.infoHeader.biXPelsPerMeter = src.infoHeader.biXPelsPerMeter;
    page.infoHeader.biYPelsPerMeter = src.infoHeader.biYPelsPerMeter;
    const auto start = Clock::now();
    Pictconv::ReduceToKind(page, kind);
    const ImageFormat format =
        task.outFormat == ImageFormat::kUnknown ? inputFormat : task.outFormat;
    Pictconv::PageDescription written = kind;
    r.changeNotes = WrittenPageNotes(page, uprighted, written, format);
    const bool ok = SavePage(page, task.output, format, r.error, &written, options.quality);
    r.encodeMs = MsSince(start);
    return ok;
}

// Writes the outcome of `auto` and `rotate`: the turned or uprighted page,
// or the page as it was (the input copied byte for byte when the output
// keeps its format, nothing at all in place). `dst` is the turned page or
// the source.
bool WriteOutcome(const PageTask& task, const Options& options, const CBitmap24& src,
                  CBitmap24& dst, ImageFormat format, const Pictconv::PageDescription& kind,
                  bool uprighted, PageResult& r) {
    const bool sameFormat = task.outFormat == ImageFormat::kUnknown || task.outFormat == format;
    if (!r.turned && !uprighted && sameFormat) {
        r.copied = true;
        if (options.inPlace) {
            return true;
        }
        const auto copyStart = Clock::now();
        const bool ok = CopyFileAtomically(SourceOf(task), task.output, r.error);
        r.encodeMs = MsSince(copyStart);
        return ok;
    }
    return Save(task, options, src, dst, format, kind, uprighted, r);
}

// --bilevel: the page written 1-bit, turned or not, with the method's note
// and then what the metadata's notes add.
bool WriteBilevel(const PageTask& task, const Options& options, const CBitmap24& src,
                  const CBitmap24& decided, ImageFormat format,
                  const Pictconv::PageDescription& source, bool uprighted, PageResult& r) {
    CBitmap24 page;
    Pictconv::PageDescription bilevel;
    const auto start = Clock::now();
    const bool made = MakeBilevel(src, decided, options, source, page, bilevel, r);
    r.processMs += MsSince(start);
    if (!made) {
        return false;
    }
    const std::string note = r.changeNotes;
    const bool ok = Save(task, options, src, page, format, bilevel, uprighted, r);
    r.changeNotes = JoinedNotes(note, r.changeNotes);
    return ok;
}

// The one picture of a BMP, JPEG or PNG file (or of a TIFF file written in
// another format) under the task's command.
bool SinglePicture(const PageTask& task, const Options& options, PageResult& r) {
    CBitmap24 src;
    ImageFormat format = ImageFormat::kUnknown;
    Pictconv::PageDescription kind;
    if (!Load(task, src, format, kind, r)) {
        return false;
    }
    const bool uprighted = UprightLoadedPage(src, format, kind);
    CBitmap24 dst;
    const Options decision = DecisionOptions(options);
    bool decided = false;
    switch (options.command) {
        case Command::kAuto:
            decided = DecideAuto(task.input, decision, src, kind.kind, dst, r);
            break;
        case Command::kRotate:
            decided = DecideRotate(task.input, task.angle, decision, src, kind.kind, dst, r);
            break;
        default:
            return DecideEstimate(task.input, options, src, r);
    }
    if (!decided) {
        return false;
    }
    if (options.bilevel) {
        return WriteBilevel(task, options, src, dst, format, kind, uprighted, r);
    }
    return WriteOutcome(task, options, src, r.turned ? dst : src, format, kind, uprighted, r);
}

// The results of a task decided without reading its file: `r` once, or for
// a multi-page file's report rows, once per row with the row's page (and,
// with `ownNotes`, the row's own reason for leaving the page as it is).
std::vector<PageResult> ForEachRow(const PageTask& task, const PageResult& r, bool ownNotes) {
    if (task.reportPages.empty()) {
        return {r};
    }
    std::vector<PageResult> results;
    for (const ReportPage& row : task.reportPages) {
        results.push_back(r);
        results.back().page = row.page;
        results.back().pages = row.pages;
        if (ownNotes) {
            results.back().note = row.skip;
        }
    }
    return results;
}

bool AnyRowApplies(const PageTask& task) {
    for (const ReportPage& row : task.reportPages) {
        if (row.skip == PageNote::kNone) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<PageResult> RunTask(const PageTask& task, const Options& options) {
    PageResult r = BeginResult(task);
    if (!task.refusal.empty()) {
        return ForEachRow(task, r, false);
    }
    const bool noRowApplies = !task.reportPages.empty() && !AnyRowApplies(task);
    if (task.skip != PageNote::kNone || noRowApplies) {
        r.ok = true;
        r.skipped = true;
        r.note = task.skip;
        return ForEachRow(task, r, noRowApplies);
    }
    try {
        if (!ReadInput(task, r)) {
            return ForEachRow(task, r, false);
        }
        if (r.skipped) {
            r.ok = true;
            return ForEachRow(task, r, false);
        }
        std::vector<PageResult> pages;
        if (TiffFileTask(task, options, r, pages)) {
            return pages;
        }
        r.ok = SinglePicture(task, options, r);
    } catch (const std::bad_alloc&) {
        r.ok = false;
        r.error = task.input + ": not enough memory for the picture";
    }
    if (r.ok) {
        r.error.clear();
    }
    return {r};
}

}  // namespace Cli
