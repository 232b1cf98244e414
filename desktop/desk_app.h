// DeskApp: the desktop program's logic, free of any toolkit.
//
// It holds references to the program state, the window (through
// WindowPort), the bound entry points and the temporary file's path, and
// runs every command: OnCommand(id) dispatches the command ids of
// command_ids.h. Each command tests its own condition first and returns at
// once, without a message, when it does not hold. Failures are reported
// through WindowPort::ShowMessage with the string-table texts and leave the
// state as documented with each command.
//
// After a failed engine rotation ShownImage is again a copy of SourceImage
// and CurrentAngle is set back to 0, so that it describes ShownImage.
// A missing engine or converter entry point is never called: the command
// fails with its usual message.
#pragma once

#include <string>

#include "desktop/entry_points.h"
#include "desktop/image_file_format.h"
#include "desktop/program_state.h"
#include "desktop/window_port.h"

namespace LeveloraDesk {

class DeskApp {
  public:
    DeskApp(ProgramState& state, WindowPort& window, const EntryPoints& entries,
            std::string tempBmpPath);

    // The start-up steps once the window exists: grey the image commands
    // and fix the help file's path from the current directory.
    void Start();

    // Runs the command `commandId`; ids without a command do nothing.
    void OnCommand(int commandId);

    // Enables (on) or greys (off) Save, Close, Auto-rotate, Manual-rotate,
    // the two toolbar rotations and Restore, in that order.
    void SetCommandsEnabled(bool on);

    // The steps after a new picture has been read into SourceImage.
    void AfterNewImage();

    void Open();
    void Close();
    void Save();
    void Exit();
    void AutoRotate();
    // The toolbar rotations: the field's number, negated for the left one.
    void RotateByField(bool toLeft);
    void Restore();

    // Edit > Copy and Edit > Paste through the temporary file.
    void CopyToClipboard();
    void PasteFromClipboard();

    // Rotate > Manual-Rotate: the Setup dialog, and what its OK does.
    void SetupDialog();
    void SetupDialogOk(const SetupChoice& choice);

    void About();
    void Help();

    // Rotates SourceImage into ShownImage by `angle` degrees through the
    // engine, after setting CurrentAngle to it; on failure shows "Failed to
    // manual-rotate" and goes back to the picture as opened. Repaints in
    // both cases. True on success.
    bool ManualRotateTo(int angle);

    // Makes SourceImage the picture in `path` as `format`; on failure
    // SourceImage is unchanged.
    bool ImportImageFile(const std::string& path, ImageFileFormat format);

    // Stores ShownImage in `path` as `format`.
    bool ExportImageFile(const std::string& path, ImageFileFormat format);

    const std::string& TempBmpPath() const { return tempBmpPath_; }
    const std::string& HelpFilePath() const { return helpFilePath_; }

  private:
    ProgramState& state_;
    WindowPort& window_;
    EntryPoints entries_;
    std::string tempBmpPath_;
    std::string helpFilePath_;
};

// Save's extension rule: a path whose file name has no "." gets ".bmp",
// ".jpg", ".tif" or ".png" for the format; any other path is kept as typed.
std::string WithDefaultExtension(const std::string& path, ImageFileFormat format);

// The message Open shows when `format` cannot be read.
std::string NotValidFileText(ImageFileFormat format);

}  // namespace LeveloraDesk
