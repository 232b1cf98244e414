// The names a loaded library exports, read from its own tables: the export
// directory of a DLL on Windows (no binary tools exist there), `nm -D
// --defined-only` of the file on Linux (code and data, not the version
// nodes).
//
// ExportedNames(path) takes the library's path as the test loaded it; on
// Windows the library must already be loaded under that file name. An empty
// set comes back when the library is not loaded or its table cannot be read.
#pragma once

#include <set>
#include <string>

namespace TestSupport {

std::set<std::string> ExportedNames(const std::string& path);

}  // namespace TestSupport
