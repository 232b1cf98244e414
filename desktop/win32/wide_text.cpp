// Both directions go through the system's converters, asked once for the
// length and once for the characters.
#include "desktop/win32/wide_text.h"

#include <windows.h>

namespace LeveloraDesk {

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) {
        return std::wstring();
    }
    const int length = static_cast<int>(utf8.size());
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (count <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), count);
    return wide;
}

std::string Narrow(const std::wstring& utf16) {
    if (utf16.empty()) {
        return std::string();
    }
    const int length = static_cast<int>(utf16.size());
    const int count =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (count <= 0) {
        return std::string();
    }
    std::string utf8(static_cast<size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, utf8.data(), count, nullptr, nullptr);
    return utf8;
}

}  // namespace LeveloraDesk
