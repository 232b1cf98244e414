// The Windows window's parts, checked with real system calls under Wine:
// UTF-8 paths survive the wide calls, the menu and accelerators deliver
// the right commands, the file dialogs offer the four filters, a bitmap is
// read at its own depth, and the picture lands where the view rule says.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>

#include "desktop/command_ids.h"
#include "desktop/win32/clipboard_handle.h"
#include "desktop/win32/file_dialog.h"
#include "desktop/win32/image_paint.h"
#include "desktop/win32/menu_bar.h"
#include "desktop/win32/tool_bar.h"
#include "desktop/win32/wide_text.h"

namespace LeveloraDesk {
namespace {

TEST(Win32WideTextTest, Utf8PathsRoundTrip) {
    const std::string cases[] = {"", "C:\\scans\\page.jpg",
                                 "C:\\Bilder\\Seite \xC3\xA4\xC3\xB6\xC3\xBC.png",
                                 "D:\\\xE6\x96\x87\xE6\x9B\xB8\\\xF0\x9F\x93\x84.tif"};
    for (const std::string& path : cases) {
        EXPECT_EQ(Narrow(Widen(path)), path);
    }
    EXPECT_EQ(Widen("Seite \xC3\xA4"), std::wstring(L"Seite \u00E4"));
}

TEST(Win32FileDialogTest, FourFiltersInDialogOrder) {
    static const wchar_t kList[] = L"Bitmap\0*.BMP\0Jpeg\0*.JPG\0Tiff\0*.TIF\0Png\0*.PNG\0";
    // The literal's own terminator is the list's final null character.
    const std::wstring expected(kList, std::size(kList));
    EXPECT_EQ(FilterList(), expected);
}

TEST(Win32MenuTest, EveryMenuItemDeliversItsCommand) {
    HMENU menu = BuildMainMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 4);
    const struct {
        int commandId;
        const wchar_t* text;
    } items[] = {
        {kCmdOpen, L"Open(&O)..."},           {kCmdClose, L"Close(&C)"},
        {kCmdSave, L"Save(&S)..."},           {kCmdExit, L"Exit(&X)"},
        {kCmdCopy, L"Copy(&C)\tCtrl+C"},      {kCmdPaste, L"Paste(&P)\tCtrl+V"},
        {kCmdAutoRotate, L"Auto-Rotate(&A)"}, {kCmdManualRotate, L"Manual-Rotate(&M)..."},
        {kCmdRestore, L"Restore(&O)"},        {kCmdHelp, L"Help(&H)"},
        {kCmdAbout, L"About(&A) ...\tAlt+?"},
    };
    for (const auto& item : items) {
        wchar_t text[64] = {};
        EXPECT_GT(GetMenuStringW(menu, static_cast<UINT>(item.commandId), text, 64, MF_BYCOMMAND),
                  0)
            << item.commandId;
        EXPECT_STREQ(text, item.text);
    }
    DestroyMenu(menu);
}

TEST(Win32MenuTest, AcceleratorsCopyPasteAndAbout) {
    const struct {
        BYTE flags;
        WORD key;
        int commandId;
    } expected[] = {
        {FVIRTKEY | FCONTROL, 'C', kCmdCopy},
        {FVIRTKEY | FCONTROL, 'V', kCmdPaste},
        {FVIRTKEY | FALT, VK_OEM_2, kCmdAbout},
        {FVIRTKEY | FALT | FSHIFT, VK_OEM_2, kCmdAbout},
    };
    const std::vector<ACCEL> entries = AcceleratorEntries();
    for (const auto& e : expected) {
        bool found = false;
        for (const ACCEL& a : entries) {
            found = found || (a.fVirt == e.flags && a.key == e.key && a.cmd == e.commandId);
        }
        EXPECT_TRUE(found) << e.commandId << " key " << e.key;
    }
    HACCEL table = BuildAccelerators();
    EXPECT_NE(table, nullptr);
    DestroyAcceleratorTable(table);
}

TEST(Win32ToolBarTest, TooltipsOnlyForToolbarCommands) {
    EXPECT_FALSE(TooltipText(kCmdOpen).empty());
    EXPECT_FALSE(TooltipText(kCmdRotateLeft).empty());
    EXPECT_TRUE(TooltipText(kCmdCopy).empty());
}

// A device-independent bitmap of 3 x 2 pixels at `depth`, its first byte
// of every row set to `firstByte`.
HBITMAP MakeBitmap(WORD depth, uint8_t firstByte) {
    std::vector<uint8_t> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* bmi = reinterpret_cast<BITMAPINFO*>(header.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = 3;
    bmi->bmiHeader.biHeight = 2;
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = depth;
    bmi->bmiHeader.biCompression = BI_RGB;
    auto* colours = reinterpret_cast<RGBQUAD*>(header.data() + sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < 256; ++i) {
        colours[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7, 0};
    }
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        const size_t rowBytes = (3u * depth + 31) / 32 * 4;
        for (size_t row = 0; row < 2; ++row) {
            static_cast<uint8_t*>(bits)[row * rowBytes] = firstByte;
        }
        GdiFlush();
    }
    return bitmap;
}

TEST(Win32ClipboardTest, BitmapIsReadAtItsOwnDepth) {
    const struct {
        WORD depth;
        uint64_t rowBytes;
        size_t tableEntries;
        // The first byte read back from 0xA5: a 1-bit row of 3 pixels keeps
        // only their 3 bits. Wine reads 4-bit pixels back through the
        // system's 16 colours, so only their layout is compared (-1).
        int firstByte;
    } cases[] = {{1, 4, 2, 0xA0},  {4, 4, 16, -1},    {8, 4, 256, 0xA5},
                 {16, 8, 0, 0xA5}, {24, 12, 0, 0xA5}, {32, 12, 0, 0xA5}};
    for (const auto& c : cases) {
        HBITMAP bitmap = MakeBitmap(c.depth, 0xA5);
        ASSERT_NE(bitmap, nullptr) << c.depth;
        ClipboardBitmap read;
        ASSERT_TRUE(BitmapFromHandle(bitmap, read)) << c.depth;
        EXPECT_EQ(read.width, 3);
        EXPECT_EQ(read.height, 2);
        EXPECT_EQ(BitmapDepth(read), c.depth);
        EXPECT_EQ(BitmapRowBytes(read), c.rowBytes);
        ASSERT_EQ(read.rows.size(), c.rowBytes * 2) << c.depth;
        if (c.firstByte >= 0) {
            EXPECT_EQ(read.rows[0], c.firstByte) << c.depth;
            EXPECT_EQ(read.rows[c.rowBytes], c.firstByte) << c.depth;
        }
        ASSERT_EQ(read.colorTable.size(), c.tableEntries) << c.depth;
        if (c.depth == 8) {
            // Entry 9: blue 9, green 246, red 7.
            EXPECT_EQ(read.colorTable[9], 0x07F609u);
        }
        DeleteObject(bitmap);
    }
}

TEST(Win32ClipboardTest, NoBitmapIsRefused) {
    ClipboardBitmap read;
    EXPECT_FALSE(BitmapFromHandle(nullptr, read));
    EXPECT_EQ(LoadBmpFile("C:\\no\\such\\levelora.bmp"), nullptr);
}

// Paints `state` into a white 100 x 80 canvas whose top 20 rows are the
// toolbar's, and returns the colour at (x, y).
class PaintCanvas {
  public:
    PaintCanvas() {
        BITMAPINFO bmi{};
        bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits_, nullptr, 0);
        dc_ = CreateCompatibleDC(nullptr);
        old_ = SelectObject(dc_, bitmap_);
        std::memset(bits_, 0xFF, kWidth * kHeight * 4);
    }
    ~PaintCanvas() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    void Paint(const ProgramState& state) {
        const RECT client{0, 0, kWidth, kHeight};
        PaintImage(dc_, client, kBarHeight, state);
        GdiFlush();
    }
    uint32_t At(int x, int y) const {
        return static_cast<const uint32_t*>(bits_)[y * kWidth + x] & 0xFFFFFF;
    }

