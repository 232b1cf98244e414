// Reads the program's own path from /proc/self/exe.
#include "desktop/program_folder.h"

#if !defined(_WIN32)
#include <unistd.h>

#include <climits>
#endif

namespace LeveloraDesk {

std::string ProgramFolder() {
#if defined(_WIN32)
    return "";
#else
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return "";
    }
    const std::string exe(path, static_cast<size_t>(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? "" : exe.substr(0, slash);
#endif
}

}  // namespace LeveloraDesk
