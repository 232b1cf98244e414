// Joins the current directory and the help file's name.
#include "desktop/help_path.h"

#include <filesystem>
#include <system_error>

namespace LeveloraDesk {

std::string MakeHelpFilePath() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (error) {
        return kHelpFileName;
    }
    return (folder / kHelpFileName).lexically_normal().u8string();
}

}  // namespace LeveloraDesk
