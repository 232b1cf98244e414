// PortableMath against the C runtime's functions, per call, on the kinds of
// arguments the engine passes: centroid direction cosines for acos, radian
// angles for sin and tan, kernel exponents for exp.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/portable_math.h"

namespace {

constexpr int kArguments = 1024;

std::vector<double> Arguments(double low, double high) {
    std::vector<double> v(kArguments);
    for (int i = 0; i < kArguments; ++i) {
        v[i] = low + (high - low) * (i + 0.5) / kArguments;
    }
    return v;
}

template <double (*Fn)(double)>
void Run(benchmark::State& state, double low, double high) {
    const std::vector<double> args = Arguments(low, high);
    for (auto _ : state) {
        double sum = 0.0;
        for (double a : args) {
            sum += Fn(a);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kArguments);
}

double StdSin(double x) {
    return std::sin(x);
}
double StdTan(double x) {
    return std::tan(x);
}
double StdAcos(double x) {
    return std::acos(x);
}
double StdExp(double x) {
    return std::exp(x);
}

void BM_PortableSin(benchmark::State& s) {
    Run<Skewmend::PortableMath::Sin>(s, -3.2, 3.2);
}
void BM_StdSin(benchmark::State& s) {
    Run<StdSin>(s, -3.2, 3.2);
}
void BM_PortableTan(benchmark::State& s) {
    Run<Skewmend::PortableMath::Tan>(s, -1.5, 1.5);
}
void BM_StdTan(benchmark::State& s) {
    Run<StdTan>(s, -1.5, 1.5);
}
void BM_PortableAcos(benchmark::State& s) {
    Run<Skewmend::PortableMath::Acos>(s, -1.0, 1.0);
}
void BM_StdAcos(benchmark::State& s) {
    Run<StdAcos>(s, -1.0, 1.0);
}
void BM_PortableExp(benchmark::State& s) {
    Run<Skewmend::PortableMath::Exp>(s, -3.0, 0.0);
}
void BM_StdExp(benchmark::State& s) {
    Run<StdExp>(s, -3.0, 0.0);
}

}  // namespace

BENCHMARK(BM_PortableSin);
BENCHMARK(BM_StdSin);
BENCHMARK(BM_PortableTan);
BENCHMARK(BM_StdTan);
BENCHMARK(BM_PortableAcos);
BENCHMARK(BM_StdAcos);
BENCHMARK(BM_PortableExp);
BENCHMARK(BM_StdExp);
