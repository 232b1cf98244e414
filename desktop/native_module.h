// The one place where the desktop program asks the operating system for a
// shared library: load it by file name (beside the program, then an
// installed copy's library folder, then the system's normal search; see
// desktop/library_search.h) and look up an entry point.
// Both return null on failure and report nothing. Modules are never
// unloaded.
#pragma once

namespace LeveloraDesk {

// The file names of the two libraries in this platform's spelling.
#if defined(_WIN32)
constexpr const char* kEngineLibraryName = "Skewmend.dll";
constexpr const char* kConverterLibraryName = "Pictconv.dll";
#else
// The run-time names (SONAMEs), which both the build folder and an
// installed copy provide.
constexpr const char* kEngineLibraryName = "libSkewmend.so.1";
constexpr const char* kConverterLibraryName = "libPictconv.so.1";
#endif

// The address of entry point `symbol` in library `fileName`, or null when
// the library cannot be loaded or lacks the entry point.
void* FindEntryPoint(const char* fileName, const char* symbol);

}  // namespace LeveloraDesk
