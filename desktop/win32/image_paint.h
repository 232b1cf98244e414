// Paints ShownImage into the main window with StretchDIBits, placed by the
// view rule of desktop/view_layout.h: shrunk to fit below the toolbar
// (never enlarged), aspect ratio kept, centred. Nothing is painted when no
// picture is open, when there is no room, or when the picture's buffer is
// shorter than its description. The background is the window class's.
#pragma once

#include <windows.h>

#include "desktop/program_state.h"

namespace LeveloraDesk {

void PaintImage(HDC dc, const RECT& client, int barHeight, const ProgramState& state);

}  // namespace LeveloraDesk
