// The toolbar is a common-controls toolbar with the system's small standard
// pictures for Open, Save and Restore (undo) and the program's own strip
// (res/tools.bmp) for the three rotations. The angle field is a child of
// the toolbar laid over a separator as wide as the field.
#include "desktop/win32/tool_bar.h"

#include <commctrl.h>

#include <iterator>

#include "desktop/command_ids.h"
#include "desktop/string_table.h"
#include "desktop/win32/resource_ids.h"
#include "desktop/win32/wide_text.h"

namespace LeveloraDesk {

namespace {

constexpr int kAngleFieldWidthPx = 36;
constexpr int kAngleFieldHeightPx = 22;
constexpr int kGapPx = 6;

// A button's picture: one of the system's standard pictures or one of the
// program's own.
enum class Picture { Standard, Own, None };

struct ToolButton {
    int commandId;  // 0 for a gap
    Picture picture;
    int index;  // within its picture list; the gap's width for a gap
};

// The separator before the rotate buttons carries the angle field.
constexpr int kFieldSlot = 6;

const ToolButton kButtons[] = {
    {kCmdOpen, Picture::Standard, STD_FILEOPEN},
    {kCmdAutoRotate, Picture::Own, TOOLS_AUTO_ROTATE},
    {kCmdSave, Picture::Standard, STD_FILESAVE},
    {0, Picture::None, kGapPx},
    {kCmdRestore, Picture::Standard, STD_UNDO},
    {0, Picture::None, kGapPx},
    {0, Picture::None, kAngleFieldWidthPx},
    {kCmdRotateRight, Picture::Own, TOOLS_ROTATE_RIGHT},
    {kCmdRotateLeft, Picture::Own, TOOLS_ROTATE_LEFT},
};

}  // namespace

std::wstring TooltipText(int commandId) {
    const int textId = TooltipTextId(commandId);
    return textId == 0 ? std::wstring() : Widen(LoadText(textId));
}

bool ToolBar::Create(HWND parent, HINSTANCE instance) {
    bar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                           WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0,
                           0, 0, parent, nullptr, instance, nullptr);
    if (bar_ == nullptr) {
        return false;
    }
    SendMessageW(bar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    TBADDBITMAP standard{HINST_COMMCTRL, IDB_STD_SMALL_COLOR};
    const LRESULT standardBase =
        SendMessageW(bar_, TB_ADDBITMAP, 0, reinterpret_cast<LPARAM>(&standard));
    TBADDBITMAP own{instance, IDB_TOOLS};
    const LRESULT ownBase = SendMessageW(bar_, TB_ADDBITMAP, 3, reinterpret_cast<LPARAM>(&own));

    TBBUTTON buttons[std::size(kButtons)] = {};
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        const ToolButton& tool = kButtons[i];
        TBBUTTON& b = buttons[i];
        if (tool.commandId == 0) {
            b.iBitmap = tool.index;
            b.fsStyle = BTNS_SEP;
            continue;
        }
        const LRESULT base = tool.picture == Picture::Standard ? standardBase : ownBase;
        b.iBitmap = static_cast<int>(base) + tool.index;
        b.idCommand = tool.commandId;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = BTNS_BUTTON;
    }
    SendMessageW(bar_, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    SendMessageW(bar_, TB_AUTOSIZE, 0, 0);

    RECT slot{};
    SendMessageW(bar_, TB_GETITEMRECT, kFieldSlot, reinterpret_cast<LPARAM>(&slot));
    const int top = slot.top + (slot.bottom - slot.top - kAngleFieldHeightPx) / 2;
    field_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                             WS_CHILD | WS_VISIBLE | ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL,
                             slot.left, top < 0 ? 0 : top, kAngleFieldWidthPx, kAngleFieldHeightPx,
                             bar_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAngleEditId)),
                             instance, nullptr);
    if (field_ == nullptr) {
        return false;
    }
    SendMessageW(field_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 TRUE);
    return true;
}

int ToolBar::Height() const {
    if (bar_ == nullptr) {
        return 0;
    }
    RECT r{};
    GetWindowRect(bar_, &r);
    return r.bottom - r.top;
}

void ToolBar::FitToParent() {
    if (bar_ != nullptr) {
        SendMessageW(bar_, TB_AUTOSIZE, 0, 0);
    }
}

void ToolBar::EnableCommand(int commandId, bool enabled) {
    if (bar_ != nullptr) {
        SendMessageW(bar_, TB_ENABLEBUTTON, static_cast<WPARAM>(commandId), MAKELONG(enabled, 0));
    }
}

}  // namespace LeveloraDesk
