// The About box: icon left, version text beside it, OK at the right.
#include "desktop/qt/about_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace LeveloraDesk {

namespace {

constexpr int kIconPx = 32;

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About");
    setModal(true);
    auto* icon = new QLabel(this);
    icon->setObjectName("Icon");
    icon->setPixmap(QIcon(":/icons/levelora_32.png").pixmap(kIconPx, kIconPx));
    auto* text = new QLabel(this);
    text->setObjectName("Version");
    text->setTextFormat(Qt::PlainText);
    text->setText("Levelora V1.4");
    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout(this);
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(kIconPx / 2);
    row->addWidget(text, 1, Qt::AlignTop);
    row->addWidget(ok, 0, Qt::AlignTop);
}

}  // namespace LeveloraDesk
