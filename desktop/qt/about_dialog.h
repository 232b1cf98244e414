// AboutDialog: the modal "About" box with the program icon, the text
// "Levelora V1.4" and an OK button.
#pragma once

#include <QDialog>

namespace LeveloraDesk {

class AboutDialog : public QDialog {
    Q_OBJECT

  public:
    explicit AboutDialog(QWidget* parent);
};

}  // namespace LeveloraDesk
