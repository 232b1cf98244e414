// Skew by density: refines the coarse angle within +-5 degrees by projection
// profiles.
//
// For a candidate angle the mask is probed along parallel straight lines of
// that direction, sampled once per column (shallow lines) or once per row
// (steep lines, beyond the angle of the mask's diagonal), each sample
// position truncated toward zero. A line's ink count is squared and the
// squares are summed: the sum peaks when the lines run along the lines of
// text. Only lines starting in column 0 (shallow) or row 0 (steep) are
// probed.
//
// The per-column offsets x * tan(a) (and per-row offsets y * cot(a)) are the
// same for every probing line, so they are formed once per candidate; the
// sample position is then that offset plus the line's start, exactly the
// expression of the direct formula. Rather than testing one sample at a
// time, the score is gathered a column (shallow) or a row (steep) at a time:
// for almost every offset the lines 0, 1, 2, ... sample consecutive flags of
// that column or row, so 64 lines take one shifted word of flags, added into
// bit-sliced counters through carry-save adders (ProjectionScore proves when
// this holds and samples the few remaining positions directly). Shallow candidates read a
// column-major copy of the mask, made once per refinement. Line counts are squared and summed in
// 64 bits: a line holds at most 65534 samples, so no square or sum of a page
// within the size limits wraps, and the sum converts to a double exactly.
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/deskew/deskewer.h"
#include "engine/diagnostics.h"
#include "engine/portable_math.h"
#include "engine/rotator.h"

namespace Skewmend {

namespace {

constexpr int kDensitySearchHalfWidthDeg = 5;
constexpr int kHalfTurnDeg = 180;

// Offsets at or beyond this magnitude are sampled one by one.
constexpr double kLargeOffset = 1048576.0;  // 2^20
// Offsets whose fraction lies this close below 1 are sampled one by one.
constexpr double kFractionLimit = 1.0 - 1.0 / 1073741824.0;  // 1 - 2^-30
// Bit planes of the line counters: a count never exceeds 65534 steps.
constexpr int kCounterBits = 17;

// The flags of step k (a row or a column of the mask) as bits of a packed
// vector: position p of step k is bit k * stepBits + p. Reads outside the
// vector give zero bits.
struct StepBits {
    const uint64_t* words;
    size_t count;
    int64_t stepBits;

    // Bits of positions start .. start + 63 of step k, lowest first.
    uint64_t Get64(int32_t k, int64_t start) const {
        int64_t at = k * stepBits + start;
        int shiftUp = 0;
        if (at < 0) {
            if (at <= -64) {
                return 0;
            }
            shiftUp = static_cast<int>(-at);
            at = 0;
        }
        const auto index = static_cast<size_t>(at >> 6);
        const int shift = static_cast<int>(at & 63);
        const uint64_t low = index < count ? words[index] : 0;
        const uint64_t high = index + 1 < count ? words[index + 1] : 0;
        const uint64_t bits = shift == 0 ? low : (low >> shift) | (high << (64 - shift));
        return bits << shiftUp;
    }

    bool Get(int32_t k, int32_t position) const {
        const int64_t at = k * stepBits + position;
        return ((words[static_cast<size_t>(at >> 6)] >> (at & 63)) & 1u) != 0;
    }
};

// 64 counters, one per bit position, kept bit-sliced: bit i of plane b is
// bit b of counter i. Words are added sixteen at a time through a tree of
// carry-save adders (each turns three words of one weight into one word of
// that weight and one of twice it), so most words cost a few logic
// operations instead of a carry rippling through the planes; only the
// weight-16 words of the tree ripple. Finish() adds the words still held
// at weights 1, 2, 4 and 8 and any words that did not fill a group, and
// returns the planes: the counters are then exactly the number of set bits
// added at each position.
class BitCounters {
  public:
    void Add(uint64_t word) {
        if (word == 0) {
            return;
        }
        group_[filled_++] = word;
        if (filled_ == kGroup) {
            AddGroup();
            filled_ = 0;
        }
    }

    const uint64_t* Finish() {
        for (int i = 0; i < filled_; ++i) {
            Ripple(group_[i], 0);
        }
        filled_ = 0;
        Ripple(ones_, 0);
        Ripple(twos_, 1);
        Ripple(fours_, 2);
        Ripple(eights_, 3);
        ones_ = twos_ = fours_ = eights_ = 0;
        return planes_;
    }

  private:
    static constexpr int kGroup = 16;

    // a + b + c = 2 high + low, bit by bit.
    static void CarrySave(uint64_t& high, uint64_t& low, uint64_t a, uint64_t b, uint64_t c) {
        const uint64_t u = a ^ b;
        high = (a & b) | (u & c);
        low = u ^ c;
    }

    void Ripple(uint64_t carry, int from) {
        for (int b = from; carry != 0 && b < kCounterBits; ++b) {
            const uint64_t next = planes_[b] & carry;
            planes_[b] ^= carry;
            carry = next;
        }
    }

