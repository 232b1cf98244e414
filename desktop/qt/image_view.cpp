// Painting ShownImage straight from its pixel buffer: a QImage wraps the
// buffer (24-bit blue, green, red rows with the bitmap's stride) without
// copying it, and the painter flips it when the rows are stored bottom-up
// (a positive biHeight), so the picture is upright either way. The view's
// own rectangle is the area below the toolbar, so the toolbar's height is
// already taken off. Downscaling is smoothed so that text stays readable.
#include "desktop/qt/image_view.h"

#include <QImage>
#include <QPainter>

#include "desktop/view_layout.h"

namespace LeveloraDesk {

ImageView::ImageView(const ProgramState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (!state_.ImageOpen) {
        return;
    }
    const BmpBase::CBitmap24& bmp = state_.ShownImage;
    const ViewRect r =
        FitAndCentre(width(), height(), 0, bmp.infoHeader.biWidth, bmp.infoHeader.biHeight);
    const bool bufferComplete = bmp.pixels != nullptr &&
                                static_cast<uint64_t>(bmp.stride) * bmp.height <= bmp.pixelBytes &&
                                bmp.stride >= 3ull * bmp.width;
    if (!r.visible || !bufferComplete) {
        return;
    }
    const QImage wrapped(bmp.pixels, static_cast<int>(bmp.width), static_cast<int>(bmp.height),
                         static_cast<qsizetype>(bmp.stride), QImage::Format_BGR888);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (bmp.infoHeader.biHeight > 0) {
        painter.translate(r.x, r.y + r.height);
        painter.scale(1.0, -1.0);
        painter.drawImage(QRect(0, 0, r.width, r.height), wrapped);
    } else {
        painter.drawImage(QRect(r.x, r.y, r.width, r.height), wrapped);
    }
}

}  // namespace LeveloraDesk
