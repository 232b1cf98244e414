// Joins the system's temp folder and the fixed file name.
#include "temp_path.h"

#include <filesystem>
#include <system_error>

namespace LeveloraDesk {

std::string MakeTempBmpPath() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error || folder.empty()) {
        return kTempBmpName;
    }
    return (folder / kTempBmpName).u8string();
}

}  // namespace LeveloraDesk
