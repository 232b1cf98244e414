// The desktop program's string table: every text that the program shows as a
// window title, tooltip or message, looked up by its fixed id.
//
// LoadText(id) returns the text of a listed id and an empty string for any
// other id. TooltipTextId(commandId) gives the string id a toolbar tool
// shows for a command, or 0 when the command has no tooltip.
#pragma once

#include <string>

namespace LeveloraDesk {

constexpr int kStrTitle = 103;
constexpr int kStrTipOpen = 104;
constexpr int kStrTipClose = 105;
constexpr int kStrTipSave = 106;
constexpr int kStrTipAutoRotate = 107;
constexpr int kStrTipRotateRight = 108;
constexpr int kStrClassName = 109;
constexpr int kStrTipRotateLeft = 110;
constexpr int kStrTipRestore = 111;
constexpr int kStrFailedManualRotate = 112;
constexpr int kStrNotValidBitmap = 113;
constexpr int kStrFailedWrite = 114;
constexpr int kStrFailedAutoRotate = 115;
constexpr int kStrErrorCaption = 116;
constexpr int kStrNotValidJpeg = 121;
constexpr int kStrNotValidTiff = 124;
constexpr int kStrNotValidPng = 125;

std::string LoadText(int stringId);

int TooltipTextId(int commandId);

}  // namespace LeveloraDesk
