/* Straightens a page through the installed engine: demo IN.bmp OUT.bmp */
#include <levelora/skewmend.h>
#include <stdio.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s IN.bmp OUT.bmp\n", argv[0]);
        return 2;
    }
    /* 2: white corners. The engine logs its angle on standard output. */
    return AutoRotate(argv[1], argv[2], 2) ? 0 : 1;
}
