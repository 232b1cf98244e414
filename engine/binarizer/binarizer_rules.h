// Decision rules of the binarizer that work on numbers alone: the hill
// climb of the local threshold optimisation and the evenness test of the
// illumination check. The Binarizer methods feed them with scores and
// quadrant thresholds taken from the image; keeping them apart lets the
// rules be checked with scripted inputs.
#pragma once

#include <cstdint>
#include <functional>

namespace Skewmend {

// Moves `threshold` by multiples of `step` within lo .. hi while `score`
// (higher = cleaner) does not get worse. The threshold stays when
// threshold ± step leaves the bounds, or when its own score beats both
// neighbours strictly. Otherwise the climb goes up when the upper
// neighbour scores strictly higher than the lower one, else down, and
// continues on equal scores; only a strictly lower score stops it. Scores
// are asked for in the order threshold, threshold + step, threshold - step,
// then along the climb.
int32_t ClimbThreshold(int32_t threshold, int32_t step, int32_t lo, int32_t hi,
                       const std::function<double(int32_t)>& score);

// True when the spread of the four quadrant thresholds is small against
// the mean of their separations: (max - min) / mean separation < limit. A
// mean separation of 0 (every quadrant of a single grey level) is not
// evenly lit, and nothing is divided by it.
bool QuadrantsEvenlyLit(const int32_t thresholds[4], const double separations[4], double limit);

}  // namespace Skewmend
