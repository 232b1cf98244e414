// The assertion line goes to standard output, like every other line the
// system prints, and the process ends at once with exit code 1.
#include "desktop/desk_assert.h"

#include <cstdlib>
#include <iostream>

namespace LeveloraDesk {

void DeskAssertFail(const char* file, int line) {
    std::cout << "Assert fail! File: " << file << ". Line: " << line << std::endl;
    std::exit(1);
}

}  // namespace LeveloraDesk
