// On POSIX systems a UTF-8 path is the file name itself; on Windows it is
// turned into a wide path and opened with the wide-character functions.
#include "desktop/file_access.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace LeveloraDesk {

namespace {

std::FILE* Open(const std::string& path, const char* mode) {
#if defined(_WIN32)
    const int count = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    if (count <= 0) {
        return nullptr;
    }
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), count);
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(wide.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

}  // namespace

std::FILE* OpenForReading(const std::string& path) {
    return Open(path, "rb");
}

std::FILE* OpenForWriting(const std::string& path) {
    return Open(path, "wb");
}

bool ToConverterPath(const std::string& path, std::string& narrow) {
#if defined(_WIN32)
    const int wideCount =
        MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (wideCount <= 0) {
        return false;
    }
    std::wstring wide(static_cast<size_t>(wideCount), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                        wideCount);
    char buffer[kMaxConverterPathBytes];
    const int count = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideCount, buffer,
                                          static_cast<int>(sizeof buffer), nullptr, nullptr);
    if (count <= 0 || static_cast<size_t>(count) >= sizeof buffer) {
        return false;
    }
    narrow.assign(buffer, static_cast<size_t>(count));
    return true;
#else
    if (path.empty() || path.size() >= kMaxConverterPathBytes) {
        return false;
    }
    narrow = path;
    return true;
#endif
}

}  // namespace LeveloraDesk
