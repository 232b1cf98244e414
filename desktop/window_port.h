// WindowPort: everything the program's logic asks of its window.
//
// The logic (DeskApp) holds the program state and runs the commands; it
// never touches a toolkit. The real window implements this interface with
// Qt; the tests implement it with a fake that records what was asked.
// Every call happens on the window's one thread.
#pragma once

#include <functional>
#include <string>

#include "desktop/clipboard_bitmap.h"
#include "desktop/image_file_format.h"

namespace LeveloraDesk {

// What the Setup dialog starts with, and what its OK hands back.
struct SetupChoice {
    std::string angleText;  // the field's text: digits only
    bool toLeft = false;    // "To left" checked, else "To right"
};

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

    // Loads the BMP file `path` through the toolkit's image loader, keeps it
    // as the scratch picture and puts a copy of it on the system clipboard
    // as an image. False when the file cannot be loaded.
    virtual bool PutBmpFileOnClipboard(const std::string& path) = 0;

    // Takes the clipboard's image, if it holds one, at its own colour depth
    // (and keeps it as the scratch picture). False when the clipboard holds
    // no image.
    virtual bool TakeClipboardBitmap(ClipboardBitmap& bitmap) = 0;

    // Runs the modal Setup dialog preset with `preset`. OK calls `onOk` with
    // the dialog's choice while the dialog is still open, then closes it;
    // Cancel closes it without calling anything.
    virtual void RunSetupDialog(const SetupChoice& preset,
                                const std::function<void(const SetupChoice&)>& onOk) = 0;

    // Runs the modal About dialog.
    virtual void ShowAbout() = 0;

    // Hands `path` to the desktop's default handler for its type; silent
    // when the file is missing or nothing handles it.
    virtual void OpenDocument(const std::string& path) = 0;
};

}  // namespace LeveloraDesk
