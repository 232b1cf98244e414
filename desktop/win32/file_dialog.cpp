// The chosen file comes back in a buffer as long as the longest wide path
// Windows accepts, so long paths are not cut.
#include "desktop/win32/file_dialog.h"

#include <commdlg.h>

#include <iterator>
#include <vector>

#include "desktop/win32/wide_text.h"

namespace LeveloraDesk {

namespace {

constexpr DWORD kPathChars = 32768;

}  // namespace

std::wstring FilterList() {
    std::wstring list;
    for (const FileFilter& filter : kFileFilters) {
        list += Widen(filter.description);
        list += L'\0';
        list += Widen(filter.pattern);
        list += L'\0';
    }
    list += L'\0';
    return list;
}

bool AskImagePath(HWND owner, bool forSaving, std::string& path, ImageFileFormat& format) {
    const std::wstring filters = FilterList();
    std::vector<wchar_t> name(kPathChars, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = kPathChars;
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                (forSaving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = forSaving ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen || name[0] == L'\0') {
        return false;
    }
    const DWORD index = ofn.nFilterIndex;
    path = Narrow(name.data());
    format =
        static_cast<ImageFileFormat>(index >= 1 && index <= std::size(kFileFilters) ? index : 1);
    return true;
}

}  // namespace LeveloraDesk
