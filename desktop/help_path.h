// The help document's path: "LeveloraHelp.html" in the process's current
// directory at start-up (not the program's folder). Fixed once; changing
// the current directory later does not move it.
#pragma once

#include <string>

namespace LeveloraDesk {

constexpr const char* kHelpFileName = "LeveloraHelp.html";

// The current directory joined with the help file's name, "." and ".."
// resolved; the bare name when the current directory cannot be read.
std::string MakeHelpFilePath();

}  // namespace LeveloraDesk
