// BMP import and export of the desktop program over the shared reader and
// writer. What is left here is the desktop's file contract: the file is
// opened by the caller and closed here on every way out, and a write counts
// only when the close that flushes it succeeds too.
#include "desktop/bmp_io.h"

#include "bmpbase/bmp_reader.h"

namespace LeveloraDesk {

using BmpBase::CBitmap24;

namespace {

// Closes the file on every way out of a read, an allocation failure too.
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

// Writes `bmp` at `bitsPerPixel` and closes `file`; data still in the
// stream's buffer is written by the close, which can fail.
bool WriteAndClose(const CBitmap24& bmp, std::FILE* file, uint16_t bitsPerPixel) {
    if (file == nullptr) {
        return false;
    }
    const bool ok = BmpBase::WriteBmp(file, bmp, bitsPerPixel);
    const bool closed = std::fclose(file) == 0;
    return ok && closed;
}

}  // namespace

bool ReadFromFile(CBitmap24& bmp, std::FILE* file) {
    if (file == nullptr) {
        return false;
    }
    const OwnedFile owned(file);
    return BmpBase::ReadBmp(file, BmpBase::BmpPolicy::kDesktop, bmp);
}

bool WriteToFile(const CBitmap24& bmp, std::FILE* file) {
    return WriteAndClose(bmp, file, 24);
}

bool WriteToFile32(const CBitmap24& bmp, std::FILE* file) {
    return WriteAndClose(bmp, file, 32);
}

}  // namespace LeveloraDesk
