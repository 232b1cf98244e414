// Turns a clipboard QImage into a ClipboardBitmap at its own colour depth:
// 1-bit and 8-bit pictures keep their colour tables, 16-bit ones become
// 5-5-5, 24-bit ones blue, green, red, and everything else 32 bits;
// transparent parts become white. The rows
// are stored bottom row first, as a BMP file holds them.
#pragma once

#include <QImage>

#include "desktop/clipboard_bitmap.h"

namespace LeveloraDesk {

ClipboardBitmap ToClipboardBitmap(const QImage& image);

}  // namespace LeveloraDesk
