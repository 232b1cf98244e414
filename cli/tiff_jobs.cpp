// The pages are decided one after the other; only the turned pages (and
// those put upright by their orientation) are kept in memory until the file
// is written (the others are carried from the input itself).
#include "cli/tiff_jobs.h"

#include <memory>

#include "cli/bilevel_output.h"
#include "cli/elapsed.h"
#include "cli/page_decision.h"
#include "cli/page_io.h"
#include "cli/page_metadata_job.h"
#include "cli/task_input.h"
#include "pictconv/tiff_pages.h"

namespace Cli {

using BmpBase::CBitmap24;

namespace {

void FailAll(std::vector<PageResult>& results, const std::string& error) {
    for (PageResult& r : results) {
        r.ok = false;
        r.turned = false;
        r.error = error;
    }
}

// The report's row for `page`, or null.
const ReportPage* RowFor(const PageTask& task, uint32_t page) {
    for (const ReportPage& row : task.reportPages) {
        if (row.page == page) {
            return &row;
        }
    }
    return nullptr;
}

// Decides page `r.page` (`src`, of `description`) under the task's command;
// `dst` receives the turned page.
void DecidePage(const PageTask& task, const Options& options, const CBitmap24& src,
                const Pictconv::PageDescription& description, CBitmap24& dst, PageResult& r) {
    switch (options.command) {
        case Command::kAuto:
            r.ok = DecideAuto(task.input, options, src, description.kind, dst, r);
            break;
        case Command::kRotate: {
            const ReportPage* row = RowFor(task, r.page);
            if (!task.reportPages.empty() && (row == nullptr || row->skip != PageNote::kNone)) {
                r.ok = true;
                r.skipped = true;
                r.note = row == nullptr ? PageNote::kNoRowInReport : row->skip;
                return;
            }
            const double angle = row == nullptr ? task.angle : row->angle;
            r.ok = DecideRotate(task.input, angle, options, src, description.kind, dst, r);
            break;
        }
        default:
            r.ok = DecideEstimate(task.input, options, src, r);
            break;
    }
    if (!r.ok) {
        r.turned = false;  // carried over as it is
    }
}

// Writes the decided pages: the input copied when none is turned, else the
// new file. False with the reason.
bool WriteFile(const PageTask& task, const Options& options, Pictconv::TiffPages& input,
               std::vector<std::unique_ptr<CBitmap24>>& turned,
               const std::vector<Pictconv::PageDescription>& descriptions, std::string& error) {
    std::vector<Pictconv::TiffPageOut> pages;
    bool any = false;
    for (size_t i = 0; i < turned.size(); ++i) {
        pages.push_back({i, turned[i].get(), descriptions[i]});
        any = any || turned[i] != nullptr;
    }
    if (!any) {
        return options.inPlace || CopyFileAtomically(SourceOf(task), task.output, error);
    }
    return SaveTiffPages(input, pages, task.output, error);
}

}  // namespace

bool TiffFileTask(const PageTask& task, const Options& options, const PageResult& first,
                  std::vector<PageResult>& results) {
    results.clear();
    if (DetectFormat(SourceOf(task)) != ImageFormat::kTiff) {
        return false;
    }
    const bool writes = options.command != Command::kEstimate;
    const bool keepsTiff =
        task.outFormat == ImageFormat::kUnknown || task.outFormat == ImageFormat::kTiff;
    Pictconv::TiffPages input;
    std::string why;
    if (!input.Open(SourceOf(task).c_str(), why) || (writes && !keepsTiff && input.Count() == 1)) {
        return false;
    }
    const size_t count = input.Count();
    results.assign(count, first);
    for (size_t i = 0; i < count; ++i) {
        results[i].page = static_cast<uint32_t>(i + 1);
        results[i].pages = static_cast<uint32_t>(count);
    }
    if (writes && !keepsTiff) {
        FailAll(results, task.input + ": a file of " + std::to_string(count) +
                             " pages is written as TIFF only, so that no page is lost");
        return true;
    }
    std::vector<std::unique_ptr<CBitmap24>> turned(count);
    std::vector<Pictconv::PageDescription> descriptions(count);
    for (size_t i = 0; i < count; ++i) {
        PageResult& r = results[i];
        const auto start = Clock::now();
        CBitmap24 src;
        if (!input.Read(i, src, descriptions[i], why)) {
            FailAll(results, task.input + ": " + why + "; nothing was written");
            return true;
        }
        r.decodeMs = MsSince(start);
        const bool uprighted = UprightLoadedPage(src, ImageFormat::kTiff, descriptions[i]);
        auto dst = std::make_unique<CBitmap24>();
        DecidePage(task, DecisionOptions(options), src, descriptions[i], *dst, r);
        if (options.bilevel && writes && r.ok) {
            // Every page is written 1-bit, turned or not.
            auto page = std::make_unique<CBitmap24>();
            Pictconv::PageDescription bilevel;
            const auto made = Clock::now();
            r.ok = MakeBilevel(src, *dst, options, descriptions[i], *page, bilevel, r);
            r.processMs += MsSince(made);
            if (r.ok) {
                turned[i] = std::move(page);
                descriptions[i] = bilevel;
            }
        } else if (r.turned) {
            turned[i] = std::move(dst);
        } else if (writes && r.ok && uprighted && !r.skipped) {
            turned[i] = std::make_unique<CBitmap24>(src);
        }
        if (turned[i] != nullptr) {
            r.changeNotes = JoinedNotes(
                r.changeNotes,
                WrittenPageNotes(*turned[i], uprighted, descriptions[i], ImageFormat::kTiff));
        }
        r.copied = writes && r.ok && turned[i] == nullptr;
    }
    if (writes) {
        const auto start = Clock::now();
        std::string error;
        if (!WriteFile(task, options, input, turned, descriptions, error)) {
            NameAsInput(task, error);
            FailAll(results, error);
        }
        const double share = MsSince(start) / static_cast<double>(count);
        for (PageResult& r : results) {
            r.encodeMs = share;
        }
    }
    for (PageResult& r : results) {
        if (r.ok) {
            r.error.clear();
        }
    }
    return true;
}

}  // namespace Cli
