// The main window's class, messages and WindowPort calls.
//
// Messages are MessageBoxW boxes without an owner, caption "Error", one OK
// button and no icon. The busy cursor is the wait cursor, nested so that
// inner busy scopes do not end an outer one; while busy the window answers
// WM_SETCURSOR with it.
#include "desktop/win32/main_window.h"

#include <commctrl.h>

#include <vector>

#include "desktop/string_table.h"
#include "desktop/win32/clipboard_handle.h"
#include "desktop/win32/file_dialog.h"
#include "desktop/win32/image_paint.h"
#include "desktop/win32/menu_bar.h"
#include "desktop/win32/modal_dialogs.h"
#include "desktop/win32/resource_ids.h"
#include "desktop/win32/wide_text.h"

namespace LeveloraDesk {

MainWindow::MainWindow(const ProgramState& state, HINSTANCE instance)
    : state_(state), instance_(instance) {}

MainWindow::~MainWindow() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    if (accelerators_ != nullptr) {
        DestroyAcceleratorTable(accelerators_);
    }
    ReplaceScratch(nullptr);
}

bool MainWindow::Create() {
    const std::wstring className = Widen(LoadText(kStrClassName));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &MainWindow::WindowProc;
    wc.hInstance = instance_;
    wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_LEVELORA));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_LEVELORA),
                                               IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = className.c_str();
    if (RegisterClassExW(&wc) == 0) {
        return false;
    }
    menu_ = BuildMainMenu();
    accelerators_ = BuildAccelerators();
    window_ = CreateWindowExW(0, className.c_str(), Widen(LoadText(kStrTitle)).c_str(),
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu_, instance_, this);
    if (window_ == nullptr) {
        if (menu_ != nullptr) {
            DestroyMenu(menu_);
        }
        return false;
    }
    toolBar_.Create(window_, instance_);
    return true;
}

void MainWindow::SetCommandHandler(std::function<void(int)> handler) {
    handler_ = std::move(handler);
}

void MainWindow::ShowMaximised() {
    ShowWindow(window_, SW_SHOWMAXIMIZED);
    UpdateWindow(window_);
    SetFocus(window_);
}

int MainWindow::RunMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The accelerators go to the main window before the focused control
        // sees the key.
        if (accelerators_ != nullptr && window_ != nullptr &&
            TranslateAcceleratorW(window_, accelerators_, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<MainWindow*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    return self->HandleMessage(window, message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // Menu items (0), accelerators (1) and toolbar buttons (clicked,
            // 0); the angle field's notifications go to the toolbar.
            if (HIWORD(wParam) <= 1 && handler_) {
                handler_(LOWORD(wParam));
            }
            return 0;
        case WM_NOTIFY:
            return Notify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_SIZE:
            toolBar_.FitToParent();
            InvalidateRect(window_, nullptr, TRUE);
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_LBUTTONDOWN:
            // A click on the picture takes the keyboard focus from the field.
            SetFocus(window_);
            return 0;
        case WM_SETCURSOR:
            if (busyDepth_ > 0) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_DESTROY:
            window_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::Notify(NMHDR& header) {
    if (header.code != TTN_GETDISPINFOW) {
        return 0;
    }
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
    tooltip_ = TooltipText(static_cast<int>(header.idFrom));
    info.lpszText = tooltip_.data();
    return 0;
}

void MainWindow::Paint() {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window_, &ps);
    RECT client{};
    GetClientRect(window_, &client);
    PaintImage(dc, client, toolBar_.Height(), state_);
    EndPaint(window_, &ps);
}

void MainWindow::ShowMessage(const std::string& text) {
    MessageBoxW(nullptr, Widen(text).c_str(), Widen(LoadText(kStrErrorCaption)).c_str(), MB_OK);
}

bool MainWindow::AskOpenPath(std::string& path, ImageFileFormat& format) {
    return AskImagePath(window_, false, path, format);
}

bool MainWindow::AskSavePath(std::string& path, ImageFileFormat& format) {
    return AskImagePath(window_, true, path, format);
}

std::string MainWindow::AngleText() const {
    HWND field = toolBar_.AngleField();
    if (field == nullptr) {
        return std::string();
    }
    const int length = GetWindowTextLengthW(field);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(field, text.data(), length + 1);
    return Narrow(text.data());
}

void MainWindow::SetAngleText(const std::string& text) {
    if (HWND field = toolBar_.AngleField()) {
        SetWindowTextW(field, Widen(text).c_str());
    }
}

void MainWindow::EnableCommand(int commandId, bool enabled) {
    if (menu_ != nullptr) {
        EnableMenuItem(menu_, static_cast<UINT>(commandId),
                       MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
        DrawMenuBar(window_);
    }
    toolBar_.EnableCommand(commandId, enabled);
}

void MainWindow::Repaint() {
    InvalidateRect(window_, nullptr, TRUE);
    UpdateWindow(window_);
}

void MainWindow::SetBusy(bool busy) {
    if (busy) {
        if (busyDepth_++ == 0) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        }
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        POINT p{};
        GetCursorPos(&p);
        SetCursorPos(p.x, p.y);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
}

void MainWindow::CloseWindow() {
    if (window_ != nullptr) {
        PostMessageW(window_, WM_CLOSE, 0, 0);
    }
}

void MainWindow::ReplaceScratch(HBITMAP bitmap) {
    if (scratch_ != nullptr) {
        DeleteObject(scratch_);
    }
    scratch_ = bitmap;
}

bool MainWindow::PutBmpFileOnClipboard(const std::string& path) {
    ReplaceScratch(LoadBmpFile(path));
    return scratch_ != nullptr && PutBitmapOnClipboard(window_, scratch_);
}

bool MainWindow::TakeClipboardBitmap(ClipboardBitmap& bitmap) {
    ReplaceScratch(TakeBitmapFromClipboard(window_));
    return scratch_ != nullptr && BitmapFromHandle(scratch_, bitmap);
}

void MainWindow::RunSetupDialog(const SetupChoice& preset,
                                const std::function<void(const SetupChoice&)>& onOk) {
    RunSetup(window_, instance_, preset, onOk);
}

void MainWindow::ShowAbout() {
    RunAbout(window_, instance_);
}

void MainWindow::OpenDocument(const std::string& path) {
    const std::wstring wide = Widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
    }
    ShellExecuteW(window_, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace LeveloraDesk
