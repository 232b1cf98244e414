// atomic_output_probe DEST stream|fd TEXT
//
// Writes TEXT to DEST through an AtomicOutput, by its stream or by a
// released descriptor, and prints the process's umask before and after, in
// octal, as "BEFORE AFTER". The tests start it under a shell that sets the
// umask first, so neither they nor this program need to change their own.
// The umask is read from /proc/self/status, which leaves it alone. Exit
// status 0 when the commit succeeded.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "pictconv/atomic_output.h"

namespace {

std::string CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return line.substr(line.find_first_not_of(" \t", 6));
        }
    }
    return "?";
}

bool Write(Pictconv::AtomicOutput& out, const std::string& how, const char* text) {
    const size_t size = std::strlen(text);
    if (how == "stream") {
        std::FILE* stream = out.Stream();
        return stream != nullptr && std::fwrite(text, 1, size, stream) == size;
    }
    const int fd = out.ReleaseFd();
    if (fd < 0) {
        return false;
    }
    const bool written = write(fd, text, size) == static_cast<ssize_t>(size);
    return close(fd) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: atomic_output_probe DEST stream|fd TEXT\n");
        return 2;
    }
    const std::string before = CurrentUmask();
    Pictconv::AtomicOutput out(argv[1]);
    const bool ok = out.IsOpen() && Write(out, argv[2], argv[3]) && out.Commit();
    std::printf("%s %s\n", before.c_str(), CurrentUmask().c_str());
    return ok ? 0 : 1;
}
