// The desktop program's internal-error check: a condition that the program
// itself guarantees (such as a filter position from its own four-entry
// list). When it fails, the assertion line
//     Assert fail! File: <file>. Line: <line>
// goes to standard output and the process ends with exit code 1.
#pragma once

namespace LeveloraDesk {

[[noreturn]] void DeskAssertFail(const char* file, int line);

}  // namespace LeveloraDesk

#define DESK_ASSERT(condition)                                  \
    do {                                                        \
        if (!(condition)) {                                     \
            ::LeveloraDesk::DeskAssertFail(__FILE__, __LINE__); \
        }                                                       \
    } while (false)
