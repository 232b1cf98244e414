// ToolBar: the main window's fixed toolbar at the top of the client area:
// Open, Auto-rotate, Save, a gap, Restore, a gap, the angle field and the
// two rotate buttons (to right, to left). Buttons deliver their command ids
// to the parent window as WM_COMMAND; their tooltips are the string table's
// texts for the command (TooltipText). The angle field is an edit control
// with control id kAngleEditId that takes digits only and shows them
// right-aligned.
//
// Create returns false when the toolbar or the field cannot be created; the
// window still works then, without them.
#pragma once

#include <windows.h>

#include <string>

namespace LeveloraDesk {

class ToolBar {
  public:
    bool Create(HWND parent, HINSTANCE instance);

    HWND Handle() const { return bar_; }
    HWND AngleField() const { return field_; }

    // The toolbar's height in pixels (0 without a toolbar).
    int Height() const;

    // Lays the toolbar out again after the parent's size changed.
    void FitToParent();

    // Enables or greys the button of `commandId`, if the toolbar has one.
    void EnableCommand(int commandId, bool enabled);

  private:
    HWND bar_ = nullptr;
    HWND field_ = nullptr;
};

// The tooltip text of `commandId` as a wide string; empty when it has none.
std::wstring TooltipText(int commandId);

}  // namespace LeveloraDesk
