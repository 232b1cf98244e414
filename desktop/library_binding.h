// BindLibraries: the start-up step that binds the engine and the converter
// library by file name, before the window exists. Nothing is reported: a
// missing library or entry point leaves a null pointer in the result.
#pragma once

#include "desktop/entry_points.h"

namespace LeveloraDesk {

EntryPoints BindLibraries();

}  // namespace LeveloraDesk
