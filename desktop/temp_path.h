// The one temporary BMP file, "_leveloratemp.bmp", through which the
// converter and the clipboard pass pictures, and the one way it is opened
// for writing.
//
// On POSIX systems the file lies in a folder of the user's own,
// ${TMPDIR:-/tmp}/levelora-<uid>/, never straight in a temp folder that all
// users share: there another user could take the name first or plant a
// symbolic link that the next write would follow. The folder is created
// with mode 0700 when it is missing and is used only when it is a real
// folder (not a link) owned by the user with mode 0700; the file is opened
// without following a link. Any other finding makes the open fail, and the
// command that needed the file fails as it does for any temp-file failure.
//
// On Windows the user's temp folder is already private to the user: the
// file lies straight in it.
#pragma once

#include <cstdio>
#include <string>

namespace LeveloraDesk {

constexpr const char* kTempBmpName = "_leveloratemp.bmp";

// The path of the temporary file, built from the environment at start-up.
// Nothing is created here.
std::string MakeTempBmpPath();

// The private folder for the user `uid` under the temp folder `tmpDir`
// (TMPDIR as found; empty or null means "/tmp").
std::string PrivateTempFolder(const char* tmpDir, unsigned long uid);

// Opens the temporary file `path` for writing, created or emptied, after
// making sure that its folder is private as described above (creating the
// folder when it is missing). Null when the folder cannot be created or is
// not private, when a link or anything but a plain file stands at the
// file's name, or when the file cannot be opened.
std::FILE* OpenTempForWriting(const std::string& path);

}  // namespace LeveloraDesk
