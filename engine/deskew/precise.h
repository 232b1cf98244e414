// Precise mode: a sub-degree skew estimate with a confidence and an honest
// "not sure", offered beside the whole-degree automatic pipeline (which it
// leaves exactly as it is).
//
// PreciseDeskew::Estimate works on the same working page and grey image as
// _AutoRotate (the shared analysis of engine/pipeline.h). A noisy grey image (median horizontal
// neighbour difference giving a noise level above 5 grey levels) is smoothed by a 3 x 3 box mean
// first. The whole-degree estimate of the Deskewer (Otsu, margin removal,
// components, neighbour directions, density) gives a seed; its cleaned mask
// gives the ink pixels whose projection profiles are scored at fractional
// angles. A fine search around the seed, or else a sweep over -45 .. 45
// degrees on a reduced mask, finds the sharpest profile; its sharpness
// against the profiles 2 and 4 degrees away decides whether the answer is
// trusted (sharpness >= 3) and gives the confidence min(1, ln S / ln 9).
//
// Angles are corrections in degrees in the sense Rotator::Rotate takes them,
// folded into (-90, 90]. Statuses: kSure (angle valid), kNotSure (no trusted
// angle; the page has no ink or no sharp direction), kFailed (the whole-
// degree estimate failed on a page with ink, or the arguments were unusable).
//
// PreciseDeskew::Apply turns a page by a trusted estimate when it meets the
// caller's confidence and angle gates and otherwise copies it unchanged.
// Nothing here is timed or exported; the Deskewer's own steps log and time
// as they always do.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "bmpbase/bitmap24.h"
#include "bmpbase/plane.h"
#include "engine/binarizer/pixel_mask.h"

namespace Skewmend {

enum class PreciseStatus { kSure, kNotSure, kFailed };

struct PreciseEstimate {
    PreciseStatus status = PreciseStatus::kFailed;
    double angle = 0.0;       // correction in degrees; meaningful when kSure
    double confidence = 0.0;  // 0 .. 1
    double sharpness = 0.0;   // S of the kept candidate
    int wholeAngle = 0;       // the whole-degree estimate, folded into (-90, 90]
    double noiseSigma = 0.0;  // noise level of the grey image, grey levels
    bool denoised = false;    // the grey image was smoothed first
    bool swept = false;       // the sweep over -45 .. 45 ran
};

// The outcome of Apply, in the words users see.
enum class PreciseAction { kRotated, kUnchanged, kNotSure, kFailed };
const char* PreciseActionName(PreciseAction action);

// Ink pixels centred on their mask and the projection-profile score.
class ProfilePixels {
  public:
    // Every ink pixel of a rows x cols mask; with `skipBorder`, except those
    // in its first and last row and column.
    ProfilePixels(const PixelMask& mask, uint32_t rows, uint32_t cols, bool skipBorder);

    // P(a): squared differences of neighbouring bins of the sheared profile
    // of angle `degrees`, scaled by the profile length over N^2. 0 without
    // ink. Memoised by angle.
    double Score(double degrees);

    // S(a) = P(a) / mean(P(a - 2), P(a + 2), P(a - 4), P(a + 4)).
    double Sharpness(double degrees);

    // Quarter-degree then twentieth-degree steps around `seed`, then a
    // 7-point parabola through the best.
    double FineSearch(double seed);

    size_t Count() const { return xs_.size(); }
    uint32_t Rows() const { return rows_; }
    uint32_t Cols() const { return cols_; }

  private:
    uint32_t rows_;
    uint32_t cols_;
    std::vector<double> xs_;  // x - (W - 1) / 2
    std::vector<double> ys_;  // y - (H - 1) / 2
    std::map<double, double> memo_;
    std::vector<uint32_t> bins_;
};

class PreciseDeskew {
  public:
    // Gates of a noise-free sharpness decision.
    static constexpr double kMinSharpness = 3.0;
    static constexpr double kNoisySigma = 5.0;
    static constexpr double kDefaultMinConfidence = 0.5;
    static constexpr double kDefaultMinAngleDeg = 0.05;

    // Estimates the correction of `src`. False only for unusable arguments
    // (an empty page or one beyond the size limits); the estimate then has
    // status kFailed.
    static bool Estimate(const BmpBase::CBitmap24& src, PreciseEstimate& estimate);

    // Estimates, then turns `src` into `dst` with the colour rotation when
    // the estimate is sure, its confidence reaches `minConfidence` and its
    // magnitude reaches `minAngleDeg`; otherwise `dst` becomes an exact copy.
    // Corner option as for _AutoRotate (0 paper colour, 2 white, else black;
    // above 2 refused as kFailed).
    static PreciseAction Apply(const BmpBase::CBitmap24& src, BmpBase::CBitmap24& dst,
                               int cornerOption, double minConfidence, double minAngleDeg,
                               PreciseEstimate& estimate);

    // What Apply does with an estimate: kFailed for an unusable page or a
    // failed estimate, kNotSure below the confidence gate, kUnchanged below
    // the angle gate, else kRotated.
    static PreciseAction Gate(bool usable, const PreciseEstimate& estimate, double minConfidence,
                              double minAngleDeg);

    // ---- Steps, exposed for testing -----------------------------------

    // Noise level: 1.4826 x median |g(y, x+1) - g(y, x)| / sqrt(2).
    static double NoiseSigma(const BmpBase::GreyImage& grey);

    // 3 x 3 box mean with replicated edges, (sum + 4) / 9.
    static BmpBase::GreyImage BoxMean3x3(const BmpBase::GreyImage& grey);

    // A mask of ceil(rows / 2) x ceil(cols / 2) blocks, ink where any pixel
    // of the 2 x 2 block is ink.
    static PixelMask OrReduce(const PixelMask& mask, uint32_t rows, uint32_t cols,
                              uint32_t& newRows, uint32_t& newCols);

    // The best of P at -45, -44.5, ... 45 on `pixels` (first maximum).
    static double Sweep(ProfilePixels& pixels);

    // min(1, ln S / ln 9) for S > 1, else 0.
    static double Confidence(double sharpness);

    // The decision on a cleaned mask, given the whole-degree seed.
    static void Decide(const PixelMask& mask, uint32_t rows, uint32_t cols, int wholeAngle,
                       PreciseEstimate& estimate);
};

}  // namespace Skewmend
