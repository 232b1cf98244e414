// The folder that holds the running program's file, from which the desktop
// program finds the libraries and the help page of an installed copy.
#pragma once

#include <string>

namespace LeveloraDesk {

// The program file's folder without a trailing slash, or "" when it cannot
// be found (always "" on Windows, whose loader searches that folder itself).
std::string ProgramFolder();

}  // namespace LeveloraDesk
