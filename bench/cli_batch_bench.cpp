// A batch through the command-line tool: A4 pages at 300 dpi, JPEG in and
// JPEG out, `skewmend auto` at --jobs 1 and --jobs 2, run as the built
// binary. Each run is one iteration (a batch takes seconds). Counters give
// the wall time per page and, from the tool's --timings report, the mean
// time per page spent decoding, in the pipeline (_AutoRotate: analysis and
// rotation) and encoding; a separate `skewmend estimate` batch over the same
// pages gives the analysis alone, so rotation = pipeline - analysis.
//
// The pages are a few distinct tilted pages written under many names, so
// the set-up stays short; the tool does the full work for each file.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_pages.h"
#include "pictconv/pictconv.h"

namespace {

namespace fs = std::filesystem;

// Pages per batch: fewer than a full 50-page batch, to keep runs short on
// the shared machine.
constexpr int kBatchPages = 20;
constexpr int kDistinctPages = 4;
constexpr int kDpi = 300;
constexpr int32_t k300DpiPpm = 11811;

std::string ToolPath() {
    return (fs::read_symlink("/proc/self/exe").parent_path() / "skewmend").string();
}

const fs::path& BatchDir() {
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / "levelora-cli-batch-bench";
        fs::remove_all(d);
        fs::create_directories(d / "in");
        const double tilts[kDistinctPages] = {5.0, -7.0, 9.0, -4.5};
        for (int k = 0; k < kDistinctPages; ++k) {
            BmpBase::CBitmap24 page = BenchPages::TextPageBitmap(kDpi, tilts[k]);
            page.infoHeader.biXPelsPerMeter = k300DpiPpm;
            page.infoHeader.biYPelsPerMeter = k300DpiPpm;
            const std::string bmp = (d / "page.bmp").string();
            page.Write(bmp.c_str());
            const std::string jpg = (d / ("distinct" + std::to_string(k) + ".jpg")).string();
            Bmp2Jpg(bmp.c_str(), jpg.c_str());
            fs::remove(bmp);
        }
        for (int i = 0; i < kBatchPages; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "page%02d.jpg", i);
            fs::copy_file(d / ("distinct" + std::to_string(i % kDistinctPages) + ".jpg"),
                          d / "in" / name);
        }
        return d;
    }();
    return dir;
}

// Runs the tool on the batch folder; returns its CSV report.
std::string RunTool(const std::vector<std::string>& args) {
    const std::string report = (BatchDir() / "report.csv").string();
    std::string command = ToolPath();
    for (const std::string& a : args) {
        command += " '" + a + "'";
    }
    command += " > '" + report + "'";
    if (std::system(command.c_str()) != 0) {
        return "";
    }
    std::ifstream in(report);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Mean of the numeric CSV column `name` over the data rows.
double ColumnMean(const std::string& csv, const std::string& name) {
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    std::vector<std::string> header;
    {
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, ',')) {
            header.push_back(cell.substr(0, cell.find('\r')));
        }
    }
    size_t column = 0;
    while (column < header.size() && header[column] != name) {
        ++column;
    }
    double sum = 0.0;
    int rows = 0;
    while (std::getline(lines, line)) {
        std::istringstream cells(line);
        std::string cell;
        for (size_t i = 0; i <= column && std::getline(cells, cell, ','); ++i) {
        }
        sum += std::atof(cell.c_str());
        ++rows;
    }
    return rows > 0 ? sum / rows : 0.0;
}

void BM_AutoBatchJpeg300Dpi(benchmark::State& state) {
    const std::string jobs = std::to_string(state.range(0));
    const std::string in = (BatchDir() / "in").string();
    const std::string out = (BatchDir() / "out").string();
    std::string csv;
    for (auto _ : state) {
        fs::remove_all(out);
        // The whole-degree pipeline, whose analysis and rotation the
        // counters below take apart (the tool's default is precise mode).
        csv = RunTool({"auto", "--whole-degrees", in, "--out-dir", out, "--jobs", jobs, "--format",
                       "csv", "--timings", "--no-progress"});
        if (csv.empty()) {
            state.SkipWithError("the batch failed");
            return;
        }
    }
    const std::string estimate = RunTool({"estimate", "--whole-degrees", in, "--jobs", jobs,
                                          "--format", "csv", "--timings", "--no-progress"});
    const double pipeline = ColumnMean(csv, "process_ms");
    const double analysis = ColumnMean(estimate, "process_ms");
    state.counters["pages"] = kBatchPages;
    state.counters["wall_s_per_page"] = benchmark::Counter(
        kBatchPages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["decode_ms"] = ColumnMean(csv, "decode_ms");
    state.counters["analysis_ms"] = analysis;
    state.counters["rotation_ms"] = pipeline - analysis;
    state.counters["encode_ms"] = ColumnMean(csv, "encode_ms");
}

}  // namespace

BENCHMARK(BM_AutoBatchJpeg300Dpi)
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
