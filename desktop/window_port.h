// WindowPort: everything the program's logic asks of its window.
//
// The logic (DeskApp) holds the program state and runs the commands; it
// never touches a toolkit. The real window implements this interface with
// Qt; the tests implement it with a fake that records what was asked.
// Every call happens on the window's one thread.
#pragma once

#include <string>

#include "image_file_format.h"

namespace LeveloraDesk {

class WindowPort {
  public:
    virtual ~WindowPort() = default;

    // Shows `text` in a message box without owner, caption "Error", one OK
    // button and no icon, and returns when the user has closed it.
    virtual void ShowMessage(const std::string& text) = 0;

    // Asks for a file to open (it must exist) with the four filters, the
    // first preselected. False when the user cancels; otherwise `path`
    // (UTF-8) and the chosen filter.
    virtual bool AskOpenPath(std::string& path, ImageFileFormat& format) = 0;

    // Asks for a file name to save under, with the same filters, asking
    // before an existing file is replaced. No extension is added here.
    virtual bool AskSavePath(std::string& path, ImageFileFormat& format) = 0;

    // The text of the angle field on the toolbar, and setting it.
    virtual std::string AngleText() const = 0;
    virtual void SetAngleText(const std::string& text) = 0;

    // Enables or greys the menu item and the toolbar button of `commandId`,
    // whichever of them exist.
    virtual void EnableCommand(int commandId, bool enabled) = 0;

    // Repaints the whole window, background included.
    virtual void Repaint() = 0;

    // Shows or ends the busy cursor around a long blocking call.
    virtual void SetBusy(bool busy) = 0;

    // Closes the main window, which ends the program.
    virtual void CloseWindow() = 0;
};

}  // namespace LeveloraDesk
