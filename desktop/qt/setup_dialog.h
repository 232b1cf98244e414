// SetupDialog: the modal "Setup" dialog of Rotate > Manual-Rotate. The user
// types up to four digits of an angle and picks "To right" or "To left".
// It starts from a SetupChoice; OK (also Enter) calls the callback with the
// current choice and then closes the dialog; Cancel (also Escape and the
// close box) closes it without calling anything.
#pragma once

#include <QDialog>
#include <functional>

#include "desktop/window_port.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace LeveloraDesk {

class SetupDialog : public QDialog {
    Q_OBJECT

  public:
    SetupDialog(const SetupChoice& preset, std::function<void(const SetupChoice&)> onOk,
                QWidget* parent);

    QLineEdit* AngleField() const { return angleField_; }
    QRadioButton* ToRight() const { return toRight_; }
    QRadioButton* ToLeft() const { return toLeft_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }

    void accept() override;

  private:
    std::function<void(const SetupChoice&)> onOk_;
    QLineEdit* angleField_ = nullptr;
    QRadioButton* toRight_ = nullptr;
    QRadioButton* toLeft_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace LeveloraDesk
