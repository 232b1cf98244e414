// skewmend: the command-line front end of the Skewmend engine.
//
//   skewmend auto INPUT... (-o OUTPUT | --out-dir DIR | --in-place)
//   skewmend rotate INPUT... (-o OUTPUT | --out-dir DIR | --in-place) --angle DEGREES
//   skewmend estimate INPUT...
//   skewmend rotate --from-report REPORT (--out-dir DIR | --in-place)
//
// "-" as an input reads the picture from standard input; "-o -" writes it
// to standard output, and the report then goes to standard error.
// main parses and checks the command line, sends the engine's log away from
// standard output, plans the batch (inputs, outputs, refusals), runs it in
// worker processes and writes the report in page order; with --report, the
// decisions also go to the report file, written when the batch is done.
// rotate --from-report plans its pages from such a file instead of inputs.
// Exit status: 0 when every page succeeded, 1 when some failed (or the
// report file could not be written), 2 for a usage error.
#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/batch_plan.h"
#include "cli/batch_report.h"
#include "cli/batch_runner.h"
#include "cli/engine_log.h"
#include "cli/options.h"
#include "cli/page_jobs.h"
#include "cli/report_file.h"
#include "cli/std_streams.h"
#include "cli/usage.h"

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitPagesFailed = 1;
constexpr int kExitUsage = 2;

int UsageError(const std::string& message) {
    std::cerr << "skewmend: " << message << "\n";
    Cli::PrintUsageHint(std::cerr);
    return kExitUsage;
}

int DefaultJobs() {
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    return cores > 0 ? static_cast<int>(cores) : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Cli::Options options;
    std::string error;
    if (!Cli::ParseArguments(argc, argv, options, error)) {
        return UsageError(error);
    }
    if (options.command == Cli::Command::kHelp) {
        Cli::PrintHelp(std::cout, options.helpFor);
        return kExitSuccess;
    }
    if (options.command == Cli::Command::kVersion) {
        Cli::PrintVersion(std::cout);
        return kExitSuccess;
    }
    if (!Cli::ValidateOptions(options, error)) {
        return UsageError(error);
    }
    std::vector<Cli::PageTask> tasks;
    if (!options.fromReport.empty()) {
        std::vector<Cli::ReportFileRow> rows;
        bool oldLayout = false;
        if (!Cli::ReadReportFile(options.fromReport, rows, oldLayout, error)) {
            return UsageError(error);
        }
        if (oldLayout) {
            std::cerr << "skewmend: warning: " << options.fromReport
                      << " has the older layout; its relative paths are taken from the current "
                         "folder\n";
        }
        if (rows.empty()) {
            return UsageError("the report " + options.fromReport + " lists no pages");
        }
        Cli::PlanFromReport(options, rows, tasks);
    } else if (!Cli::PlanBatch(options, tasks, error)) {
        return UsageError(error);
    }
    // A picture on standard input is kept in a private temporary file for
    // the worker that handles it.
    std::unique_ptr<Cli::TempFile> standardInput;
    for (Cli::PageTask& task : tasks) {
        if (task.input == Cli::kStdStream) {
            standardInput = std::make_unique<Cli::TempFile>();
            if (!Cli::SpoolStandardInput(*standardInput, error)) {
                std::cerr << "skewmend: " << error << "\n";
                return kExitPagesFailed;
            }
            task.source = standardInput->Path();
        }
    }
    // With -o - the picture has standard output to itself.
    const bool reportOnStderr = options.output == Cli::kStdStream;
    std::ostream& report = reportOnStderr ? std::cerr : std::cout;
    // Failed pages are also announced on standard error whenever the report
    // goes somewhere a person may not be looking.
    const bool announceFailures = !reportOnStderr && isatty(STDOUT_FILENO) != 1;
    Cli::BatchReport batch(options, tasks, report, announceFailures, "skewmend");
    if (!batch.OpenReportFile(error)) {
        return UsageError(error);
    }

    Cli::RouteEngineLog(options.verbose);
    batch.Begin();
    const Cli::PageJob job = [&](size_t i) { return Cli::RunTask(tasks[i], options); };
    const int jobs = options.jobs > 0 ? options.jobs : DefaultJobs();
    Cli::RunBatch(
        tasks.size(), jobs, job,
        [&](size_t i, const Cli::PageResults& results) { batch.Deliver(i, results); },
        [&](size_t done) { batch.Progress(done); });
    if (!batch.Finish(error)) {
        std::cerr << "skewmend: " << error << "\n";
        return kExitPagesFailed;
    }
    return batch.AllSucceeded() ? kExitSuccess : kExitPagesFailed;
}
