// Both dialogs are DialogBoxParamW boxes; the Setup dialog's state travels
// in the parameter and in the window's user data.
#include "desktop/win32/modal_dialogs.h"

#include <vector>

#include "desktop/win32/resource_ids.h"
#include "desktop/win32/wide_text.h"

namespace LeveloraDesk {

namespace {

constexpr WPARAM kSetupTypedDigits = 4;

struct SetupContext {
    const SetupChoice* preset;
    const std::function<void(const SetupChoice&)>* onOk;
};

std::string FieldText(HWND dialog, int controlId) {
    HWND field = GetDlgItem(dialog, controlId);
    const int length = GetWindowTextLengthW(field);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(field, text.data(), length + 1);
    return Narrow(text.data());
}

INT_PTR CALLBACK SetupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* context = reinterpret_cast<SetupContext*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            // The preset goes in before the limit, which only stops typing.
            SetDlgItemTextW(dialog, IDC_SETUP_ANGLE, Widen(context->preset->angleText).c_str());
            SendDlgItemMessageW(dialog, IDC_SETUP_ANGLE, EM_LIMITTEXT, kSetupTypedDigits, 0);
            CheckRadioButton(dialog, IDC_SETUP_TO_RIGHT, IDC_SETUP_TO_LEFT,
                             context->preset->toLeft ? IDC_SETUP_TO_LEFT : IDC_SETUP_TO_RIGHT);
            // The field starts with the focus and its text selected, as a
            // dialog's first field does: typing replaces the preset.
            SetFocus(GetDlgItem(dialog, IDC_SETUP_ANGLE));
            SendDlgItemMessageW(dialog, IDC_SETUP_ANGLE, EM_SETSEL, 0, -1);
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                const auto* context =
                    reinterpret_cast<const SetupContext*>(GetWindowLongPtrW(dialog, DWLP_USER));
                SetupChoice choice;
                choice.angleText = FieldText(dialog, IDC_SETUP_ANGLE);
                choice.toLeft = IsDlgButtonChecked(dialog, IDC_SETUP_TO_LEFT) == BST_CHECKED;
                if (context != nullptr && *context->onOk) {
                    (*context->onOk)(choice);
                }
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void RunSetup(HWND owner, HINSTANCE instance, const SetupChoice& preset,
              const std::function<void(const SetupChoice&)>& onOk) {
    SetupContext context{&preset, &onOk};
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETUP), owner, SetupProc,
                    reinterpret_cast<LPARAM>(&context));
}

void RunAbout(HWND owner, HINSTANCE instance) {
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutProc, 0);
}

}  // namespace LeveloraDesk
