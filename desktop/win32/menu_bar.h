// The main window's menu bar and accelerator table, built from the command
// ids of desktop/command_ids.h.
//
// Menus: File (Open, Close, Save, Exit), Edit (Copy, Paste), Rotate
// (Auto-Rotate, Manual-Rotate, Restore), Help (Help, About), each item
// delivering its command id. Accelerators: Ctrl+C (Copy), Ctrl+V (Paste),
// Alt+/ and Alt+? (About). BuildMainMenu and BuildAccelerators return null
// when the system cannot create them; the caller owns the handles.
#pragma once

#include <windows.h>

#include <vector>

namespace LeveloraDesk {

HMENU BuildMainMenu();

// The accelerator table's entries, in the order they are built.
std::vector<ACCEL> AcceleratorEntries();

HACCEL BuildAccelerators();

}  // namespace LeveloraDesk
