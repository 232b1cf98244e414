// The rotations: Auto-rotate, the two toolbar buttons that rotate by the
// field's number, and the manual rotation they and the Setup dialog share.
//
// Each calls the engine with SourceImage as source and ShownImage as
// destination and white corners, under the busy cursor; the window is
// blocked until the engine returns. An allocation failure inside the engine
// is treated as a failed rotation rather than ending the program. After a
// failure ShownImage is a copy of SourceImage again and CurrentAngle 0.
#include <exception>

#include "desktop/angle_text.h"
#include "desktop/busy_scope.h"
#include "desktop/desk_app.h"
#include "desktop/string_table.h"

namespace LeveloraDesk {

namespace {

constexpr int kWhiteCorners = 2;

}  // namespace

void DeskApp::AutoRotate() {
    if (!state_.ImageOpen) {
        return;
    }
    bool ok = false;
    if (entries_.autoRotate != nullptr) {
        BusyScope busy(window_);
        try {
            ok = entries_.autoRotate(&state_.SourceImage, &state_.ShownImage, kWhiteCorners,
                                     &state_.CurrentAngle);
        } catch (const std::exception&) {
            ok = false;
        }
    }
    if (!ok) {
        window_.ShowMessage(LoadText(kStrFailedAutoRotate));
        state_.ShownImage = state_.SourceImage;
        state_.CurrentAngle = 0;
        window_.Repaint();
        return;
    }
    window_.SetAngleText(AngleDigits(state_.CurrentAngle));
    window_.Repaint();
}

void DeskApp::RotateByField(bool toLeft) {
    // The buttons are disabled without an image; the test keeps a stray
    // command from rotating an empty picture.
    if (!state_.ImageOpen) {
        return;
    }
    int value = ParseAngleText(window_.AngleText());
    if (toLeft) {
        value = NegateAngle(value);
    }
    if (value == state_.CurrentAngle) {
        return;
    }
    ManualRotateTo(value);
}

bool DeskApp::ManualRotateTo(int angle) {
    state_.CurrentAngle = angle;
    bool ok = false;
    if (entries_.manualRotate != nullptr) {
        BusyScope busy(window_);
        try {
            ok = entries_.manualRotate(&state_.SourceImage, &state_.ShownImage,
                                       static_cast<double>(angle), kWhiteCorners);
        } catch (const std::exception&) {
            ok = false;
        }
    }
    if (!ok) {
        window_.ShowMessage(LoadText(kStrFailedManualRotate));
        state_.ShownImage = state_.SourceImage;
        state_.CurrentAngle = 0;
    }
    window_.Repaint();
    return ok;
}

}  // namespace LeveloraDesk