    static constexpr int kWidth = 100;
    static constexpr int kHeight = 80;
    static constexpr int kBarHeight = 20;

  private:
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

// A picture of `width` x `height` pixels, red, with its stored first row
// (the bottom row) blue.
void MakePicture(ProgramState& state, uint32_t width, uint32_t height) {
    state.ShownImage.Allocate(height, width);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t* p = state.ShownImage.pixels + y * state.ShownImage.stride + 3 * x;
            p[0] = y == 0 ? 255 : 0;
            p[1] = 0;
            p[2] = y == 0 ? 0 : 255;
        }
    }
    state.ImageOpen = true;
}

TEST(Win32PaintTest, SmallPictureIsCentredBelowTheToolbarUnscaled) {
    ProgramState state;
    MakePicture(state, 10, 6);
    PaintCanvas canvas;
    canvas.Paint(state);
    // View rule: x = (100 - 10) / 2 = 45, y = 20 + (60 - 6) / 2 = 47.
    EXPECT_EQ(canvas.At(45, 47), 0xFF0000u);
    EXPECT_EQ(canvas.At(54, 52), 0x0000FFu) << "the bottom row is painted at the bottom";
    EXPECT_EQ(canvas.At(44, 47), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(55, 47), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(45, 46), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(45, 53), 0xFFFFFFu);
}

TEST(Win32PaintTest, LargePictureShrinksToTheAreaBelowTheToolbar) {
    ProgramState state;
    MakePicture(state, 400, 120);
    PaintCanvas canvas;
    canvas.Paint(state);
    // 400 x 120 into 100 x 60: 100 x 30 at y = 20 + 15.
    EXPECT_EQ(canvas.At(50, 34), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(50, 40), 0xFF0000u);
    EXPECT_EQ(canvas.At(50, 65), 0xFFFFFFu);
    for (int x = 0; x < PaintCanvas::kWidth; x += 9) {
        EXPECT_EQ(canvas.At(x, 10), 0xFFFFFFu) << "nothing is painted under the toolbar";
    }
}

TEST(Win32PaintTest, NothingPaintedWithoutAPictureOrWithAShortBuffer) {
    ProgramState state;
    MakePicture(state, 10, 6);
    state.ImageOpen = false;
    PaintCanvas closed;
    closed.Paint(state);
    EXPECT_EQ(closed.At(50, 50), 0xFFFFFFu);

    state.ImageOpen = true;
    state.ShownImage.pixelBytes = state.ShownImage.stride * 5;
    PaintCanvas shortBuffer;
    shortBuffer.Paint(state);
    EXPECT_EQ(shortBuffer.At(50, 50), 0xFFFFFFu);
}

}  // namespace
}  // namespace LeveloraDesk
