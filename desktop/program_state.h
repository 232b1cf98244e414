// The desktop program's state, one instance for the whole run, created
// before the window.
//
// SourceImage is the picture as last opened or pasted and never changes
// otherwise; ShownImage is what is painted, saved and copied: a copy of
// SourceImage or the engine's rotation of it. CurrentAngle is the rotation
// of ShownImage relative to SourceImage (positive = to the right), so every
// rotation is computed afresh from SourceImage.
#pragma once

#include "bmpbase/bitmap24.h"

namespace LeveloraDesk {

struct ProgramState {
    BmpBase::CBitmap24 SourceImage;
    BmpBase::CBitmap24 ShownImage;
    bool ImageOpen = false;
    int CurrentAngle = 0;
};

}  // namespace LeveloraDesk
