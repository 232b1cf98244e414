// QImage formats map onto the depths a BMP file can hold. Formats without a
// direct equivalent are converted the way the system's own bitmap query
// would deliver them: other 16-bit layouts to 5-5-5, RGB byte order to BGR,
// and everything else (higher precision, other byte orders) to 32 bits.
// Pictures with transparency are laid on white first.
#include "desktop/qt/clipboard_image.h"

#include <algorithm>
#include <cstring>

#include <QPainter>

namespace LeveloraDesk {

namespace {

uint32_t TableEntry(QRgb colour) {
    return static_cast<uint32_t>(qBlue(colour)) | (static_cast<uint32_t>(qGreen(colour)) << 8) |
           (static_cast<uint32_t>(qRed(colour)) << 16);
}

}  // namespace

ClipboardBitmap ToClipboardBitmap(const QImage& source) {
    QImage image = source;
    if (image.hasAlphaChannel()) {
        // A bitmap has no transparency: see-through parts of the picture
        // become white, the colour of paper, rather than black.
        QImage opaque(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
        painter.end();
        image = opaque;
    }
    ClipboardBitmap out;
    switch (image.format()) {
        case QImage::Format_Mono:
            out.bitsPerPixel = 1;
            break;
        case QImage::Format_MonoLSB:
            image = image.convertToFormat(QImage::Format_Mono);
            out.bitsPerPixel = 1;
            break;
        case QImage::Format_Indexed8:
        case QImage::Format_Grayscale8:
            out.bitsPerPixel = 8;
            break;
        case QImage::Format_RGB555:
            out.bitsPerPixel = 16;
            break;
        case QImage::Format_RGB16:
        case QImage::Format_RGB444:
        case QImage::Format_ARGB4444_Premultiplied:
        case QImage::Format_ARGB8555_Premultiplied:
        case QImage::Format_ARGB8565_Premultiplied:
            image = image.convertToFormat(QImage::Format_RGB555);
            out.bitsPerPixel = 16;
            break;
        case QImage::Format_BGR888:
            out.bitsPerPixel = 24;
            break;
        case QImage::Format_RGB888:
            image = image.convertToFormat(QImage::Format_BGR888);
            out.bitsPerPixel = 24;
            break;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            out.bitsPerPixel = 32;
            break;
        default:
            image = image.convertToFormat(QImage::Format_RGB32);
            out.bitsPerPixel = 32;
            break;
    }
    out.width = image.width();
    out.height = image.height();
    if (image.format() == QImage::Format_Grayscale8) {
        for (int i = 0; i < 256; ++i) {
            out.colorTable.push_back(TableEntry(qRgb(i, i, i)));
        }
    } else if (out.bitsPerPixel <= 8) {
        for (const QRgb colour : image.colorTable()) {
            out.colorTable.push_back(TableEntry(colour));
        }
    }
    const size_t rowBytes = static_cast<size_t>(BitmapRowBytes(out));
    const size_t copyBytes = std::min(rowBytes, static_cast<size_t>(image.bytesPerLine()));
    out.rows.assign(rowBytes * static_cast<size_t>(out.height), 0);
    for (int i = 0; i < out.height; ++i) {
        std::memcpy(out.rows.data() + static_cast<size_t>(i) * rowBytes,
                    image.constScanLine(out.height - 1 - i), copyBytes);
    }
    return out;
}

}  // namespace LeveloraDesk