    void AddGroup() {
        const uint64_t* w = group_;
        uint64_t twosA, twosB, foursA, foursB, eightsA, eightsB, sixteens;
        CarrySave(twosA, ones_, ones_, w[0], w[1]);
        CarrySave(twosB, ones_, ones_, w[2], w[3]);
        CarrySave(foursA, twos_, twos_, twosA, twosB);
        CarrySave(twosA, ones_, ones_, w[4], w[5]);
        CarrySave(twosB, ones_, ones_, w[6], w[7]);
        CarrySave(foursB, twos_, twos_, twosA, twosB);
        CarrySave(eightsA, fours_, fours_, foursA, foursB);
        CarrySave(twosA, ones_, ones_, w[8], w[9]);
        CarrySave(twosB, ones_, ones_, w[10], w[11]);
        CarrySave(foursA, twos_, twos_, twosA, twosB);
        CarrySave(twosA, ones_, ones_, w[12], w[13]);
        CarrySave(twosB, ones_, ones_, w[14], w[15]);
        CarrySave(foursB, twos_, twos_, twosA, twosB);
        CarrySave(eightsB, fours_, fours_, foursA, foursB);
        CarrySave(sixteens, eights_, eights_, eightsA, eightsB);
        Ripple(sixteens, 4);
    }

    uint64_t planes_[kCounterBits] = {};
    uint64_t ones_ = 0;
    uint64_t twos_ = 0;
    uint64_t fours_ = 0;
    uint64_t eights_ = 0;
    uint64_t group_[kGroup] = {};
    int filled_ = 0;
};

// Sum over the lines L = 0 .. lines-1 of the square of the line's count:
// the steps k whose flag at position trunc(offset[k] + L) is set, the
// position lying in 0 .. lines-1. This is the direct per-sample rule; it is
// evaluated a step at a time instead of a sample at a time.
//
// With m = floor(offset[k]) and f = offset[k] - m, the sum offset[k] + L is
// m + L + f in exact arithmetic. While |offset| < 2^20 and f < 1 - 2^-30,
// rounding that sum to double moves it by less than 2^-32, which can neither
// reach m + L + 1 nor fall below m + L (an integer, hence representable), so
// for m + L >= 0 the sample position is exactly m + L. For m + L <= -2 the
// sum is below -1 and truncates to a negative position; only the line
// L = -m - 1 (sum between -1 and 0) is sampled with the direct formula, as
// is every line of a step whose offset fails the two conditions. The lines
// m + L >= 0 of a step then read a contiguous run of its flags, 64 lines at
// a time, into bit-sliced counters.
uint64_t ProjectionScore(const std::vector<double>& offset, int32_t lines, const StepBits& bits) {
    const auto steps = static_cast<int32_t>(offset.size());
    std::vector<uint32_t> extra(static_cast<size_t>(lines), 0);
    std::vector<int32_t> shift(static_cast<size_t>(steps), 0);
    std::vector<int32_t> first(static_cast<size_t>(steps), 1);  // empty: first > last
    std::vector<int32_t> last(static_cast<size_t>(steps), 0);
    auto sampleDirectly = [&](int32_t k, int32_t line) {
        const auto p = static_cast<int32_t>(offset[static_cast<size_t>(k)] + line);
        if (p >= 0 && p < lines && bits.Get(k, p)) {
            ++extra[static_cast<size_t>(line)];
        }
    };
    for (int32_t k = 0; k < steps; ++k) {
        const double off = offset[static_cast<size_t>(k)];
        const double whole = std::floor(off);
        if (!(std::fabs(off) < kLargeOffset) || !(off - whole < kFractionLimit)) {
            for (int32_t line = 0; line < lines; ++line) {
                sampleDirectly(k, line);
            }
            continue;
        }
        const auto m = static_cast<int32_t>(whole);
        if (-m - 1 >= 0 && -m - 1 < lines) {
            sampleDirectly(k, -m - 1);
        }
        shift[static_cast<size_t>(k)] = m;
        first[static_cast<size_t>(k)] = m < 0 ? -m : 0;
        last[static_cast<size_t>(k)] = m > 0 ? lines - 1 - m : lines - 1;
    }

    uint64_t sum = 0;
    for (int32_t block = 0; block < lines; block += 64) {
        BitCounters counters;
        for (int32_t k = 0; k < steps; ++k) {
            const int32_t lo = std::max(first[static_cast<size_t>(k)], block);
            const int32_t hi = std::min(last[static_cast<size_t>(k)], block + 63);
            if (lo > hi) {
                continue;
            }
            const int span = hi - lo + 1;
            const uint64_t range = (span == 64 ? ~uint64_t{0} : (uint64_t{1} << span) - 1)
                                   << (lo - block);
            counters.Add(
                bits.Get64(k, static_cast<int64_t>(block) + shift[static_cast<size_t>(k)]) & range);
        }
        const uint64_t* planes = counters.Finish();
        const int32_t end = std::min(lines - block, 64);
        for (int32_t i = 0; i < end; ++i) {
            uint64_t n = extra[static_cast<size_t>(block + i)];
            for (int b = 0; b < kCounterBits; ++b) {
                n += ((planes[b] >> i) & 1u) << b;
            }
            sum += n * n;
        }
    }
    return sum;
}

// The mask as one bit column per mask column (row y of column x is bit y
// of the column), made on first use and shared by the candidates of one
// refinement.
class ColumnCopy {
  public:
    ColumnCopy(const PixelMask& mask, int32_t h, int32_t w) : mask_(mask), h_(h), w_(w) {}

