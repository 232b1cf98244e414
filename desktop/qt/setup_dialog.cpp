// The Setup dialog's widgets and its OK path. The user can type digits only
// and at most four of them, so the dialog asks for 0 to 9999 degrees; the
// direction is carried by the radio buttons. The limit is the validator's,
// which only stops typing: a longer preset (the toolbar's field has no
// limit) is shown whole, and OK without a change finds it equal to the
// current angle.
#include "desktop/qt/setup_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace LeveloraDesk {

SetupDialog::SetupDialog(const SetupChoice& preset, std::function<void(const SetupChoice&)> onOk,
                         QWidget* parent)
    : QDialog(parent), onOk_(std::move(onOk)) {
    setWindowTitle("Setup");
    setModal(true);

    auto* label = new QLabel("Angle:", this);
    angleField_ = new QLineEdit(this);
    angleField_->setObjectName("AngleField");
    toRight_ = new QRadioButton("To right", this);
    toLeft_ = new QRadioButton("To left", this);
    okButton_ = new QPushButton("OK", this);
    cancelButton_ = new QPushButton("Cancel", this);
    okButton_->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(angleField_, 0, 1);
    auto* radios = new QHBoxLayout();
    radios->addWidget(toRight_);
    radios->addWidget(toLeft_);
    grid->addLayout(radios, 1, 0, 1, 2);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    grid->addLayout(buttons, 2, 0, 1, 2);

    connect(okButton_, &QPushButton::clicked, this, &SetupDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &SetupDialog::reject);

    (preset.toLeft ? toLeft_ : toRight_)->setChecked(true);
    // The preset goes in before the validator: a field whose text the
    // validator never refused refuses every edit that breaks the limit, so
    // a longer preset takes no further digit, only deletions.
    angleField_->setText(QString::fromStdString(preset.angleText));
    angleField_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), angleField_));
    angleField_->setFocus();
}

void SetupDialog::accept() {
    SetupChoice choice;
    choice.angleText = angleField_->text().toStdString();
    choice.toLeft = toLeft_->isChecked();
    if (onOk_) {
        onOk_(choice);
    }
    QDialog::accept();
}

}  // namespace LeveloraDesk
