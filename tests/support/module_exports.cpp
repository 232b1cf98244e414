#include "tests/support/module_exports.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <array>
#include <cstdio>
#include <memory>
#include <sstream>
#endif

namespace TestSupport {

#ifdef _WIN32
std::set<std::string> ExportedNames(const std::string& path) {
    std::set<std::string> names;
    const std::string::size_type slash = path.find_last_of("\\/");
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto* base = reinterpret_cast<const unsigned char*>(GetModuleHandleA(file.c_str()));
    if (base == nullptr) {
        return names;
    }
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (dir.Size == 0) {
        return names;
    }
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    const auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
    }
    return names;
}
#else
std::set<std::string> ExportedNames(const std::string& path) {
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        return names;
    }
    std::string table;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe.get())) > 0) {
        table.append(buf.data(), n);
    }
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, kind, name;
        fields >> address >> kind >> name;
        // Code and data; "A" lines are the version nodes of the version script.
        if (!name.empty() && kind != "A") {
            names.insert(name);
        }
    }
    return names;
}
#endif

}  // namespace TestSupport
