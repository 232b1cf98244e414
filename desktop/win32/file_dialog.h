// The Open and Save file dialogs of the system (GetOpenFileNameW,
// GetSaveFileNameW) with the four filters of desktop/image_file_format.h,
// the first preselected.
//
// AskImagePath returns false when the user cancels or the dialog fails;
// otherwise `path` is the chosen file in UTF-8 and `format` the chosen
// filter. Opening asks for an existing file; saving asks before an existing
// file is replaced and adds no extension.
#pragma once

#include <windows.h>

#include <string>

#include "desktop/image_file_format.h"

namespace LeveloraDesk {

// The dialogs' filter list: description and pattern of each filter, each
// followed by a null character, and a final null character.
std::wstring FilterList();

bool AskImagePath(HWND owner, bool forSaving, std::string& path, ImageFileFormat& format);

}  // namespace LeveloraDesk
