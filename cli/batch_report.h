// BatchReport: what a batch tells while and after its pages are handled,
// shared by the tool and the Python module's cluster batches: the report on
// its stream (rows in input order, then the summary), the failed pages also
// announced on standard error when asked, the progress bar, and the report
// file of --report, written when the batch is done.
//
// Deliver takes each task's results in input order, one per page (a
// multi-page file's pages also get the file's summary line); the pages'
// input and output are named as the planned task names them, whatever the
// worker said. Finish ends the report and commits the report file.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/batch_plan.h"
#include "cli/options.h"
#include "cli/page_report.h"
#include "cli/page_result.h"
#include "cli/progress_bar.h"
#include "cli/report.h"
#include "cli/report_file.h"

namespace Cli {

class BatchReport {
  public:
    // `options` and `tasks` must outlive the object. `program` starts the
    // announcements of failed pages on standard error.
    BatchReport(const Options& options, const std::vector<PageTask>& tasks, std::ostream& report,
                bool announceFailures, std::string program);

    // With --report: checks that the report file is neither an input nor an
    // output and creates its temporary file, before any page is handled.
    // False with the usage error.
    bool OpenReportFile(std::string& error);
    // The report's opening (JSON), flushed.
    void Begin();
    void Deliver(size_t index, const std::vector<PageResult>& results);
    void Progress(size_t done);
    // Clears the progress bar, writes the summary and commits the report
    // file. False with a reason when the report file cannot be written.
    bool Finish(std::string& error);
    // Every page delivered so far succeeded.
    bool AllSucceeded() const { return counts_.failed == 0; }

  private:
    const Options& options_;
    const std::vector<PageTask>& tasks_;
    std::ostream& report_;
    bool announceFailures_;
    std::string program_;
    ReportWriter writer_;
    BatchCounts counts_;
    ProgressBar bar_;
    std::unique_ptr<ReportFileWriter> reportFile_;
};

}  // namespace Cli
