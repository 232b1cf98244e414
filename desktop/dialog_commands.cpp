// Edit > Copy and Paste, the Setup dialog, About and Help.
//
// Both clipboard directions pass through the temporary BMP file: Copy
// writes ShownImage there as a 32-bit BMP and has the window load it onto
// the clipboard; Paste has the window write the clipboard's picture there
// at its own depth and reads it back with the program's own reader. Neither
// shows a message: a failure anywhere simply ends the command with the
// picture, the angle and the enabled commands as they were.
//
// The Setup dialog starts from CurrentAngle (direction from its sign,
// digits of its magnitude); its OK rotates to the chosen angle unless that
// is the angle already shown, and writes the magnitude into the toolbar's
// field first.
#include <new>

#include "desktop/angle_text.h"
#include "desktop/bmp_io.h"
#include "desktop/clipboard_bitmap.h"
#include "desktop/desk_app.h"
#include "desktop/file_access.h"
#include "desktop/temp_path.h"

namespace LeveloraDesk {

namespace {

// The dialog's field is read into a buffer of 9 bytes: at most 8
// characters count.
constexpr size_t kSetupFieldChars = 8;

}  // namespace

void DeskApp::CopyToClipboard() {
    if (!state_.ImageOpen) {
        return;
    }
    std::FILE* file = OpenTempForWriting(tempBmpPath_);
    if (file == nullptr || !WriteToFile32(state_.ShownImage, file)) {
        return;
    }
    window_.PutBmpFileOnClipboard(tempBmpPath_);
}

void DeskApp::PasteFromClipboard() {
    ClipboardBitmap bitmap;
    if (!window_.TakeClipboardBitmap(bitmap) ||
        !SaveBitmapAsBmp(OpenTempForWriting(tempBmpPath_), bitmap)) {
        return;
    }
    std::FILE* file = OpenForReading(tempBmpPath_);
    if (file == nullptr) {
        return;
    }
    try {
        if (!ReadFromFile(state_.SourceImage, file)) {
            return;
        }
    } catch (const std::bad_alloc&) {
        return;
    }
    state_.ShownImage = state_.SourceImage;
    if (!state_.ImageOpen) {
        state_.ImageOpen = true;
        SetCommandsEnabled(true);
    }
    window_.Repaint();
}

void DeskApp::SetupDialog() {
    if (!state_.ImageOpen) {
        return;
    }
    SetupChoice preset;
    preset.toLeft = state_.CurrentAngle < 0;
    preset.angleText = AngleDigits(state_.CurrentAngle);
    window_.RunSetupDialog(preset, [this](const SetupChoice& choice) { SetupDialogOk(choice); });
}

void DeskApp::SetupDialogOk(const SetupChoice& choice) {
    int value = ParseAngleText(choice.angleText.substr(0, kSetupFieldChars));
    if (choice.toLeft) {
        value = NegateAngle(value);
    }
    if (value == state_.CurrentAngle) {
        return;
    }
    window_.SetAngleText(AngleDigits(value));
    ManualRotateTo(value);
}

void DeskApp::About() {
    window_.ShowAbout();
}

void DeskApp::Help() {
    window_.OpenDocument(helpFilePath_);
}

}  // namespace LeveloraDesk
