// Paths as the reports hold them: absolute and lexically normal, so a
// report can be applied from any folder; the folder a relative path in a
// report is taken from; and the common folder of a set of inputs, under
// which --out-dir mirrors the tree.
#pragma once

#include <string>
#include <vector>

namespace Cli {

// `path` made absolute from the current folder and lexically normal
// ("a/./b/../c" -> "/cwd/a/c"). "-" (standard input or output) stays "-".
std::string AbsolutePath(const std::string& path);

// `path` taken from the folder `base` when it is relative, made absolute.
std::string PathFrom(const std::string& base, const std::string& path);

// The deepest folder that holds every path of `paths` (absolute paths);
// "/" when they share nothing more.
std::string CommonFolder(const std::vector<std::string>& paths);

}  // namespace Cli
