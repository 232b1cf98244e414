// The rotation's vector kernels against the scalar per-pixel rule, on
// every kernel this processor runs. The kernels decide most bytes in a
// cheaper arithmetic and hand the doubtful ones to the scalar rule, so the
// positions here are built to be hard: exact quarter and half steps (which
// put the blend on ties such as 10.5), steps a hair away from them,
// positions on the last source row and column, negative and far-away
// positions, and sources whose rows have no padding (where a wide load of
// the last row would reach past the buffer).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/rotator_kernels.h"

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

using Skewmend::ColourRowArgs;
using Skewmend::ColourRowFn;
using Skewmend::RowKernel;

namespace {

struct KernelCase {
    const char* name;
    RowKernel kind;
};

class RotatorKernelTest : public testing::TestWithParam<KernelCase> {};

// Bytes that end right before an inaccessible page where the system allows
// it, so that a read past the end faults even in a vector load (which the
// address sanitizer does not see).
class GuardedBytes {
  public:
    GuardedBytes() = default;
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    ~GuardedBytes() { Release(); }

    void resize(size_t size) {
        Release();
        size_ = size;
#ifndef _WIN32
        const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        mappedBytes_ = (size + page - 1) / page * page + page;
        void* at =
            mmap(nullptr, mappedBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (at != MAP_FAILED) {
            mapped_ = static_cast<uint8_t*>(at);
            mprotect(mapped_ + mappedBytes_ - page, page, PROT_NONE);
            data_ = mapped_ + mappedBytes_ - page - size;
            return;
        }
#endif
        fallback_.assign(size, 0);
        data_ = fallback_.data();
    }
    size_t size() const {
        return size_;
    }
    uint8_t* data() {
        return data_;
    }
    const uint8_t* data() const {
        return data_;
    }
    uint8_t& operator[](size_t n) {
        return data_[n];
    }

  private:
    void Release() {
#ifndef _WIN32
        if (mapped_ != nullptr) {
            munmap(mapped_, mappedBytes_);
            mapped_ = nullptr;
        }
#endif
        fallback_.clear();
    }

    uint8_t* mapped_ = nullptr;
    size_t mappedBytes_ = 0;
    std::vector<uint8_t> fallback_;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// A source of exactly stride x rows bytes.
struct Source {
    int32_t rows = 0;
    int32_t cols = 0;
    uint32_t stride = 0;
    GuardedBytes bytes;
};

void FillRandomSource(std::mt19937& engine, Source& s) {
    s.rows = 1 + static_cast<int32_t>(engine() % 12);
    s.cols = 1 + static_cast<int32_t>(engine() % 12);
    // Rows padded to four bytes as in a bitmap, or not padded at all.
    const uint32_t tight = 3 * static_cast<uint32_t>(s.cols);
    s.stride = engine() % 2 ? (tight + 3) / 4 * 4 : tight;
    s.bytes.resize(static_cast<size_t>(s.stride) * static_cast<size_t>(s.rows));
    const auto style = static_cast<uint32_t>(engine() % 3);
    for (size_t n = 0; n < s.bytes.size(); ++n) {
        if (style == 0) {
            s.bytes[n] = static_cast<uint8_t>(engine());
        } else if (style == 1) {
            s.bytes[n] = engine() % 2 ? 255 : 0;
        } else {
            s.bytes[n] = static_cast<uint8_t>(100 + engine() % 4);
        }
    }
}

// The column terms split into whole and fractional parts, as the rotation
// hands them to the kernels.
struct SplitTerms {
    std::vector<int32_t> jsWhole, jcWhole;
    std::vector<float> jsPart, jcPart;
    SplitTerms(const std::vector<double>& js, const std::vector<double>& jc)
        : jsWhole(js.size()), jcWhole(jc.size()), jsPart(js.size()), jcPart(jc.size()) {
        for (size_t k = 0; k < js.size(); ++k) {
            Skewmend::SplitTerm(js[k], jsWhole[k], jsPart[k]);
            Skewmend::SplitTerm(jc[k], jcWhole[k], jcPart[k]);
        }
    }
};

// A position along one source axis of `extent` pixels: mostly on the grid
// of quarters, sometimes a tiny step off it, sometimes anywhere.
double Position(std::mt19937& engine, int32_t extent) {
    const double whole = static_cast<double>(static_cast<int32_t>(engine() % (extent + 2)) - 1);
    static const double kNudges[] = {0.0,      0.0,     0.0,      1e-12,   -1e-12,  0x1p-30,
                                     -0x1p-30, 0x1p-20, -0x1p-20, 0x1p-12, -0x1p-12};
    switch (engine() % 4) {
        case 0:
            return whole + 0.5 + kNudges[engine() % 11];
        case 1:
            return whole + 0.25 * static_cast<double>(engine() % 4) + kNudges[engine() % 11];
        case 2:
            return whole + static_cast<double>(engine()) / 4294967296.0;
        default:
            return (static_cast<double>(engine()) / 4294967296.0 - 0.5) * 4.0 * extent;
    }
}

TEST_P(RotatorKernelTest, EveryByteMatchesTheScalarRule) {
    const ColourRowFn kernel = Skewmend::ColourRowKernelFor(GetParam().kind);
    if (kernel == nullptr) {
        GTEST_SKIP() << GetParam().name << " is not available on this processor";
    }
    std::mt19937 engine(4242);
    const uint8_t fill[3] = {17, 34, 51};
    constexpr size_t kGuard = 64;
    for (int trial = 0; trial < 3000; ++trial) {
        Source src;
        FillRandomSource(engine, src);
        const int32_t width = 1 + static_cast<int32_t>(engine() % 40);
        // The kernels see x = ic + js[k] and y = jc[k] - is; half the rows
        // split the position between the row and the column terms.
        const bool split = engine() % 2 == 0;
        const double ic = split ? Position(engine, src.rows) : 0.0;
        const double is = split ? Position(engine, src.cols) : 0.0;
        std::vector<double> js(width);
        std::vector<double> jc(width);
        for (int32_t k = 0; k < width; ++k) {
            js[k] = Position(engine, src.rows) - ic;
            jc[k] = Position(engine, src.cols) + is;
        }
        const int channel = static_cast<int>(engine() % 4) - 1;
        std::vector<uint8_t> got(3 * static_cast<size_t>(width) + 2 * kGuard);
        for (size_t n = 0; n < got.size(); ++n) {
            got[n] = static_cast<uint8_t>(n * 131);
        }
        std::vector<uint8_t> expected = got;

        // Half the rows come with the split terms, half without (the
        // kernels then locate every pixel in double).
        const SplitTerms terms(js, jc);
        const bool withSplit = trial % 2 == 0;
        ColourRowArgs args{got.data() + kGuard,
                           jc.data(),
                           js.data(),
                           width,
                           ic,
                           is,
                           src.bytes.data(),
                           src.stride,
                           src.rows - 1,
                           src.cols - 1,
                           fill,
                           channel,
                           withSplit ? terms.jsWhole.data() : nullptr,
                           withSplit ? terms.jsPart.data() : nullptr,
                           withSplit ? terms.jcWhole.data() : nullptr,
                           withSplit ? terms.jcPart.data() : nullptr};
        int32_t done = kernel(args);
        ASSERT_GE(done, 0);
        ASSERT_LE(done, width);
        for (int32_t k = done; k < width; ++k) {
            Skewmend::ExactPixel(args, k);
        }
        args.out = expected.data() + kGuard;
        for (int32_t k = 0; k < width; ++k) {
            Skewmend::ExactPixel(args, k);
        }
        ASSERT_EQ(expected, got) << GetParam().name << " trial " << trial << " channel " << channel;
    }
}

TEST_P(RotatorKernelTest, WholeRowsOfARealRotationMatchTheScalarRule) {
    const ColourRowFn kernel = Skewmend::ColourRowKernelFor(GetParam().kind);
    if (kernel == nullptr) {
        GTEST_SKIP() << GetParam().name << " is not available on this processor";
    }
    // A 61 x 83 source of noise (rows without padding) turned by angles whose
    // products land on pixel boundaries (0, quarter turns) and by ordinary
    // ones, with the rows shifted by whole, half and quarter pixels: a half
    // pixel at angle 0 puts every blend on the average of four values, and
    // a quarter of those averages are ties.
    std::mt19937 engine(99);
    Source src;
    src.rows = 61;
    src.cols = 83;
    src.stride = 3 * 83;
    src.bytes.resize(static_cast<size_t>(src.stride) * 61);
    for (size_t n = 0; n < src.bytes.size(); ++n) {
        src.bytes[n] = static_cast<uint8_t>(engine());
    }
    const uint8_t fill[3] = {255, 255, 255};
    const int32_t width = 130;
    for (const double angle : {0.0, 90.0, 180.0, -90.0, 7.0, -7.0, 45.0, 0.5, 30.0, 135.0}) {
        const double theta = angle / 180.0 * 3.14159265358979323846;
        const double c = std::cos(theta);
        const double s = std::sin(theta);
        std::vector<double> jc(width);
        std::vector<double> js(width);
        for (int32_t k = 0; k < width; ++k) {
            const double j = k - 20;
            jc[k] = j * c;
            js[k] = j * s;
        }
        const SplitTerms terms(js, jc);
        for (const double shift : {0.0, 0.5, 0.25}) {
            for (int32_t r = -20; r < 110; ++r) {
                const double i = r;
                std::vector<uint8_t> got(3 * width);
                std::vector<uint8_t> expected(3 * width);
                ColourRowArgs args{got.data(),
                                   jc.data(),
                                   js.data(),
                                   width,
                                   i * c + shift,
                                   i * s - shift,
                                   src.bytes.data(),
                                   src.stride,
                                   60,
                                   82,
                                   fill,
                                   -1,
                                   terms.jsWhole.data(),
                                   terms.jsPart.data(),
                                   terms.jcWhole.data(),
                                   terms.jcPart.data()};
                for (int32_t k = kernel(args); k < width; ++k) {
                    Skewmend::ExactPixel(args, k);
                }
                args.out = expected.data();
                for (int32_t k = 0; k < width; ++k) {
                    Skewmend::ExactPixel(args, k);
                }
                ASSERT_EQ(expected, got)
                    << GetParam().name << " angle " << angle << " shift " << shift << " row " << r;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, RotatorKernelTest,
                         testing::Values(KernelCase{"Avx2", RowKernel::Avx2},
                                         KernelCase{"Avx512", RowKernel::Avx512}),
                         [](const testing::TestParamInfo<KernelCase>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
