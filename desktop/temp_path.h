// The path of the one temporary BMP file, "_leveloratemp.bmp" in the user's
// temp folder, through which the converter and the clipboard pass pictures.
// When the temp folder cannot be determined it is the bare name, which then
// lies in the current directory.
#pragma once

#include <string>

namespace LeveloraDesk {

constexpr const char* kTempBmpName = "_leveloratemp.bmp";

std::string MakeTempBmpPath();

}  // namespace LeveloraDesk
