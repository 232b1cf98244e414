// Loading a library by name and looking up an entry point, over dlopen on
// POSIX systems and LoadLibraryA on Windows. A library once loaded stays
// loaded (the loader counts references, so asking again for the same name
// returns the same module); the engine prints its timer summary when the
// process ends and unloads it.
#include "desktop/native_module.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>

#include <string>

#include "desktop/library_search.h"
#include "desktop/program_folder.h"
#endif

namespace LeveloraDesk {

void* FindEntryPoint(const char* fileName, const char* symbol) {
#if defined(_WIN32)
    HMODULE module = LoadLibraryA(fileName);
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(GetProcAddress(module, symbol));
#else
    // Beside the program first, as Windows does, then an installed copy's
    // library folder, then the system's search. Trying explicit paths also
    // keeps working when a preloaded runtime (a sanitizer, say) intercepts
    // dlopen and the search runs on that runtime's behalf.
    void* module = nullptr;
    for (const std::string& path :
         LibraryCandidates(ProgramFolder(), fileName, kLibraryFolderFromProgram)) {
        module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module != nullptr) {
            break;
        }
    }
    if (module == nullptr) {
        return nullptr;
    }
    return dlsym(module, symbol);
#endif
}

}  // namespace LeveloraDesk
