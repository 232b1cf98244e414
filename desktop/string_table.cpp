// The string table as a fixed list of (id, text) pairs. The texts are the
// program's own and are shown exactly as written here.
#include "desktop/string_table.h"

#include "desktop/command_ids.h"

namespace LeveloraDesk {

namespace {

struct StringEntry {
    int id;
    const char* text;
};

constexpr StringEntry kStrings[] = {
    {kStrTitle, "Levelora"},
    {kStrTipOpen, "Open file(.bmp/.jpg/.png/.tif)"},
    {kStrTipClose, "Close file"},
    {kStrTipSave, "Save rotated file(.bmp/.jpg/.png/.tif)"},
    {kStrTipAutoRotate, "Auto-rotate"},
    {kStrTipRotateRight, "Manual-rotate to right"},
    {kStrClassName, "LEVELORA"},
    {kStrTipRotateLeft, "Manual-rotate to left"},
    {kStrTipRestore, "Restore to original"},
    {kStrFailedManualRotate, "Failed to manual-rotate"},
    {kStrNotValidBitmap, "Not a valid BITMAP file"},
    {kStrFailedWrite, "Failed to write to disk"},
    {kStrFailedAutoRotate, "Failed to auto-rotate"},
    {kStrErrorCaption, "Error"},
    {kStrNotValidJpeg, "Not a valid JPEG file"},
    {kStrNotValidTiff, "Not a valid TIFF file"},
    {kStrNotValidPng, "Not a valid PNG file"},
};

}  // namespace

std::string LoadText(int stringId) {
    for (const StringEntry& entry : kStrings) {
        if (entry.id == stringId) {
            return entry.text;
        }
    }
    return std::string();
}

int TooltipTextId(int commandId) {
    switch (commandId) {
        case kCmdOpen:
            return kStrTipOpen;
        case kCmdClose:
            return kStrTipClose;
        case kCmdAutoRotate:
            return kStrTipAutoRotate;
        case kCmdRestore:
            return kStrTipRestore;
        case kCmdSave:
            return kStrTipSave;
        case kCmdRotateRight:
            return kStrTipRotateRight;
        case kCmdRotateLeft:
            return kStrTipRotateLeft;
        default:
            return 0;
    }
}

}  // namespace LeveloraDesk
