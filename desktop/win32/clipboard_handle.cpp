// GetDIBits reads a bitmap into BMP rows at a chosen depth; asking for the
// bitmap's own depth keeps 1-, 4- and 8-bit pictures indexed, 16-bit ones as
// 5-5-5 and 24- and 32-bit ones as they are.
#include "desktop/win32/clipboard_handle.h"

#include <vector>

#include "desktop/win32/wide_text.h"

namespace LeveloraDesk {

HBITMAP LoadBmpFile(const std::string& path) {
    const std::wstring wide = Widen(path);
    HANDLE image = LoadImageW(nullptr, wide.c_str(), IMAGE_BITMAP, 0, 0,
                              LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    return static_cast<HBITMAP>(image);
}

bool PutBitmapOnClipboard(HWND owner, HBITMAP bitmap) {
    if (bitmap == nullptr) {
        return false;
    }
    HANDLE duplicate = CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0);
    if (duplicate == nullptr) {
        return false;
    }
    if (!OpenClipboard(owner)) {
        DeleteObject(duplicate);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_BITMAP, duplicate) != nullptr;
    CloseClipboard();
    if (!placed) {
        DeleteObject(duplicate);
    }
    return placed;
}

HBITMAP TakeBitmapFromClipboard(HWND owner) {
    if (!IsClipboardFormatAvailable(CF_BITMAP) || !OpenClipboard(owner)) {
        return nullptr;
    }
    HANDLE shared = GetClipboardData(CF_BITMAP);
    HANDLE copy = shared == nullptr ? nullptr : CopyImage(shared, IMAGE_BITMAP, 0, 0, 0);
    CloseClipboard();
    return static_cast<HBITMAP>(copy);
}

bool BitmapFromHandle(HBITMAP bitmap, ClipboardBitmap& out) {
    BITMAP info{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 ||
        info.bmHeight <= 0) {
        return false;
    }
    ClipboardBitmap result;
    result.width = info.bmWidth;
    result.height = info.bmHeight;
    result.planes = info.bmPlanes;
    result.bitsPerPixel = info.bmBitsPixel;
    const uint16_t depth = BitmapDepth(result);
    const size_t tableEntries = depth <= 8 ? (size_t{1} << depth) : 0;

    // BITMAPINFO with room for the largest colour table.
    std::vector<uint8_t> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* bmi = reinterpret_cast<BITMAPINFO*>(header.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = result.width;
    bmi->bmiHeader.biHeight = result.height;
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = depth;
    bmi->bmiHeader.biCompression = BI_RGB;

    result.rows.assign(static_cast<size_t>(BitmapRowBytes(result)) * result.height, 0);
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(result.height),
                                result.rows.data(), bmi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != result.height) {
        return false;
    }
    result.planes = 1;
    result.bitsPerPixel = depth;
    const auto* colours =
        reinterpret_cast<const RGBQUAD*>(header.data() + sizeof(BITMAPINFOHEADER));
    for (size_t i = 0; i < tableEntries; ++i) {
        const RGBQUAD& c = colours[i];
        result.colorTable.push_back(static_cast<uint32_t>(c.rgbBlue) |
                                    (static_cast<uint32_t>(c.rgbGreen) << 8) |
                                    (static_cast<uint32_t>(c.rgbRed) << 16));
    }
    out = std::move(result);
    return true;
}

}  // namespace LeveloraDesk
