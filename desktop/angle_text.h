// The angle field's text and the angle it stands for.
//
// ParseAngleText reads the leading decimal number of `text` the way the
// standard atoi does (leading white space, an optional sign, digits; no
// digits gives 0), but saturates at the int range instead of overflowing.
// AngleDigits writes the magnitude of an angle in decimal without sign.
#pragma once

#include <string>

namespace LeveloraDesk {

int ParseAngleText(const std::string& text);

std::string AngleDigits(int angle);

// -value, saturated so that the smallest int becomes the largest.
int NegateAngle(int value);

}  // namespace LeveloraDesk
