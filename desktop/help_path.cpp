// Chooses the help page between the current directory and an installed
// copy's data folder.
#include "desktop/help_path.h"

#include <filesystem>
#include <system_error>

#include "desktop/program_folder.h"

namespace LeveloraDesk {

// Set by the build from the install layout (desktop/CMakeLists.txt).
#if !defined(LEVELORA_HELPDIR_FROM_BINDIR)
#error "LEVELORA_HELPDIR_FROM_BINDIR must name the help folder relative to the program's"
#endif
const char* const kHelpFolderFromProgram = LEVELORA_HELPDIR_FROM_BINDIR;

std::string ChooseHelpFilePath(const std::string& currentFolder, const std::string& programFolder,
                               const std::string& helpFolderFromProgram,
                               const std::function<bool(const std::string&)>& exists) {
    const std::string inCurrent =
        currentFolder.empty()
            ? std::string(kHelpFileName)
            : (std::filesystem::path(currentFolder) / kHelpFileName).lexically_normal().string();
    if (exists(inCurrent) || programFolder.empty()) {
        return inCurrent;
    }
    const std::string installed =
        (std::filesystem::path(programFolder) / helpFolderFromProgram / kHelpFileName)
            .lexically_normal()
            .string();
    return exists(installed) ? installed : inCurrent;
}

std::string MakeHelpFilePath() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    return ChooseHelpFilePath(error ? std::string() : folder.string(), ProgramFolder(),
                              kHelpFolderFromProgram, [](const std::string& path) {
                                  std::error_code ignored;
                                  return std::filesystem::is_regular_file(path, ignored);
                              });
}

}  // namespace LeveloraDesk
