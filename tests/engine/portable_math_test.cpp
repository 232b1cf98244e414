// PortableMath: the same bits on every platform. The table holds arguments
// the engine meets (pi, whole-degree angles, centroid directions, kernel
// weights, mask diagonals) with their correctly rounded results; each row is
// one where glibc and the Windows runtime (MinGW-w64 with msvcrt.dll) were
// seen to disagree, or a landmark value. The suite runs on Linux and, cross-
// built, under Wine, so passing on both proves the results platform-free.
#include "engine/portable_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>

#include "engine/rotator.h"

namespace PM = Skewmend::PortableMath;

namespace {

constexpr double kPi = 0x1.921fb54442d18p+1;

double Degrees(double a) {
    return a / 180.0 * kPi;
}

uint64_t Bits(double v) {
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    return u;
}

struct Case {
    const char* label;
    double (*fn)(double);
    double argument;
    double expected;
};

std::ostream& operator<<(std::ostream& os, const Case& c) {
    return os << c.label;
}

}  // namespace

class PortableMathValues : public ::testing::TestWithParam<Case> {};

TEST_P(PortableMathValues, AreTheCorrectlyRoundedBits) {
    const Case& c = GetParam();
    const double got = c.fn(c.argument);
    EXPECT_EQ(Bits(got), Bits(c.expected)) << std::hexfloat << got << " vs " << c.expected;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PortableMathValues,
    ::testing::Values(
        // x87-style sine reduction loses the low bits of sin(pi).
        Case{"SinOfPi", PM::Sin, kPi, 0x1.1a62633145c07p-53},
        Case{"SinOfMinusPi", PM::Sin, -kPi, -0x1.1a62633145c07p-53},
        Case{"CosOfHalfPi", PM::Cos, kPi / 2, 0x1.1a62633145c07p-54},
        Case{"CosOf90Degrees", PM::Cos, Degrees(90), 0x1.1a62633145c07p-54},
        Case{"SinOfMinus90Degrees", PM::Sin, Degrees(-90), -1.0},
        // Whole-degree projection slopes.
        Case{"TanOf3Degrees", PM::Tan, Degrees(3), 0x1.ad53144273e71p-5},
        Case{"TanOf36Degrees", PM::Tan, Degrees(36), 0x1.73fd61d9df543p-1},
        Case{"TanOf45Degrees", PM::Tan, Degrees(45), 0x1.fffffffffffffp-1},
        Case{"TanOf57Degrees", PM::Tan, Degrees(57), 0x1.8a34971bd700dp+0},
        Case{"TanOf58Degrees", PM::Tan, Degrees(58), 0x1.99af8610e4106p+0},
        Case{"TanOfComplementOf18Degrees", PM::Tan, kPi / 2 - Degrees(18), 0x1.89f188bdcd7adp+1},
        // Directions between centroids: acos(dCol / d).
        Case{"AcosDirection3Minus1", PM::Acos, -0x1.43d136248490fp-2, 0x1.e47df3d0dd4d1p+0},
        Case{"AcosDirection5Minus18", PM::Acos, -0x1.ed52382df116fp-1, 0x1.6f715259aea13p+1},
        Case{"AcosDirection6Minus9", PM::Acos, -0x1.aa027f059dce0p-1, 0x1.46dc09ec29433p+1},
        Case{"AcosDirection2Minus11", PM::Acos, -0x1.f7bdcbfecb8d5p-1, 0x1.7b1a44c26bcc9p+1},
        Case{"AcosOfMinusOne", PM::Acos, -1.0, kPi}, Case{"AcosOfOne", PM::Acos, 1.0, 0.0},
        // Mask diagonals: atan((h - 1) / (w - 1)).
        Case{"AtanOfOne", PM::Atan, 1.0, 0x1.921fb54442d18p-1},
        Case{"AtanDiagonal14By44", PM::Atan, 13.0 / 43.0, 0x1.2ca2976d8b9bbp-2},
        Case{"AtanDiagonal20By44", PM::Atan, 19.0 / 43.0, 0x1.aa0cd05470de7p-2},
        Case{"AtanDiagonal149By23", PM::Atan, 148.0 / 22.0, 0x1.6c58afdc089a7p+0},
        Case{"AtanOfInfinity", PM::Atan, std::numeric_limits<double>::infinity(),
             0x1.921fb54442d18p+0},
        // Angle-histogram kernel weights exp(-3 |o / 22|).
        Case{"ExpKernelAt21", PM::Exp, -3.0 * (21 / 22.0), 0x1.d3715b32b5346p-5},
        Case{"ExpKernelAt7", PM::Exp, -3.0 * (7 / 22.0), 0x1.8a3a0edd087a4p-2},
        Case{"ExpOfZero", PM::Exp, 0.0, 1.0},
        Case{"ExpOverflows", PM::Exp, 710.0, std::numeric_limits<double>::infinity()},
        Case{"ExpUnderflows", PM::Exp, -746.0, 0.0},
        Case{"LogOfNine", PM::Log, 9.0, 0x1.193ea7aad030bp+1}, Case{"LogOfOne", PM::Log, 1.0, 0.0},
        Case{"LogOfSmallestSubnormal", PM::Log, 0x1p-1074, -0x1.74385446d71c3p+9},
        Case{"PowSauvolaGrowth", [](double y) { return PM::Pow(25.0, y); }, 1.0 / 14,
             0x1.422cfcbb0e953p+0},
        Case{"PowSquareRoot", [](double y) { return PM::Pow(2.0, y); }, 0.5, 0x1.6a09e667f3bcdp+0},
        Case{"AsinOfOneIsHalfPi", PM::Asin, 1.0, kPi / 2},
        Case{"SinKeepsNegativeZero", PM::Sin, -0.0, -0.0}),
    [](const ::testing::TestParamInfo<Case>& row) { return std::string(row.param.label); });

TEST(PortableMath, OutsideTheDomainGivesNaN) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(std::isnan(PM::Sin(inf)));
    EXPECT_TRUE(std::isnan(PM::Cos(-inf)));
    EXPECT_TRUE(std::isnan(PM::Tan(inf)));
    EXPECT_TRUE(std::isnan(PM::Acos(1.5)));
    EXPECT_TRUE(std::isnan(PM::Asin(-1.0000001)));
    EXPECT_TRUE(std::isnan(PM::Exp(std::nan(""))));
    EXPECT_TRUE(std::isnan(PM::Atan(std::nan(""))));
    EXPECT_TRUE(std::isnan(PM::Log(-1.0)));
    EXPECT_EQ(PM::Log(0.0), -inf);
    EXPECT_TRUE(std::isnan(PM::Pow(-2.0, 0.5)));
    EXPECT_EQ(PM::Pow(0.0, -1.0), inf);
    EXPECT_EQ(PM::Pow(7.0, 0.0), 1.0);
}

TEST(PortableMath, HugeArgumentsStayInRangeAndRepeatable) {
    for (double x : {0x1p+31, 1e15, 1e300, -1e200}) {
        const double s = PM::Sin(x);
        const double c = PM::Cos(x);
        EXPECT_LE(std::fabs(s), 1.0) << x;
        EXPECT_LE(std::fabs(c), 1.0) << x;
        EXPECT_NEAR(s * s + c * c, 1.0, 1e-15) << x;
    }
}

TEST(PortableMath, RotatorPiIsTheDoubleNearestPi) {
    EXPECT_EQ(Bits(Skewmend::Rotator::kPi), Bits(kPi));
}
