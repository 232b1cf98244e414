// Where the picture goes in the window: shrunk to fit (never enlarged),
// keeping its aspect ratio, centred horizontally in the client area and
// vertically between the bottom of the toolbar and the bottom of the area.
//
// FitAndCentre takes the client area's right and bottom edges (its left and
// top are 0), the toolbar's height and the picture's biWidth and biHeight.
// A negative biHeight (a top-down picture) counts with its absolute value.
// The result's `visible` is false when nothing can be shown: an empty
// picture, or an area below the toolbar without width or height.
#pragma once

#include <cstdint>

namespace LeveloraDesk {

struct ViewRect {
    bool visible = false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

ViewRect FitAndCentre(int clientRight, int clientBottom, int barHeight, int32_t srcWidth,
                      int32_t srcHeight);

}  // namespace LeveloraDesk
