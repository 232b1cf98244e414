// The two rules every caller applies to an estimated angle: folding it into
// the range corrections are reported in, and the small-tilt rule of the
// automatic pipeline.
#pragma once

namespace Skewmend {

// Tilts of at most this many whole degrees are left unturned by the
// automatic pipeline.
constexpr int kMaxTiltLeftUnturnedDeg = 3;

// Folds an angle in degrees into (-90, 90]: the estimators' 0 .. 179 become
// -89 .. 90 (178 is -2, 90 stays 90).
constexpr double FoldAngle(double degrees) {
    while (degrees > 90.0) {
        degrees -= 180.0;
    }
    while (degrees <= -90.0) {
        degrees += 180.0;
    }
    return degrees;
}

constexpr int FoldAngle(int degrees) {
    return static_cast<int>(FoldAngle(static_cast<double>(degrees)));
}

// Whether the automatic pipeline turns a page found tilted by the folded
// whole-degree `angle`.
constexpr bool TurnsPage(int angle) {
    return angle > kMaxTiltLeftUnturnedDeg || angle < -kMaxTiltLeftUnturnedDeg;
}

}  // namespace Skewmend
