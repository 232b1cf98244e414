// Conversions from a 24-bit bitmap to 8-bit planes.
//
// Each conversion reads the bitmap (unchanged) and overwrites every element
// of the plane, visiting rows 0 .. height-1 and within a row columns
// 0 .. width-1. The plane is resized (and so zero-filled) only when its size
// differs from the bitmap's; a plane of the right size is reused as it is.
// All four always succeed and return true.
#pragma once

#include "bmpbase/bitmap24.h"
#include "bmpbase/plane.h"

namespace BmpBase {

// (blue + green + red) / 3, integer division: (10, 20, 31) gives 20.
bool GetGreyImage(const CBitmap24& bmp, GreyImage& grey);
bool GetRedImage(const CBitmap24& bmp, GreyImage& plane);
bool GetGreenImage(const CBitmap24& bmp, GreyImage& plane);
bool GetBlueImage(const CBitmap24& bmp, GreyImage& plane);

}  // namespace BmpBase
