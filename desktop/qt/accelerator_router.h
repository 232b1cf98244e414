// AcceleratorRouter: the main window's accelerators (the shortcuts of its
// actions) reach their commands whatever widget of the window has the
// keyboard focus.
//
// A focused widget may claim a key combination for itself before the
// window's shortcuts see it: a line edit claims Ctrl+C and Ctrl+V for its
// own text clipboard. Installed on the application, the router refuses that
// claim for the key combinations of the given actions when the widget lies
// in the given window, so the combination triggers the window's action. All
// other keys, and widgets of other windows (dialogs), are left alone.
#pragma once

#include <QList>
#include <QObject>

class QAction;
class QWidget;

namespace LeveloraDesk {

class AcceleratorRouter : public QObject {
  public:
    // Owned by `window`; installs itself on the application.
    AcceleratorRouter(QWidget* window, QList<QAction*> actions);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool IsAccelerator(const QKeySequence& keys) const;

    QWidget* window_;
    QList<QAction*> actions_;
};

}  // namespace LeveloraDesk
