// A host program that binds the converter library the way the desktop
// program does: load it by file name, look one converter up by its plain
// name, call it once, exit. Built for Linux (dlopen) and for Windows
// (LoadLibraryA), so that the same pictures can be converted by both builds
// and the results compared byte for byte (scripts/windows-converter-check).
//
//   convert_host LIBRARY CONVERTER SRC DST     e.g. Pictconv.dll Tif2Bmp a.tif a.bmp
//
// Exit codes: 0 the converter returned true, 1 it returned false, 2 usage,
// 3 the library did not load, 5 the converter is not exported.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdio>

#include "pictconv/pictconv_c.h"

namespace {

using ConverterFn = bool(PICTCONV_CALL*)(const char*, const char*);

#ifdef _WIN32
void* LoadAndLookup(const char* library, const char* name, bool& loaded) {
    const HMODULE module = LoadLibraryA(library);
    loaded = module != nullptr;
    return loaded ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}
#else
void* LoadAndLookup(const char* library, const char* name, bool& loaded) {
    void* module = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    loaded = module != nullptr;
    return loaded ? dlsym(module, name) : nullptr;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: convert_host LIBRARY CONVERTER SRC DST\n");
        return 2;
    }
    bool loaded = false;
    void* entry = LoadAndLookup(argv[1], argv[2], loaded);
    if (!loaded) {
        std::fprintf(stderr, "convert_host: cannot load %s\n", argv[1]);
        return 3;
    }
    if (entry == nullptr) {
        std::fprintf(stderr, "convert_host: %s exports no %s\n", argv[1], argv[2]);
        return 5;
    }
    const auto convert = reinterpret_cast<ConverterFn>(entry);
    return convert(argv[3], argv[4]) ? 0 : 1;
}
