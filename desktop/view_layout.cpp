// The scale is 1 when the picture fits with room to spare in both
// directions; as soon as either direction is at most a fit, the smaller of
// the two factors is taken. Sizes are rounded (add 0.5, truncate), the
// position uses truncating integer halves.
#include "desktop/view_layout.h"

#include <cstdlib>

namespace LeveloraDesk {

ViewRect FitAndCentre(int clientRight, int clientBottom, int barHeight, int32_t srcWidth,
                      int32_t srcHeight) {
    ViewRect r;
    const long long srcW = std::llabs(srcWidth);
    const long long srcH = std::llabs(srcHeight);
    const int availW = clientRight;
    const int availH = clientBottom - barHeight;
    if (srcW == 0 || srcH == 0 || availW <= 0 || availH <= 0) {
        return r;
    }
    const double sx = static_cast<double>(availW) / static_cast<double>(srcW);
    const double sy = static_cast<double>(availH) / static_cast<double>(srcH);
    double scale = 1.0;
    if (!(sx > 1.0 && sy > 1.0)) {
        scale = sx < sy ? sx : sy;
    }
    r.width = static_cast<int>(static_cast<double>(srcW) * scale + 0.5);
    r.height = static_cast<int>(static_cast<double>(srcH) * scale + 0.5);
    r.x = clientRight / 2 - r.width / 2;
    r.y = (clientBottom + barHeight) / 2 - r.height / 2;
    r.visible = r.width > 0 && r.height > 0;
    return r;
}

}  // namespace LeveloraDesk
