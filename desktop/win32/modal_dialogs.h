// The Setup and About dialogs of levelora.rc, run modally over `owner`.
//
// RunSetup presets the angle field with `preset.angleText` and checks "To
// left" or "To right"; the field takes digits only, at most four typed (a
// longer preset is shown whole). OK calls `onOk` with the dialog's choice
// while the dialog is still open, then closes it; Cancel closes it without
// calling anything. RunAbout shows the icon and the version with one OK.
#pragma once

#include <windows.h>

#include <functional>

#include "desktop/window_port.h"

namespace LeveloraDesk {

void RunSetup(HWND owner, HINSTANCE instance, const SetupChoice& preset,
              const std::function<void(const SetupChoice&)>& onOk);

void RunAbout(HWND owner, HINSTANCE instance);

}  // namespace LeveloraDesk
