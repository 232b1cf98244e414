// Platform-independent transcendental functions (see portable_math.h).
//
// Every function evaluates its value in double-double arithmetic: a value is
// the unevaluated sum hi + lo of two doubles with |lo| <= ulp(hi) / 2, which
// carries about 106 bits. The error-free transformations (Knuth's two-sum and
// Dekker's two-product with Veltkamp splitting, so no fused multiply-add is
// needed) keep the rounding errors of the working arithmetic, and a final
// rounding of hi + lo gives the double result. Power series are summed with a
// fixed number of terms chosen so that the first neglected term lies below
// 2^-105 of the result.
//
// Argument reduction:
//  - sin, cos, tan: x = k pi/2 + r with |r| <= pi/4, k the nearest integer
//    to x 2/pi; pi/2 is held as four doubles, and k times the first two
//    parts is formed exactly, so r is exact to far beyond double precision
//    for |x| < 2^30. The quadrant k mod 4 picks sin or cos of r and the sign.
//  - exp: x = k ln2 + r with |r| <= ln2/2; the result is exp(r) 2^k.
//  - log: x = m 2^e with sqrt(1/2) <= m < sqrt(2); log x = e ln2 +
//    2 atanh(s) with s = (m - 1) / (m + 1), |s| < 0.18.
//  - pow(x, y) = exp(y log x), with log x kept in double-double.
//  - atan: arguments above 1 use atan(t) = pi/2 - atan(1/t); then three
//    halvings atan(t) = 2 atan(t / (1 + sqrt(1 + t^2))) bring t below 0.1,
//    where the alternating series converges quickly.
//  - asin(x) = atan(x / sqrt(1 - x^2)) and acos(x) = 2 atan(sqrt((1 - x) /
//    (1 + x))), with 1 - x and 1 + x formed exactly.
#include "engine/portable_math.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace Skewmend::PortableMath {

namespace {

struct DD {
    double hi;
    double lo;
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// pi/2 = kPio2[0] + kPio2[1] + kPio2[2] + kPio2[3] to about 215 bits.
constexpr double kPio2[4] = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54, -0x1.f1976b7ed8fbcp-110,
                             0x1.4cf98e804177dp-164};
constexpr DD kPio2DD = {kPio2[0], kPio2[1]};
// ln 2 to about 160 bits.
constexpr double kLn2[3] = {0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56, 0x1.7b57a079a1934p-111};
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kOneOverLn2 = 0x1.71547652b82fep+0;
// The double nearest 2 pi, the period used for arguments beyond kMaxExact.
constexpr double kTwoPi = 0x1.921fb54442d18p+2;
constexpr double kMaxExactReduction = 0x1p+30;
// exp overflows above this and is 0 below kExpMin.
constexpr double kExpMax = 709.782712893384;
constexpr double kExpMin = -745.1332191019412;
// Below this magnitude sin, tan, atan and asin round to their argument.
constexpr double kTiny = 0x1p-27;
// Above this atan(t) = pi/2 - 1/t to far beyond double precision.
constexpr double kHuge = 0x1p+60;

DD TwoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    const double err = (a - (s - bb)) + (b - bb);
    return {s, err};
}

DD QuickTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}

DD Split(double a) {
    constexpr double kSplitter = 134217729.0;  // 2^27 + 1
    const double t = kSplitter * a;
    const double hi = t - (t - a);
    return {hi, a - hi};
}

DD TwoProd(double a, double b) {
    const double p = a * b;
    const DD as = Split(a);
    const DD bs = Split(b);
    const double err = ((as.hi * bs.hi - p) + as.hi * bs.lo + as.lo * bs.hi) + as.lo * bs.lo;
    return {p, err};
}

DD Add(DD a, DD b) {
    DD s = TwoSum(a.hi, b.hi);
    const DD t = TwoSum(a.lo, b.lo);
    s.lo += t.hi;
    s = QuickTwoSum(s.hi, s.lo);
    s.lo += t.lo;
    return QuickTwoSum(s.hi, s.lo);
}

DD Neg(DD a) {
    return {-a.hi, -a.lo};
}

DD Sub(DD a, DD b) {
    return Add(a, Neg(b));
}

