// EstimateSkew: the automatic pipeline's analysis without its final
// rotation, through the engine's internal API, so `skewmend estimate` does
// not pay for turning a page it will not write.
//
// The same steps as _AutoRotate up to the angle: a working copy at half
// resolution for pages of more than 1048576 pixels (every second row and
// column), the grey image, the "otsu" mask, the Deskewer's estimate,
// normalised to -89 .. 90. False when no angle can be estimated; the engine
// logs the reason.
#pragma once

#include "bmpbase/bitmap24.h"

namespace Cli {

bool EstimateSkew(const BmpBase::CBitmap24& page, int& angle);

}  // namespace Cli
