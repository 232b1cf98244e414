// Comparison with Leptonica on the same pages and machine, one thread each.
//
// Pages: bench_pages.h A4 colour text pages at 150 and 300 dpi tilted by 7
// degrees, written once as 24-bit BMP files to the temp folder.
//   BM_FileToFile_Ours      AutoRotate: read BMP, estimate, rotate, write BMP
//   BM_FileToFile_Lept      pixRead, pixDeskew (colour in, colour out), pixWrite
//   BM_Estimate_Ours        everything before the final rotation: working
//                           page, grey image, Otsu, skew estimation
//   BM_Estimate_Lept        pixConvertTo1 (its own binarization), pixFindSkew
// After the run each of our benchmarks is printed as a ratio of its real
// and CPU times to those of the matching Leptonica benchmark (the medians
// when the run has repetitions).
#include <benchmark/benchmark.h>
#include <leptonica/allheaders.h>

#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "bench/bench_pages.h"
#include "engine/pipeline.h"
#include "engine/skewmend.h"

namespace {

constexpr double kTiltDeg = 7.0;

// Discards the engine's standard output for its lifetime.
class QuietLog {
  public:
    QuietLog() : saved_(std::cout.rdbuf(sink_.rdbuf())) {}
    ~QuietLog() { std::cout.rdbuf(saved_); }
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;

  private:
    std::ostringstream sink_;
    std::streambuf* saved_;
};

std::string TempFile(const std::string& name) {
    return "/tmp/levelora_compare_" + name;
}

// The page of `dpi` as a BMP file, written on first use.
const std::string& PageFile(int dpi) {
    static std::map<int, std::string> files;
    auto it = files.find(dpi);
    if (it == files.end()) {
        const std::string path = TempFile("page" + std::to_string(dpi) + ".bmp");
        BenchPages::TextPageBitmap(dpi, kTiltDeg).Write(path.c_str());
        it = files.emplace(dpi, path).first;
    }
    return it->second;
}

int Dpi(const benchmark::State& state) {
    return static_cast<int>(state.range(0));
}

void BM_FileToFile_Ours(benchmark::State& state) {
    const std::string& in = PageFile(Dpi(state));
    const std::string out = TempFile("ours.bmp");
    QuietLog quiet;
    for (auto _ : state) {
        benchmark::DoNotOptimize(AutoRotate(in.c_str(), out.c_str(), 2));
    }
}

void BM_FileToFile_Lept(benchmark::State& state) {
    const std::string& in = PageFile(Dpi(state));
    const std::string out = TempFile("lept.bmp");
    for (auto _ : state) {
        PIX* pix = pixRead(in.c_str());
        PIX* turned = pixDeskew(pix, 0);
        pixWrite(out.c_str(), turned, IFF_BMP);
        pixDestroy(&turned);
        pixDestroy(&pix);
    }
}

void BM_Estimate_Ours(benchmark::State& state) {
    BmpBase::CBitmap24 page;
    page.Read(PageFile(Dpi(state)).c_str());
    QuietLog quiet;
    for (auto _ : state) {
        const Skewmend::PageAnalysis analysis = Skewmend::AnalysePage(page, {});
        benchmark::DoNotOptimize(analysis.angle);
    }
}

void BM_Estimate_Lept(benchmark::State& state) {
    PIX* pix = pixRead(PageFile(Dpi(state)).c_str());
    for (auto _ : state) {
        PIX* binary = pixConvertTo1(pix, 130);
        l_float32 angle = 0.0f;
        l_float32 confidence = 0.0f;
        pixFindSkew(binary, &angle, &confidence);
        benchmark::DoNotOptimize(angle);
        pixDestroy(&binary);
    }
    pixDestroy(&pix);
}

// The console report, and afterwards each of our real times as a ratio to
// the matching Leptonica one.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            // With repetitions the median stands for the benchmark.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                Keep(run.run_name.str(), run, true);
            } else if (run.run_type == Run::RT_Iteration) {
                Keep(run.run_name.str(), run, false);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [name, ours] : times_) {
            const size_t at = name.find("_Ours");
            if (at == std::string::npos) {
                continue;
            }
            std::string theirs = name;
            theirs.replace(at, 5, "_Lept");
            const auto match = times_.find(theirs);
            if (match != times_.end() && match->second.real > 0 && match->second.cpu > 0) {
                std::printf("%s / %s: real %.3f, cpu %.3f\n", name.c_str(), theirs.c_str(),
                            ours.real / match->second.real, ours.cpu / match->second.cpu);
            }
        }
    }

  private:
    struct Times {
        double real = 0.0;
        double cpu = 0.0;
        bool median = false;
    };

    void Keep(const std::string& name, const Run& run, bool median) {
        Times& t = times_[name];
        if (t.median && !median) {
            return;
        }
        t.real = run.GetAdjustedRealTime();
        t.cpu = run.GetAdjustedCPUTime();
        t.median = median;
    }

    std::map<std::string, Times> times_;
};

}  // namespace

BENCHMARK(BM_FileToFile_Ours)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileToFile_Lept)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Estimate_Ours)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Estimate_Lept)->Arg(150)->Arg(300)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
