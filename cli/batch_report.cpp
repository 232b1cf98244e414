#include "cli/batch_report.h"

#include <iostream>
#include <utility>

namespace Cli {

BatchReport::BatchReport(const Options& options, const std::vector<PageTask>& tasks,
                         std::ostream& report, bool announceFailures, std::string program)
    : options_(options),
      tasks_(tasks),
      report_(report),
      announceFailures_(announceFailures),
      program_(std::move(program)),
      writer_(options.format, report, CommandName(options.command), ReportColumns(options)),
      bar_(tasks.size(), options.progress) {}

bool BatchReport::OpenReportFile(std::string& error) {
    if (options_.reportFile.empty()) {
        return true;
    }
    error = ReportFileClash(options_.reportFile, tasks_);
    if (!error.empty()) {
        return false;
    }
    reportFile_ = std::make_unique<ReportFileWriter>(options_);
    return reportFile_->Open(error);
}

void BatchReport::Begin() {
    writer_.Begin();
    report_.flush();
}

void BatchReport::Deliver(size_t index, const std::vector<PageResult>& results) {
    BatchCounts file;
    bar_.Erase();
    for (const PageResult& result : results) {
        PageResult r = result;
        r.input = tasks_[index].input;
        r.output = tasks_[index].output;
        counts_.Add(r);
        file.Add(r);
        writer_.Row(PageRow(options_, r), PageLine(options_, r));
        if (announceFailures_ && !r.ok) {
            std::cerr << program_ << ": " << PageLine(options_, r) << std::endl;
        }
        if (reportFile_) {
            reportFile_->Row(r);
        }
    }
    if (!results.empty() && results.front().pages > 1) {
        writer_.Line(FileSummaryLine(options_, tasks_[index].input, tasks_[index].output, file));
    }
    bar_.Redraw();
}

void BatchReport::Progress(size_t done) {
    bar_.Update(done);
}

bool BatchReport::Finish(std::string& error) {
    bar_.Finish();
    writer_.End(SummaryRow(options_, counts_), SummaryLine(options_, counts_));
    return !reportFile_ || reportFile_->Commit(SummaryRow(options_, counts_), error);
}

}  // namespace Cli
