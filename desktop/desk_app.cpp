// DeskApp's dispatch and the commands that only change state: start-up
// greying, the steps after a new image, Close, Restore and Exit. The
// rotations are in rotate_commands.cpp, Open and Save in file_commands.cpp,
// the clipboard, the Setup dialog, About and Help in dialog_commands.cpp.
#include "desktop/desk_app.h"

#include <utility>

#include "desktop/command_ids.h"
#include "desktop/help_path.h"

namespace LeveloraDesk {

DeskApp::DeskApp(ProgramState& state, WindowPort& window, const EntryPoints& entries,
                 std::string tempBmpPath)
    : state_(state), window_(window), entries_(entries), tempBmpPath_(std::move(tempBmpPath)) {}

void DeskApp::Start() {
    SetCommandsEnabled(false);
    helpFilePath_ = MakeHelpFilePath();
}

void DeskApp::OnCommand(int commandId) {
    switch (commandId) {
        case kCmdOpen:
            Open();
            break;
        case kCmdClose:
            Close();
            break;
        case kCmdSave:
            Save();
            break;
        case kCmdExit:
            Exit();
            break;
        case kCmdAutoRotate:
            AutoRotate();
            break;
        case kCmdRestore:
            Restore();
            break;
        case kCmdRotateRight:
            RotateByField(false);
            break;
        case kCmdRotateLeft:
            RotateByField(true);
            break;
        case kCmdCopy:
            CopyToClipboard();
            break;
        case kCmdPaste:
            PasteFromClipboard();
            break;
        case kCmdManualRotate:
            SetupDialog();
            break;
        case kCmdHelp:
            Help();
            break;
        case kCmdAbout:
            About();
            break;
        default:
            break;
    }
}

void DeskApp::SetCommandsEnabled(bool on) {
    static constexpr int kImageCommands[] = {kCmdSave,         kCmdClose,      kCmdAutoRotate,
                                             kCmdManualRotate, kCmdRotateLeft, kCmdRotateRight,
                                             kCmdRestore};
    for (const int id : kImageCommands) {
        window_.EnableCommand(id, on);
    }
}

void DeskApp::AfterNewImage() {
    state_.ShownImage = state_.SourceImage;
    state_.CurrentAngle = 0;
    window_.SetAngleText("0");
    if (!state_.ImageOpen) {
        state_.ImageOpen = true;
        SetCommandsEnabled(true);
    }
    window_.Repaint();
}

void DeskApp::Close() {
    state_.ImageOpen = false;
    SetCommandsEnabled(false);
    state_.CurrentAngle = 0;
    window_.SetAngleText("");
    window_.Repaint();
}

void DeskApp::Restore() {
    if (!state_.ImageOpen || state_.CurrentAngle == 0) {
        return;
    }
    state_.ShownImage = state_.SourceImage;
    state_.CurrentAngle = 0;
    window_.SetAngleText("0");
    window_.Repaint();
}

void DeskApp::Exit() {
    window_.CloseWindow();
}

}  // namespace LeveloraDesk
