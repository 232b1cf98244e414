// The menu texts are the ones the Qt window shows; "&" marks each item's
// mnemonic and "\t" puts the accelerator's keys at the right of the item.
#include "desktop/win32/menu_bar.h"

#include "desktop/command_ids.h"

namespace LeveloraDesk {

namespace {

struct MenuItem {
    int commandId;
    const wchar_t* text;
};

// Appends `items` as a drop-down menu named `title`; false when the system
// refuses.
template <size_t N>
bool AddMenu(HMENU bar, const wchar_t* title, const MenuItem (&items)[N]) {
    HMENU popup = CreatePopupMenu();
    if (popup == nullptr) {
        return false;
    }
    for (const MenuItem& item : items) {
        AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(item.commandId), item.text);
    }
    if (!AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), title)) {
        DestroyMenu(popup);
        return false;
    }
    return true;
}

// The "/" and "?" key of a US keyboard.
constexpr WORD kSlashKey = VK_OEM_2;

}  // namespace

HMENU BuildMainMenu() {
    static const MenuItem file[] = {{kCmdOpen, L"Open(&O)..."},
                                    {kCmdClose, L"Close(&C)"},
                                    {kCmdSave, L"Save(&S)..."},
                                    {kCmdExit, L"Exit(&X)"}};
    static const MenuItem edit[] = {{kCmdCopy, L"Copy(&C)\tCtrl+C"},
                                    {kCmdPaste, L"Paste(&P)\tCtrl+V"}};
    static const MenuItem rotate[] = {{kCmdAutoRotate, L"Auto-Rotate(&A)"},
                                      {kCmdManualRotate, L"Manual-Rotate(&M)..."},
                                      {kCmdRestore, L"Restore(&O)"}};
    static const MenuItem help[] = {{kCmdHelp, L"Help(&H)"}, {kCmdAbout, L"About(&A) ...\tAlt+?"}};
    HMENU bar = CreateMenu();
    if (bar == nullptr) {
        return nullptr;
    }
    if (!AddMenu(bar, L"File(&F)", file) || !AddMenu(bar, L"Edit(&E)", edit) ||
        !AddMenu(bar, L"Rotate(&R)", rotate) || !AddMenu(bar, L"Help(&H)", help)) {
        DestroyMenu(bar);
        return nullptr;
    }
    return bar;
}

std::vector<ACCEL> AcceleratorEntries() {
    const auto id = [](int commandId) { return static_cast<WORD>(commandId); };
    return {
        {FVIRTKEY | FCONTROL, 'C', id(kCmdCopy)},
        {FVIRTKEY | FCONTROL, 'V', id(kCmdPaste)},
        {FVIRTKEY | FALT, kSlashKey, id(kCmdAbout)},
        // "?" is typed with Shift on most layouts.
        {FVIRTKEY | FALT | FSHIFT, kSlashKey, id(kCmdAbout)},
        {FVIRTKEY | FALT, VK_DIVIDE, id(kCmdAbout)},
    };
}

HACCEL BuildAccelerators() {
    std::vector<ACCEL> entries = AcceleratorEntries();
    return CreateAcceleratorTableW(entries.data(), static_cast<int>(entries.size()));
}

}  // namespace LeveloraDesk
