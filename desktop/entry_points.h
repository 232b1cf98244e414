// The entry points the desktop program binds by name at start-up: the
// engine's two bitmap rotations and the converter's six format converters.
// A null pointer means the library or the entry point was not found; the
// commands that need it then fail with their usual message and never call
// through it.
#pragma once

#include "engine/skewmend.h"

namespace LeveloraDesk {

// One converter: reads the file `srcPath` and writes `dstPath` in the other
// format, replacing it. Narrow paths; true on success.
using FormatConverter = bool (*)(const char* srcPath, const char* dstPath);

struct EntryPoints {
    AutoRotateFn autoRotate = nullptr;
    ManualRotateFn manualRotate = nullptr;
    FormatConverter bmp2Jpg = nullptr;
    FormatConverter jpg2Bmp = nullptr;
    FormatConverter bmp2Tif = nullptr;
    FormatConverter tif2Bmp = nullptr;
    FormatConverter bmp2Png = nullptr;
    FormatConverter png2Bmp = nullptr;
};

}  // namespace LeveloraDesk