DD Mul(DD a, DD b) {
    DD p = TwoProd(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return QuickTwoSum(p.hi, p.lo);
}

DD MulD(DD a, double b) {
    DD p = TwoProd(a.hi, b);
    p.lo += a.lo * b;
    return QuickTwoSum(p.hi, p.lo);
}

DD Div(DD a, DD b) {
    const double q1 = a.hi / b.hi;
    DD r = Sub(a, MulD(b, q1));
    const double q2 = r.hi / b.hi;
    r = Sub(r, MulD(b, q2));
    const double q3 = r.hi / b.hi;
    const DD q = QuickTwoSum(q1, q2);
    return Add(q, {q3, 0.0});
}

DD DivD(DD a, double b) {
    return Div(a, {b, 0.0});
}

DD Sqrt(DD a) {
    if (a.hi <= 0.0) {
        return {0.0, 0.0};
    }
    const double x = std::sqrt(a.hi);
    const DD diff = Sub(a, TwoProd(x, x));
    return QuickTwoSum(x, diff.hi / (2.0 * x));
}

// 2^k for -1022 <= k <= 1023, built from its bit pattern.
double Pow2(int k) {
    const uint64_t bits = static_cast<uint64_t>(k + 1023) << 52;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// x modulo `period` (x >= 0), exact: each step subtracts the largest
// period x 2^e not above the remainder, which Sterbenz' lemma makes exact.
double ExactRemainder(double x, double period) {
    while (x >= period) {
        int ex = 0;
        int ep = 0;
        std::frexp(x, &ex);
        std::frexp(period, &ep);
        double step = std::ldexp(period, ex - ep);
        if (step > x) {
            step = std::ldexp(period, ex - ep - 1);
        }
        x -= step;
    }
    return x;
}

// sin and cos of |r| <= pi/4 by their Taylor series.
void SinCosReduced(DD r, DD& s, DD& c) {
    constexpr int kTerms = 15;
    const DD r2 = Mul(r, r);
    DD term = r;
    s = r;
    for (int k = 1; k <= kTerms; ++k) {
        term = DivD(Mul(term, r2), static_cast<double>((2 * k) * (2 * k + 1)));
        s = (k % 2 == 1) ? Sub(s, term) : Add(s, term);
    }
    term = {1.0, 0.0};
    c = {1.0, 0.0};
    for (int k = 1; k <= kTerms; ++k) {
        term = DivD(Mul(term, r2), static_cast<double>((2 * k - 1) * (2 * k)));
        c = (k % 2 == 1) ? Sub(c, term) : Add(c, term);
    }
}

// Reduces a finite x to r = x - k pi/2 and returns k mod 4.
int Reduce(double x, DD& r) {
    const bool negative = x < 0.0;
    double ax = negative ? -x : x;
    if (ax >= kMaxExactReduction) {
        ax = ExactRemainder(ax, kTwoPi);
    }
    const double k = std::floor(ax * kTwoOverPi + 0.5);
    r = Sub({ax, 0.0}, TwoProd(k, kPio2[0]));
    r = Sub(r, TwoProd(k, kPio2[1]));
    r = Sub(r, TwoProd(k, kPio2[2]));
    r = Sub(r, {k * kPio2[3], 0.0});
    int quadrant = static_cast<int>(static_cast<int64_t>(k) % 4);
    if (negative) {
        r = Neg(r);
        quadrant = (4 - quadrant) % 4;
    }
    return quadrant;
}

// atan(t) for t >= 0 (infinity included).
DD AtanNonNegative(DD t) {
    if (t.hi > kHuge) {
        return Sub(kPio2DD, {1.0 / t.hi, 0.0});
    }
    bool complement = false;
    if (t.hi > 1.0) {
        t = Div({1.0, 0.0}, t);
        complement = true;
    }
    constexpr int kHalvings = 3;
    for (int h = 0; h < kHalvings; ++h) {
        const DD root = Sqrt(Add({1.0, 0.0}, Mul(t, t)));
        t = Div(t, Add({1.0, 0.0}, root));
    }
    constexpr int kTerms = 18;
    const DD t2 = Mul(t, t);
    DD power = t;
    DD sum = t;
    for (int k = 1; k <= kTerms; ++k) {
        power = Mul(power, t2);
        const DD term = DivD(power, static_cast<double>(2 * k + 1));
        sum = (k % 2 == 1) ? Sub(sum, term) : Add(sum, term);
    }
    sum = MulD(sum, static_cast<double>(1 << kHalvings));
    return complement ? Sub(kPio2DD, sum) : sum;
}

// exp of a double-double argument that is neither NaN nor beyond the range.
double ExpOf(DD x) {
    const double k = std::floor(x.hi * kOneOverLn2 + 0.5);
    DD r = Sub(x, TwoProd(k, kLn2[0]));
    r = Sub(r, TwoProd(k, kLn2[1]));
    r = Sub(r, {k * kLn2[2], 0.0});
    constexpr int kTerms = 25;
    DD term = {1.0, 0.0};
    DD sum = {1.0, 0.0};
    for (int n = 1; n <= kTerms; ++n) {
        term = DivD(Mul(term, r), static_cast<double>(n));
        sum = Add(sum, term);
    }
    const double m = sum.hi + sum.lo;
    const int e = static_cast<int>(k);
    if (e > 1023) {
        return m * Pow2(1023) * Pow2(e - 1023);
    }
    if (e < -1022) {
        // One rounding only, in the last multiplication into the subnormals.
        return m * Pow2(e + 600) * Pow2(-600);
    }
    return m * Pow2(e);
}

// log of a finite positive x, as a double-double.
DD LogOf(double x) {
    int e = 0;
    double m = std::frexp(x, &e);  // exact: 0.5 <= m < 1
    if (m < 0x1.6a09e667f3bcdp-1) {
        m *= 2.0;
        e -= 1;
    }
    const DD s = Div(TwoSum(m, -1.0), TwoSum(m, 1.0));
    const DD s2 = Mul(s, s);
    constexpr int kTerms = 22;
    DD power = s;
    DD sum = s;
    for (int k = 1; k <= kTerms; ++k) {
        power = Mul(power, s2);
        sum = Add(sum, DivD(power, static_cast<double>(2 * k + 1)));
    }
    const double k = static_cast<double>(e);
    DD v = Add(TwoProd(k, kLn2[0]), TwoProd(k, kLn2[1]));
    v = Add(v, {k * kLn2[2], 0.0});
    return Add(v, MulD(sum, 2.0));
}

}  // namespace

double Sin(double x) {
    if (!std::isfinite(x)) {
        return kNaN;
    }
    if (std::fabs(x) < kTiny) {
        return x;  // zero keeps its sign
    }
    DD r;
    const int quadrant = Reduce(x, r);
    DD s, c;
    SinCosReduced(r, s, c);
    const DD v = quadrant == 0 ? s : quadrant == 1 ? c : quadrant == 2 ? Neg(s) : Neg(c);
    return v.hi + v.lo;
}

double Cos(double x) {
    if (!std::isfinite(x)) {
        return kNaN;
    }
    DD r;
    const int quadrant = Reduce(x, r);
    DD s, c;
    SinCosReduced(r, s, c);
    const DD v = quadrant == 0 ? c : quadrant == 1 ? Neg(s) : quadrant == 2 ? Neg(c) : s;
    return v.hi + v.lo;
}

double Tan(double x) {
    if (!std::isfinite(x)) {
        return kNaN;
    }
    if (std::fabs(x) < kTiny) {
        return x;  // zero keeps its sign
    }
    DD r;
    const int quadrant = Reduce(x, r);
    DD s, c;
    SinCosReduced(r, s, c);
    const DD v = quadrant % 2 == 0 ? Div(s, c) : Neg(Div(c, s));
    return v.hi + v.lo;
}

double Atan(double x) {
    if (std::isnan(x) || std::fabs(x) < kTiny) {
        return x;
    }
    const DD v = AtanNonNegative({x < 0.0 ? -x : x, 0.0});
    const double a = v.hi + v.lo;
    return x < 0.0 ? -a : a;
}

double Asin(double x) {
    if (std::isnan(x) || x > 1.0 || x < -1.0) {
        return kNaN;
    }
    if (std::fabs(x) < kTiny) {
        return x;
    }
    const double ax = x < 0.0 ? -x : x;
    DD v;
    if (ax == 1.0) {
        v = kPio2DD;
    } else {
        // 1 - x^2 = (1 - x)(1 + x), both factors exact.
        const DD oneMinus = TwoSum(1.0, -ax);
        const DD onePlus = TwoSum(1.0, ax);
        v = AtanNonNegative(Div({ax, 0.0}, Sqrt(Mul(oneMinus, onePlus))));
    }
    const double a = v.hi + v.lo;
    return x < 0.0 ? -a : a;
}

double Acos(double x) {
    if (std::isnan(x) || x > 1.0 || x < -1.0) {
        return kNaN;
    }
    if (x == 1.0) {
        return 0.0;
    }
    if (x == -1.0) {
        const DD pi = MulD(kPio2DD, 2.0);
        return pi.hi + pi.lo;
    }
    const DD oneMinus = TwoSum(1.0, -x);
    const DD onePlus = TwoSum(1.0, x);
    const DD v = MulD(AtanNonNegative(Sqrt(Div(oneMinus, onePlus))), 2.0);
    return v.hi + v.lo;
}

double Exp(double x) {
    if (std::isnan(x)) {
        return x;
    }
    if (x > kExpMax) {
        return kInf;
    }
    if (x < kExpMin) {
        return 0.0;
    }
    return ExpOf({x, 0.0});
}

double Log(double x) {
    if (std::isnan(x) || x < 0.0) {
        return kNaN;
    }
    if (x == 0.0) {
        return -kInf;
    }
    if (std::isinf(x)) {
        return kInf;
    }
    const DD v = LogOf(x);
    return v.hi + v.lo;
}

double Pow(double x, double y) {
    if (y == 0.0 || x == 1.0) {
        return 1.0;
    }
    if (std::isnan(x) || std::isnan(y) || x < 0.0) {
        return kNaN;
    }
    if (x == 0.0) {
        return y > 0.0 ? 0.0 : kInf;
    }
    if (std::isinf(x) || std::isinf(y)) {
        const bool grows = (x > 1.0) == (y > 0.0);
        return grows ? kInf : 0.0;
    }
    const DD exponent = MulD(LogOf(x), y);
    if (exponent.hi > kExpMax) {
        return kInf;
    }
    if (exponent.hi < kExpMin) {
        return 0.0;
    }
    return ExpOf(exponent);
}

}  // namespace Skewmend::PortableMath
