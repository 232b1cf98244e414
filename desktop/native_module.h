// The one place where the desktop program asks the operating system for a
// shared library: load it by file name with the system's normal search
// (which includes the program's own folder) and look up an entry point.
// Both return null on failure and report nothing. Modules are never
// unloaded.
#pragma once

namespace LeveloraDesk {

// The file names of the two libraries in this platform's spelling.
#if defined(_WIN32)
constexpr const char* kEngineLibraryName = "Skewmend.dll";
constexpr const char* kConverterLibraryName = "Pictconv.dll";
#else
constexpr const char* kEngineLibraryName = "libSkewmend.so";
constexpr const char* kConverterLibraryName = "libPictconv.so";
#endif

// The address of entry point `symbol` in library `fileName`, or null when
// the library cannot be loaded or lacks the entry point.
void* FindEntryPoint(const char* fileName, const char* symbol);

}  // namespace LeveloraDesk
