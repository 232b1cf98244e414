// The one edit a turned page needs in its XMP packet: the orientation
// property (tiff:Orientation, as an attribute or an element) set to 1, since
// the written pixels are upright. Everything else in the packet is kept byte
// for byte; the packet keeps its length, so its padding stays valid.
#pragma once

#include <string>

namespace Pictconv {

// Sets every tiff:Orientation value of 2..8 in `xmp` to 1. Returns how many
// were changed. Values that are not one digit 1..8 are left alone.
int SetXmpOrientationUpright(std::string& xmp);

}  // namespace Pictconv
