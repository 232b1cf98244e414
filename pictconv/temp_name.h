// Names for the temporary file that AtomicOutput writes beside a destination.
//
// TempSibling takes the destination path as given and returns a path in the
// same folder named ".NAME.XXXXXX", where XXXXXX are six letters or digits
// drawn anew on every call (the clock, the process and a counter, mixed, so
// that threads and processes writing beside one destination draw apart).
// The folder is everything up to the last '/' (on Windows the last '/' or
// '\'); a path without one names a file in the current folder. An empty
// string comes back when the path names no file (it is empty or ends with a
// separator).
#pragma once

#include <string>

namespace Pictconv {

std::string TempSibling(const std::string& destPath);

}  // namespace Pictconv
