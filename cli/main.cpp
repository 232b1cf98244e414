// skewmend: command-line front end of the Skewmend engine.
//
// This first form offers two commands on 24-bit BMP files:
//   skewmend rotate INPUT -o OUTPUT --angle DEGREES [--corner white|black]
//   skewmend auto INPUT -o OUTPUT [--corner white|black|paper]
// `auto` straightens the page and prints the angle it was turned by (or
// found but left alone, for 3 degrees or less). The engine's own log lines
// go to standard output as well.
// Exit codes: 0 success, 1 failure, 2 usage error.
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "bmpbase/bitmap24.h"
#include "skewmend.h"

namespace {

int Usage() {
    std::cerr << "usage: skewmend rotate INPUT -o OUTPUT --angle DEGREES [--corner white|black]\n"
                 "       skewmend auto INPUT -o OUTPUT [--corner white|black|paper]\n";
    return 2;
}

struct Arguments {
    std::string input;
    std::string output;
    double angle = 0.0;
    bool haveAngle = false;
    int corner = 2;
};

// False on anything it does not understand.
bool Parse(int argc, char** argv, bool allowAngle, bool allowPaper, Arguments& a) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "-o" || arg == "--output") && i + 1 < argc) {
            a.output = argv[++i];
        } else if (allowAngle && arg == "--angle" && i + 1 < argc) {
            char* end = nullptr;
            a.angle = std::strtod(argv[++i], &end);
            a.haveAngle = end != argv[i] && *end == '\0';
        } else if (arg == "--corner" && i + 1 < argc) {
            const std::string v = argv[++i];
            if (v == "white") {
                a.corner = 2;
            } else if (v == "black") {
                a.corner = 1;
            } else if (allowPaper && v == "paper") {
                a.corner = 0;
            } else {
                return false;
            }
        } else if (a.input.empty() && !arg.empty() && arg[0] != '-') {
            a.input = arg;
        } else {
            return false;
        }
    }
    return !a.input.empty() && !a.output.empty();
}

int AutoCommand(const Arguments& a) {
    BmpBase::CBitmap24 src;
    if (!src.Read(a.input.c_str())) {
        std::cerr << "skewmend: " << a.input << " does not exist or is not a 24-bit BMP file\n";
        return 1;
    }
    BmpBase::CBitmap24 dst;
    int angle = 0;
    if (!_AutoRotate(&src, &dst, a.corner, &angle)) {
        std::cerr << "skewmend: could not straighten " << a.input << "\n";
        return 1;
    }
    if (!dst.Write(a.output.c_str())) {
        std::cerr << "skewmend: could not write " << a.output << "\n";
        return 1;
    }
    std::cout << "angle: " << angle << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    const std::string command = argv[1];
    Arguments a;
    if (command == "rotate") {
        if (!Parse(argc, argv, true, false, a) || !a.haveAngle) {
            return Usage();
        }
        return ManualRotate(a.input.c_str(), a.output.c_str(), a.angle, a.corner) ? 0 : 1;
    }
    if (command == "auto") {
        if (!Parse(argc, argv, false, true, a)) {
            return Usage();
        }
        return AutoCommand(a);
    }
    return Usage();
}
