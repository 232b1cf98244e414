// Loading a library by name and looking up an entry point, over dlopen on
// POSIX systems and LoadLibraryA on Windows. A library once loaded stays
// loaded (the loader counts references, so asking again for the same name
// returns the same module); the engine prints its timer summary when the
// process ends and unloads it.
#include "native_module.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
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
    // The program's run path is its own folder, so a bare file name finds
    // the library beside the program, as Windows does.
    void* module = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        return nullptr;
    }
    return dlsym(module, symbol);
#endif
}

}  // namespace LeveloraDesk
