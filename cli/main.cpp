// skewmend: command-line front end of the Skewmend engine.
//
// This first form offers one command on 24-bit BMP files:
//   skewmend rotate INPUT -o OUTPUT --angle DEGREES [--corner white|black]
// Exit codes: 0 success, 1 failure, 2 usage error.
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "skewmend.h"

namespace {

int Usage() {
    std::cerr << "usage: skewmend rotate INPUT -o OUTPUT --angle DEGREES [--corner white|black]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "rotate") != 0) {
        return Usage();
    }
    std::string input, output;
    double angle = 0.0;
    bool haveAngle = false;
    int corner = 2;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "-o" || arg == "--output") && i + 1 < argc) {
            output = argv[++i];
        } else if (arg == "--angle" && i + 1 < argc) {
            char* end = nullptr;
            angle = std::strtod(argv[++i], &end);
            haveAngle = end != argv[i] && *end == '\0';
        } else if (arg == "--corner" && i + 1 < argc) {
            const std::string v = argv[++i];
            if (v == "white") {
                corner = 2;
            } else if (v == "black") {
                corner = 1;
            } else {
                return Usage();
            }
        } else if (input.empty() && arg[0] != '-') {
            input = arg;
        } else {
            return Usage();
        }
    }
    if (input.empty() || output.empty() || !haveAngle) {
        return Usage();
    }
    return ManualRotate(input.c_str(), output.c_str(), angle, corner) ? 0 : 1;
}
