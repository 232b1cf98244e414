// Refusals, in the order they are checked: an output that is the input
// itself (same file, by device and inode) without --in-place; an output
// another page of the batch already writes; an existing output without
// --force (under --out-dir a skipped page rather than a refusal). Output
// folders under --out-dir are created as needed.
#include "cli/batch_plan.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "cli/paths.h"

namespace Cli {

namespace fs = std::filesystem;

namespace {

struct Found {
    std::string path;
    std::string relative;  // path below the folder it was found in
};

bool Hidden(const fs::path& p) {
    const std::string name = p.filename().string();
    return !name.empty() && name[0] == '.';
}

void ListFolder(const fs::path& folder, bool recursive, std::vector<Found>& found) {
    std::vector<fs::path> entries;
    std::error_code ec;
    if (recursive) {
        for (auto it = fs::recursive_directory_iterator(folder, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (Hidden(it->path())) {
                if (it->is_directory(ec)) {
                    it.disable_recursion_pending();
                }
                continue;
            }
            entries.push_back(it->path());
        }
    } else {
        for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
             it.increment(ec)) {
            if (!Hidden(it->path())) {
                entries.push_back(it->path());
            }
        }
    }
    std::sort(entries.begin(), entries.end());
    for (const fs::path& p : entries) {
        if (fs::is_regular_file(p, ec) && DetectFormat(p.string()) != ImageFormat::kUnknown) {
            found.push_back({p.string(), p.lexically_relative(folder).string()});
        }
    }
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Sets the output of task `t` for the input `f` and any refusal; `claimed`
// holds the outputs of the pages before it.
void PlanOutput(const Options& o, const Found& f, std::set<std::string>& claimed, PageTask& t) {
    if (!o.output.empty()) {
        t.output = o.output;
    } else if (o.inPlace) {
        t.output = f.path;
    } else {
        fs::path output = fs::path(o.outDir) / f.relative;
        // A 1-bit page cannot be a JPEG: such inputs are written as TIFF
        // (Group 4) unless --output-format names another format.
        if (o.bilevel && DetectFormat(f.path) == ImageFormat::kJpeg) {
            output.replace_extension(o.outputFormat == ImageFormat::kPng   ? ".png"
                                     : o.outputFormat == ImageFormat::kBmp ? ".bmp"
                                                                           : ".tif");
        }
        t.output = output.string();
    }
    t.outFormat = FormatFromExtension(t.output);
    if (t.outFormat == ImageFormat::kUnknown) {
        t.outFormat = o.outputFormat;  // kUnknown: keep the input's format
    }
    if (o.inPlace) {
        t.outFormat = ImageFormat::kUnknown;  // keep the input's format
    }
    if (t.output == kStdStream) {
        return;
    }
    std::error_code ec;
    const bool exists = fs::exists(t.output, ec);
    if (!o.inPlace && exists && SameFile(t.input, t.output)) {
        t.refusal =
            "the output " + t.output + " is the input itself; use --in-place to replace inputs";
    } else if (!claimed.insert(AbsolutePath(t.output)).second) {
        t.refusal = "another page of this batch already writes " + t.output;
    } else if (!o.inPlace && exists && !o.force && !o.outDir.empty()) {
        t.skip = PageNote::kOutputExists;
    } else if (!o.inPlace && exists && !o.force) {
        t.refusal = "the output " + t.output + " exists; use --force to replace it";
    } else if (!o.outDir.empty()) {
        fs::create_directories(fs::path(t.output).parent_path(), ec);
    }
}

}  // namespace

bool PlanBatch(const Options& o, std::vector<PageTask>& tasks, std::string& error) {
    std::vector<Found> found;
    for (const std::string& input : o.inputs) {
        std::error_code ec;
        if (input == kStdStream) {
            found.push_back({input, input});
        } else if (fs::is_directory(input, ec)) {
            const size_t before = found.size();
            ListFolder(input, o.recursive, found);
            if (found.size() == before && o.inputs.size() == 1) {
                error = "no BMP, JPEG, PNG or TIFF pictures in " + input;
                return false;
            }
        } else {
            found.push_back({input, fs::path(input).filename().string()});
        }
    }
    if (found.empty()) {
        error = "no pictures to work on";
        return false;
    }
    const bool writes = o.command != Command::kEstimate;
    if (writes && !o.output.empty() && o.output != kStdStream &&
        FormatFromExtension(o.output) == ImageFormat::kUnknown &&
        o.outputFormat == ImageFormat::kUnknown) {
        error = "cannot tell the output format from '" + o.output +
                "': use .bmp, .jpg, .jpeg, .png, .tif or .tiff, or --output-format";
        return false;
    }
    std::set<std::string> claimed;
    for (const Found& f : found) {
        PageTask t;
        t.input = f.path;
        t.angle = o.angle;
        if (writes) {
            PlanOutput(o, f, claimed, t);
        }
        tasks.push_back(t);
    }
    return true;
}

std::string ReportFileClash(const std::string& report, const std::vector<PageTask>& tasks) {
    const std::string normal = AbsolutePath(report);
    for (const PageTask& t : tasks) {
        if (AbsolutePath(t.input) == normal || SameFile(t.input, report)) {
            return "the report " + report + " is the input " + t.input;
        }
        if (!t.output.empty() && AbsolutePath(t.output) == normal) {
            return "the report " + report + " is the output " + t.output;
        }
    }
    return std::string();
}

namespace {

// Why a report's row is not to be applied; kNone when its angle is.
PageNote RowSkip(const ReportFileRow& row) {
    // A page the run left as it was is applied as it was decided: a
    // reviewer who wants it turned gives the row another status.
    if (row.status == PageStatus::kNotSure) {
        return PageNote::kNotSureInReport;
    }
    if (row.status == PageStatus::kFailed) {
        return PageNote::kFailedInReport;
    }
    if (row.status == PageStatus::kUnchanged) {
        return PageNote::kUnchangedInReport;
    }
    if (row.status == PageStatus::kSkipped) {
        return PageNote::kSkippedInReport;
    }
    if (!row.hasAngle) {
        return PageNote::kNoAngleInReport;
    }
    if (row.status == PageStatus::kRotated && row.hasOutput &&
        AbsolutePath(row.output) == AbsolutePath(row.input)) {
        // The run that wrote the report turned this very file already;
        // turning it again would double the correction.
        return PageNote::kTurnedInPlace;
    }
    return PageNote::kNone;
}

}  // namespace

void PlanFromReport(const Options& o, const std::vector<ReportFileRow>& rows,
                    std::vector<PageTask>& tasks) {
    std::set<std::string> claimed;
    // --out-dir mirrors the tree below the folder all the inputs share, as
    // auto --recursive --out-dir mirrors the tree below a folder input.
    std::vector<std::string> inputs;
    for (const ReportFileRow& row : rows) {
        inputs.push_back(row.input);
    }
    const fs::path common = CommonFolder(inputs);
    // The rows of a multi-page file make one task, at its first row.
    std::map<std::string, size_t> files;
    for (const ReportFileRow& row : rows) {
        const PageNote skip = RowSkip(row);
        size_t at = tasks.size();
        if (row.pages > 1) {
            const auto found = files.emplace(AbsolutePath(row.input), tasks.size());
            at = found.first->second;
        }
        if (at == tasks.size()) {
            tasks.emplace_back();
            tasks.back().input = row.input;
            tasks.back().skip = skip;
        }
        PageTask& t = tasks[at];
        if (row.pages > 1) {
            t.reportPages.push_back({row.page, row.pages, row.angle, skip});
            t.skip = PageNote::kNone;
        }
        // The output is planned once, for the first row that is applied.
        if (skip != PageNote::kNone || !t.output.empty()) {
            continue;
        }
        t.angle = row.angle;
        t.checkFingerprint = row.hasFingerprint;
        t.expected = {row.inputBytes, row.inputSha256};
        PlanOutput(o, {row.input, fs::path(row.input).lexically_relative(common).string()}, claimed,
                   t);
    }
}

}  // namespace Cli
