// The Windows side of Copy and Paste: bitmaps as GDI handles, the system
// clipboard's CF_BITMAP format, and a bitmap handle read out at its own
// colour depth for SaveBitmapAsBmp (desktop/clipboard_bitmap.h).
//
// LoadBmpFile loads a BMP file (UTF-8 path) as a device-independent bitmap,
// or returns null. PutBitmapOnClipboard puts a duplicate of `bitmap` on the
// clipboard (the clipboard owns the duplicate; `bitmap` stays the
// caller's). TakeBitmapFromClipboard returns a copy of the clipboard's
// bitmap, owned by the caller, or null when it holds none. BitmapFromHandle
// describes `bitmap` at its own depth (planes x bits per pixel), with the
// colour table of 1-, 4- and 8-bit pictures; false when the system cannot
// read it out.
#pragma once

#include <windows.h>

#include <string>

#include "desktop/clipboard_bitmap.h"

namespace LeveloraDesk {

HBITMAP LoadBmpFile(const std::string& path);

bool PutBitmapOnClipboard(HWND owner, HBITMAP bitmap);

HBITMAP TakeBitmapFromClipboard(HWND owner);

bool BitmapFromHandle(HBITMAP bitmap, ClipboardBitmap& out);

}  // namespace LeveloraDesk
