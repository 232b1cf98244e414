// MainWindow: the native Windows main window of LeveloraDesk, implementing
// WindowPort for the program logic (DeskApp) with Win32 calls.
//
// Layout: the menu bar (File, Edit, Rotate, Help), the toolbar with the
// angle field at the top of the client area (tool_bar.h), and the picture
// painted below it (image_paint.h). Every menu item, toolbar button and
// accelerator reaches the command handler as its command id. The message
// loop (RunMessageLoop) translates the accelerators for the main window
// whatever control has the keyboard focus, so the angle field, which would
// take Ctrl+C and Ctrl+V for its own text, never keeps them from Copy and
// Paste; it keeps every other key.
//
// Create returns false when the window class or the window cannot be
// created. Paths cross to and from the system as UTF-16 (wide calls).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "desktop/program_state.h"
#include "desktop/win32/tool_bar.h"
#include "desktop/window_port.h"

namespace LeveloraDesk {

class MainWindow : public WindowPort {
  public:
    MainWindow(const ProgramState& state, HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    bool Create();
    HWND Handle() const { return window_; }

    // Receives the command id of every menu item, button and accelerator.
    void SetCommandHandler(std::function<void(int)> handler);

    // Shows the window maximised with the keyboard focus on itself.
    void ShowMaximised();

    // Dispatches messages until the window is closed; returns the exit code.
    int RunMessageLoop();

    // WindowPort
    void ShowMessage(const std::string& text) override;
    bool AskOpenPath(std::string& path, ImageFileFormat& format) override;
    bool AskSavePath(std::string& path, ImageFileFormat& format) override;
    std::string AngleText() const override;
    void SetAngleText(const std::string& text) override;
    void EnableCommand(int commandId, bool enabled) override;
    void Repaint() override;
    void SetBusy(bool busy) override;
    void CloseWindow() override;
    bool PutBmpFileOnClipboard(const std::string& path) override;
    bool TakeClipboardBitmap(ClipboardBitmap& bitmap) override;
    void RunSetupDialog(const SetupChoice& preset,
                        const std::function<void(const SetupChoice&)>& onOk) override;
    void ShowAbout() override;
    void OpenDocument(const std::string& path) override;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    LRESULT Notify(NMHDR& header);
    void ReplaceScratch(HBITMAP bitmap);

    const ProgramState& state_;
    HINSTANCE instance_;
    HWND window_ = nullptr;
    HMENU menu_ = nullptr;
    HACCEL accelerators_ = nullptr;
    ToolBar toolBar_;
    std::function<void(int)> handler_;
    int busyDepth_ = 0;
    // The bitmap the last Copy loaded or the last Paste took from the
    // clipboard; kept until the next one.
    HBITMAP scratch_ = nullptr;
    // The text of the tooltip being shown; it must outlive the notification.
    std::wstring tooltip_;
};

}  // namespace LeveloraDesk
