// MainWindow: the Qt main window of LeveloraDesk and the program's only
// contact with the toolkit. It implements WindowPort for the logic
// (DeskApp) and hands every menu item, toolbar button and accelerator to
// the command handler as its command id.
//
// Layout: the menu bar (File, Edit, Rotate, Help), a fixed toolbar with
// Open, Auto-rotate, Save, Restore, the angle field and the two rotate
// buttons, and the image view below it. A command that has both a menu item
// and a toolbar button is one QAction shown in both places, so enabling or
// greying it affects both. The window itself has the keyboard focus at
// start-up, and its accelerators reach their commands whatever widget has
// the focus (AcceleratorRouter).
//
// The clipboard is used through QClipboard's image, the help document
// through the desktop's default handler.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <functional>
#include <map>

#include "desktop/program_state.h"
#include "desktop/window_port.h"

class QAction;
class QLineEdit;
class QMenu;
class QToolBar;

namespace LeveloraDesk {

class MainWindow : public QMainWindow, public WindowPort {
    Q_OBJECT

  public:
    explicit MainWindow(const ProgramState& state);

    // Receives the command id of every menu item, button and accelerator.
    void SetCommandHandler(std::function<void(int)> handler);

    // The action of a command id (null when it has none), the toolbar and
    // the angle field, for the tests.
    QAction* CommandAction(int commandId) const;
    QToolBar* ToolBar() const { return toolBar_; }
    QLineEdit* AngleEdit() const { return angleEdit_; }

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

    QWidget* View() const { return view_; }

  private:
    QAction* MakeCommand(int commandId, const char* text);
    QAction* AddMenuCommand(QMenu* menu, int commandId, const char* text);
    void BuildMenu();
    void BuildToolBar();
    bool AskPath(bool forSaving, std::string& path, ImageFileFormat& format);

    const ProgramState& state_;
    std::function<void(int)> handler_;
    std::map<int, QAction*> actions_;
    QToolBar* toolBar_ = nullptr;
    QLineEdit* angleEdit_ = nullptr;
    QWidget* view_ = nullptr;
    int busyDepth_ = 0;
    // The picture that the last Copy loaded or the last Paste took from the
    // clipboard; kept until the next one.
    QImage scratchBitmap_;
};

}  // namespace LeveloraDesk
