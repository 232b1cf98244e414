// Builds the list of paths the binding tries, beside the program first.
#include "desktop/library_search.h"

#include <filesystem>

namespace LeveloraDesk {

// Set by the build from the install layout (desktop/CMakeLists.txt).
#if !defined(LEVELORA_LIBDIR_FROM_BINDIR)
#error "LEVELORA_LIBDIR_FROM_BINDIR must name the library folder relative to the program's"
#endif
const char* const kLibraryFolderFromProgram = LEVELORA_LIBDIR_FROM_BINDIR;

std::vector<std::string> LibraryCandidates(const std::string& programFolder,
                                           const std::string& fileName,
                                           const std::string& libraryFolderFromProgram) {
    std::vector<std::string> candidates;
    if (!programFolder.empty() && !fileName.empty() && fileName.front() != '/') {
        const std::filesystem::path folder(programFolder);
        candidates.push_back((folder / fileName).lexically_normal().string());
        if (!libraryFolderFromProgram.empty()) {
            const std::string installed =
                (folder / libraryFolderFromProgram / fileName).lexically_normal().string();
            if (installed != candidates.front()) {
                candidates.push_back(installed);
            }
        }
    }
    candidates.push_back(fileName);
    return candidates;
}

}  // namespace LeveloraDesk
