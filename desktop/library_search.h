// Where the desktop program looks for a library that it binds by name, in
// order: beside the program file (the build folder, or a copy kept
// together), then in the library folder of an installed copy, reached from
// the program's folder by a relative path fixed at build time (so that an
// install under any prefix, or an unpacked package, finds its own
// libraries), and last by the bare name through the system's loader.
// Installed programs carry no run path; this order replaces it.
#pragma once

#include <string>
#include <vector>

namespace LeveloraDesk {

// The relative path from an installed program's folder to the installed
// libraries' folder (for example "../lib").
extern const char* const kLibraryFolderFromProgram;

// The paths to try for `fileName`, in order. An absolute `fileName`, or an
// unknown (empty) program folder, leaves only the name itself.
std::vector<std::string> LibraryCandidates(const std::string& programFolder,
                                           const std::string& fileName,
                                           const std::string& libraryFolderFromProgram);

}  // namespace LeveloraDesk
