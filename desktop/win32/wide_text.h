// Conversions between the program logic's UTF-8 strings and the UTF-16
// strings of the wide (…W) Windows calls.
//
// Widen and Narrow convert a whole string; text that is not valid in its
// encoding converts with the system's replacement character rather than
// failing, and an empty input gives an empty output.
#pragma once

#include <string>

namespace LeveloraDesk {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

}  // namespace LeveloraDesk
