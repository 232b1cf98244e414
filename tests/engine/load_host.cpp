// A host program that binds the engine library the way the desktop program
// does: load it by file name, look an entry point up by name, call it, and
// exit without unloading it. Its standard output then carries the engine's
// log and, when the process ends and the library goes with it, the timer
// summary. Built for Linux (dlopen) and for Windows (LoadLibraryA).
//
//   load_host LIBRARY manual SRC.bmp DST.bmp ANGLE   _ManualRotate, bitmaps
//   load_host LIBRARY auto SRC.bmp DST.bmp           _AutoRotate, bitmaps
//   load_host LIBRARY manual-file SRC.bmp DST.bmp ANGLE   ManualRotate, files
//   load_host LIBRARY auto-file SRC.bmp DST.bmp           AutoRotate, files
//
// Exit codes: 0 success, 1 the engine reported failure, 2 usage, 3 the
// library did not load, 4 the source could not be read, 5 the entry point is
// missing.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bmpbase/bitmap24.h"
#include "engine/skewmend.h"

namespace {

using AutoRotateFileFn = bool(SKEWMEND_CALL*)(const char*, const char*, int);
using ManualRotateFileFn = bool(SKEWMEND_CALL*)(const char*, const char*, double, int);

#ifdef _WIN32
using Library = HMODULE;
Library Load(const char* path) {
    return LoadLibraryA(path);
}
void* Lookup(Library lib, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(lib, name));
}
#else
using Library = void*;
Library Load(const char* path) {
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}
void* Lookup(Library lib, const char* name) {
    return dlsym(lib, name);
}
#endif

// Entry points are looked up as untyped addresses and called through the
// types of skewmend.h, as a host written in another language would.
template <typename Fn>
Fn Bind(Library lib, const char* name) {
    return reinterpret_cast<Fn>(Lookup(lib, name));
}

int RunBitmapForm(Library lib, const char* mode, const char* srcPath, const char* dstPath,
                  const char* angleText) {
    BmpBase::CBitmap24 src, dst;
    if (!src.Read(srcPath)) {
        std::fprintf(stderr, "cannot read %s\n", srcPath);
        return 4;
    }
    bool ok = false;
    if (std::strcmp(mode, "manual") == 0) {
        const auto rotate = Bind<ManualRotateFn>(lib, "_ManualRotate");
        if (rotate == nullptr) {
            return 5;
        }
        ok = rotate(&src, &dst, std::atof(angleText), 2);
    } else {
        const auto rotate = Bind<AutoRotateFn>(lib, "_AutoRotate");
        if (rotate == nullptr) {
            return 5;
        }
        int angle = 0;
        ok = rotate(&src, &dst, 2, &angle);
        std::printf("host: angle %d\n", angle);
    }
    if (!ok || !dst.Write(dstPath)) {
        return 1;
    }
    return 0;
}

int RunFileForm(Library lib, const char* mode, const char* srcPath, const char* dstPath,
                const char* angleText) {
    bool ok = false;
    if (std::strcmp(mode, "manual-file") == 0) {
        const auto rotate = Bind<ManualRotateFileFn>(lib, "ManualRotate");
        if (rotate == nullptr) {
            return 5;
        }
        ok = rotate(srcPath, dstPath, std::atof(angleText), 2);
    } else {
        const auto rotate = Bind<AutoRotateFileFn>(lib, "AutoRotate");
        if (rotate == nullptr) {
            return 5;
        }
        ok = rotate(srcPath, dstPath, 2);
    }
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: load_host LIBRARY MODE SRC DST [ANGLE]\n");
        return 2;
    }
    const char* mode = argv[2];
    const bool manual = std::strcmp(mode, "manual") == 0 || std::strcmp(mode, "manual-file") == 0;
    const bool known =
        manual || std::strcmp(mode, "auto") == 0 || std::strcmp(mode, "auto-file") == 0;
    if (!known || (manual && argc < 6)) {
        std::fprintf(stderr, "usage: load_host LIBRARY MODE SRC DST [ANGLE]\n");
        return 2;
    }
    const Library lib = Load(argv[1]);
    if (lib == nullptr) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 3;
    }
    const char* angleText = manual ? argv[5] : "0";
    const bool fileForm = std::strstr(mode, "-file") != nullptr;
    const int code = fileForm ? RunFileForm(lib, mode, argv[3], argv[4], angleText)
                              : RunBitmapForm(lib, mode, argv[3], argv[4], angleText);
    std::fflush(stdout);
    return code;
}
