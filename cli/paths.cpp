#include "cli/paths.h"

#include <filesystem>
#include <system_error>

namespace Cli {

namespace fs = std::filesystem;

std::string AbsolutePath(const std::string& path) {
    if (path == "-" || path.empty()) {
        return path;
    }
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return (ec ? fs::path(path) : absolute).lexically_normal().string();
}

std::string PathFrom(const std::string& base, const std::string& path) {
    if (path == "-" || path.empty() || fs::path(path).is_absolute()) {
        return AbsolutePath(path);
    }
    return AbsolutePath((fs::path(base) / path).string());
}

std::string CommonFolder(const std::vector<std::string>& paths) {
    fs::path common;
    bool first = true;
    for (const std::string& p : paths) {
        const fs::path folder = fs::path(p).parent_path();
        if (first) {
            common = folder;
            first = false;
            continue;
        }
        fs::path shared;
        auto a = common.begin();
        auto b = folder.begin();
        for (; a != common.end() && b != folder.end() && *a == *b; ++a, ++b) {
            shared /= *a;
        }
        common = shared;
    }
    return common.empty() ? std::string("/") : common.string();
}

}  // namespace Cli
