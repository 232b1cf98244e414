// A host program that binds the engine library the way the desktop program
// does: load it by file name, look the entry point up by name, call it, and
// exit. Its standard output then carries the engine's log and, at unload,
// the timer summary.
//
//   load_host LIBRARY manual SRC.bmp DST.bmp ANGLE
//   load_host LIBRARY auto SRC.bmp DST.bmp
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bmpbase/bitmap24.h"
#include "skewmend.h"

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: load_host LIBRARY manual|auto SRC DST [ANGLE]\n");
        return 2;
    }
    void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 3;
    }
    BmpBase::CBitmap24 src, dst;
    if (!src.Read(argv[3])) {
        std::fprintf(stderr, "cannot read %s\n", argv[3]);
        return 4;
    }
    bool ok = false;
    if (std::strcmp(argv[2], "manual") == 0 && argc >= 6) {
        auto rotate = reinterpret_cast<ManualRotateFn>(dlsym(lib, "_ManualRotate"));
        if (rotate == nullptr) {
            return 5;
        }
        ok = rotate(&src, &dst, std::atof(argv[5]), 2);
    } else if (std::strcmp(argv[2], "auto") == 0) {
        auto rotate = reinterpret_cast<AutoRotateFn>(dlsym(lib, "_AutoRotate"));
        if (rotate == nullptr) {
            return 5;
        }
        int angle = 0;
        ok = rotate(&src, &dst, 2, &angle);
        std::printf("host: angle %d\n", angle);
    }
    if (!ok || !dst.Write(argv[4])) {
        return 1;
    }
    std::fflush(stdout);
    return 0;
}
