// The help document's path, fixed once at start-up: "LeveloraHelp.html" in
// the process's current directory (not the program's folder) when it is
// there; otherwise, for an installed copy, the page in the shared data
// folder reached from the program's folder by a relative path fixed at
// build time. When neither exists the current directory's path is kept,
// and Help then opens nothing. Changing the current directory later does
// not move it.
#pragma once

#include <functional>
#include <string>

namespace LeveloraDesk {

constexpr const char* kHelpFileName = "LeveloraHelp.html";

// The relative path from an installed program's folder to the folder of its
// help page (for example "../share/levelora").
extern const char* const kHelpFolderFromProgram;

// The choice above. `currentFolder` or `programFolder` may be "" when
// unknown; `exists` tells whether a file is there. Paths have "." and ".."
// resolved; with no current folder the bare name stands for it.
std::string ChooseHelpFilePath(const std::string& currentFolder, const std::string& programFolder,
                               const std::string& helpFolderFromProgram,
                               const std::function<bool(const std::string&)>& exists);

// ChooseHelpFilePath for this process: its current directory, its program
// folder and the file system.
std::string MakeHelpFilePath();

}  // namespace LeveloraDesk
