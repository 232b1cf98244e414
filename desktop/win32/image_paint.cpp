// The pixel buffer is handed to GDI as it is: 24-bit rows padded to four
// bytes, bottom-up for a positive biHeight and top-down for a negative one,
// which is how a device-independent bitmap is laid out too. Shrinking uses
// the halftone mode so that text stays readable.
#include "desktop/win32/image_paint.h"

#include "desktop/view_layout.h"

namespace LeveloraDesk {

void PaintImage(HDC dc, const RECT& client, int barHeight, const ProgramState& state) {
    if (!state.ImageOpen) {
        return;
    }
    const BmpBase::CBitmap24& bmp = state.ShownImage;
    const ViewRect r = FitAndCentre(client.right, client.bottom, barHeight, bmp.infoHeader.biWidth,
                                    bmp.infoHeader.biHeight);
    const bool bufferComplete = bmp.pixels != nullptr &&
                                static_cast<uint64_t>(bmp.stride) * bmp.height <= bmp.pixelBytes &&
                                bmp.stride == (3ull * bmp.width + 3) / 4 * 4;
    if (!r.visible || !bufferComplete) {
        return;
    }
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = static_cast<LONG>(bmp.width);
    bmi.bmiHeader.biHeight = bmp.infoHeader.biHeight < 0 ? -static_cast<LONG>(bmp.height)
                                                         : static_cast<LONG>(bmp.height);
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, r.x, r.y, r.width, r.height, 0, 0, static_cast<int>(bmp.width),
                  static_cast<int>(bmp.height), bmp.pixels, &bmi, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace LeveloraDesk
