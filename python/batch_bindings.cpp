#include "python/batch_bindings.h"

#include <malloc.h>
#include <pybind11/stl.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cli/batch_plan.h"
#include "cli/batch_report.h"
#include "cli/page_jobs.h"
#include "cli/page_result.h"
#include "python/tool_options.h"

namespace py = pybind11;

namespace Levelora {

namespace {

Cli::Options BatchOptions(const std::vector<std::string>& args) {
    Cli::Options options;
    std::string error;
    if (!UsageOptions(args, options, error)) {
        throw py::value_error(error);
    }
    if (options.command != Cli::Command::kAuto) {
        throw py::value_error("a cluster batch runs the 'auto' command only");
    }
    return options;
}

// The fields of an `auto` task. A worker may run in another folder, or on
// another machine that mounts the same folders: the file it reads and the
// one it writes are named by absolute paths; the report keeps the names
// as given.
py::tuple TaskTuple(const Cli::PageTask& t) {
    const auto absolute = [](const std::string& path) {
        return path.empty() ? path : std::filesystem::absolute(path).string();
    };
    return py::make_tuple(t.input, absolute(Cli::SourceOf(t)), absolute(t.output),
                          static_cast<int>(t.outFormat), t.refusal, static_cast<int>(t.skip));
}

Cli::PageTask TaskFromTuple(const py::tuple& fields) {
    if (fields.size() != 6) {
        throw py::value_error("a page task has 6 fields");
    }
    Cli::PageTask t;
    t.input = fields[0].cast<std::string>();
    t.source = fields[1].cast<std::string>();
    t.output = fields[2].cast<std::string>();
    t.outFormat = static_cast<Cli::ImageFormat>(fields[3].cast<int>());
    t.refusal = fields[4].cast<std::string>();
    t.skip = static_cast<Cli::PageNote>(fields[5].cast<int>());
    return t;
}

class Batch {
  public:
    explicit Batch(const std::vector<std::string>& args) : options_(BatchOptions(args)) {
        std::string error;
        if (!Cli::PlanBatch(options_, tasks_, error)) {
            throw py::value_error(error);
        }
        // Failed pages are also announced on standard error whenever the
        // report goes somewhere a person may not be looking.
        report_ = std::make_unique<Cli::BatchReport>(options_, tasks_, std::cout,
                                                     isatty(STDOUT_FILENO) != 1, "levelora.batch");
        if (!report_->OpenReportFile(error)) {
            throw py::value_error(error);
        }
    }

    py::list Tasks() const {
        py::list list;
        for (const Cli::PageTask& t : tasks_) {
            list.append(TaskTuple(t));
        }
        return list;
    }

    // The results of one file's task, one per page.
    void Deliver(size_t index, const py::bytes& serialised) {
        std::vector<Cli::PageResult> results;
        if (!Cli::DeserializeAll(serialised, results) || results.empty()) {
            results.assign(1, Cli::PageResult());
            results.front().error = "the result of this page arrived incomplete";
        }
        Report(index, results);
    }

    // A task that never returned: the file is one failed row.
    void DeliverFailure(size_t index, const std::string& reason) {
        std::vector<Cli::PageResult> results(1);
        results.front().error = reason;
        Report(index, results);
    }

    void Progress(size_t done) { report_->Progress(done); }
    void Begin() { report_->Begin(); }

    int Finish() {
        std::string error;
        const bool written = report_->Finish(error);
        std::cout.flush();
        if (!written) {
            std::cerr << "levelora.batch: " << error << std::endl;
            return 1;
        }
        return report_->AllSucceeded() ? 0 : 1;
    }

  private:
    void Report(size_t index, const std::vector<Cli::PageResult>& results) {
        if (index >= tasks_.size()) {
            throw py::index_error("no file " + std::to_string(index) + " in this batch");
        }
        report_->Deliver(index, results);
        std::cout.flush();
    }

    Cli::Options options_;
    std::vector<Cli::PageTask> tasks_;
    std::unique_ptr<Cli::BatchReport> report_;
};

// Dask's nanny starts its workers with MALLOC_TRIM_THRESHOLD_ set low,
// which also pins glibc's mmap threshold at 128 KiB: every page-sized
// buffer is then mapped afresh and faulted in, and a page takes about three
// times as long as in the tool's workers. The first page job of a process
// sets the thresholds glibc itself grows to for such buffers (32 MiB, and
// twice that for trimming the heap).
void TuneAllocatorForPages() {
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
    });
}

// The tool's task for one file: the serialised results of its pages.
py::bytes RunTask(const std::vector<std::string>& args, const py::tuple& task) {
    const Cli::Options options = BatchOptions(args);
    const Cli::PageTask t = TaskFromTuple(task);
    if (t.refusal.empty() && t.skip == Cli::PageNote::kNone) {
        TuneAllocatorForPages();
    }
    std::string serialised;
    {
        py::gil_scoped_release released;
        serialised = Cli::SerializeAll(Cli::RunTask(t, options));
    }
    return py::bytes(serialised);
}

}  // namespace

void AddBatch(py::module_& m) {
    py::class_<Batch>(m, "_Batch")
        .def(py::init<const std::vector<std::string>&>(), py::arg("args"))
        .def("tasks", &Batch::Tasks)
        .def("begin", &Batch::Begin)
        .def("deliver", &Batch::Deliver, py::arg("index"), py::arg("result"))
        .def("deliver_failure", &Batch::DeliverFailure, py::arg("index"), py::arg("reason"))
        .def("progress", &Batch::Progress, py::arg("done"))
        .def("finish", &Batch::Finish);
    m.def("_run_task", &RunTask, py::arg("args"), py::arg("task"));
}

}  // namespace Levelora
