// The command ids of the desktop program: the menu items, the toolbar
// buttons and the accelerators all deliver one of these numbers, and the
// program's logic dispatches on them. The values are fixed.
#pragma once

namespace LeveloraDesk {

constexpr int kCmdOpen = 32773;
constexpr int kCmdClose = 32774;
constexpr int kCmdSave = 32782;
constexpr int kCmdExit = 105;
constexpr int kCmdCopy = 32792;
constexpr int kCmdPaste = 32793;
constexpr int kCmdAutoRotate = 32777;
constexpr int kCmdManualRotate = 32778;
constexpr int kCmdRestore = 32780;
constexpr int kCmdRotateRight = 32790;
constexpr int kCmdRotateLeft = 32791;
constexpr int kCmdHelp = 32784;
constexpr int kCmdAbout = 104;

// The control id of the angle field on the toolbar.
constexpr int kAngleEditId = 32786;

}  // namespace LeveloraDesk