    StepBits Get() {
        const int64_t columnBits = (static_cast<int64_t>(h_) + 63) / 64 * 64;
        if (!made_) {
            Make(columnBits);
            made_ = true;
        }
        return StepBits{columns_.data(), columns_.size(), columnBits};
    }

  private:
    void Make(int64_t columnBits) {
        const size_t wordsPerColumn = static_cast<size_t>(columnBits / 64);
        columns_.assign(wordsPerColumn * static_cast<size_t>(w_), 0);
        const std::vector<uint64_t>& words = mask_.Words();
        // Row by row, the set flags of each row's stretch of the packed mask.
        for (int32_t y = 0; y < h_ && w_ > 0; ++y) {
            const size_t begin = static_cast<size_t>(y) * static_cast<size_t>(w_);
            const size_t end = begin + static_cast<size_t>(w_);
            const uint64_t bit = uint64_t{1} << (y & 63);
            uint64_t* base = columns_.data() + (y >> 6);
            for (size_t wi = begin >> 6; wi <= (end - 1) >> 6; ++wi) {
                uint64_t flags = words[wi];
                if (wi == begin >> 6) {
                    flags &= ~uint64_t{0} << (begin & 63);
                }
                if (wi == (end - 1) >> 6 && (end & 63) != 0) {
                    flags &= (uint64_t{1} << (end & 63)) - 1;
                }
                while (flags != 0) {
                    const size_t x = wi * 64 + static_cast<size_t>(__builtin_ctzll(flags)) - begin;
                    flags &= flags - 1;
                    base[x * wordsPerColumn] |= bit;
                }
            }
        }
    }

    const PixelMask& mask_;
    int32_t h_;
    int32_t w_;
    bool made_ = false;
    std::vector<uint64_t> columns_;
};

// Every projection score is timed under this one name, whether asked for
// alone (Fitness) or by the refinement, which shares one column copy
// between its candidates.
NamedTimer& FitnessTimer() {
    static NamedTimer timer("Deskewer::Fitness");
    return timer;
}

// The projection score of `angle` (degrees) over an h x w mask.
double Score(int angle, const PixelMask& mask, int32_t h, int32_t w, ColumnCopy& columns) {
    if (angle < 0) {
        angle += kHalfTurnDeg;
    }
    if (angle > kHalfTurnDeg) {
        angle -= kHalfTurnDeg;
    }
    const double pi = Rotator::kPi;
    const double theta = angle / 180.0 * pi;
    const double diag = PortableMath::Atan(static_cast<double>(h - 1) / static_cast<double>(w - 1));
    if (diag < theta && theta < pi - diag) {
        // Steep: one line per start column, sampled once per row; the steps
        // are the rows, read straight from the row-major mask.
        const double c = PortableMath::Tan(pi / 2 - theta);
        std::vector<double> offset(static_cast<size_t>(h));
        for (int32_t y = 0; y < h; ++y) {
            offset[static_cast<size_t>(y)] = y * c;
        }
        const std::vector<uint64_t>& words = mask.Words();
        const StepBits rows{words.data(), words.size(), static_cast<int64_t>(w)};
        return static_cast<double>(ProjectionScore(offset, w, rows));
    }
    // Shallow: one line per start row, sampled once per column; the steps
    // are the columns, read from the column copy.
    const double t = PortableMath::Tan(theta);
    std::vector<double> offset(static_cast<size_t>(w));
    for (int32_t x = 0; x < w; ++x) {
        offset[static_cast<size_t>(x)] = x * t;
    }
    return static_cast<double>(ProjectionScore(offset, h, columns.Get()));
}

}  // namespace

void Deskewer::GetSkewAngleByDensity(int seedAngle, int& angle) {
    SKEWMEND_TIMED("Deskewer::GetSkewAngleByDensity");
    ColumnCopy columns(mask, height, width);
    double best = -1e38;
    for (int a = seedAngle - kDensitySearchHalfWidthDeg;
         a <= seedAngle + kDensitySearchHalfWidthDeg; ++a) {
        int candidate = a;
        if (candidate < 0) {
            candidate += kHalfTurnDeg;
        } else if (candidate >= kHalfTurnDeg) {
            candidate -= kHalfTurnDeg;
        }
        double f;
        {
            ScopedTimer timed(FitnessTimer());
            f = Score(candidate, mask, height, width, columns);
        }
        if (f > best) {
            best = f;
            angle = candidate;
        }
    }
}

double Deskewer::Fitness(int angle) {
    ScopedTimer timed(FitnessTimer());
    ColumnCopy columns(mask, height, width);
    return Score(angle, mask, height, width, columns);
}

}  // namespace Skewmend
