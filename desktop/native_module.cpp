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
#include <unistd.h>

#include <climits>
#include <string>
#endif

namespace LeveloraDesk {

#if !defined(_WIN32)
namespace {

// The folder of the running program, or "" when it cannot be found.
std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return "";
    }
    std::string exe(path, static_cast<size_t>(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? "" : exe.substr(0, slash);
}

}  // namespace
#endif

void* FindEntryPoint(const char* fileName, const char* symbol) {
#if defined(_WIN32)
    HMODULE module = LoadLibraryA(fileName);
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<void*>(GetProcAddress(module, symbol));
#else
    // Look beside the program first, as Windows does. The run path would
    // find it too, but not when a preloaded runtime (a sanitizer, say)
    // intercepts dlopen and the search runs on that runtime's behalf.
    void* module = nullptr;
    const std::string besideProgram = ProgramFolder() + "/" + fileName;
    if (fileName[0] != '/' && besideProgram.size() > 1) {
        module = dlopen(besideProgram.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (module == nullptr) {
        module = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    }
    if (module == nullptr) {
        return nullptr;
    }
    return dlsym(module, symbol);
#endif
}

}  // namespace LeveloraDesk
