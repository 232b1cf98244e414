// The router looks at the shortcut-override query that precedes every key
// press: a widget that accepts it keeps the key; an ignored query lets the
// window's shortcut run.
#include "desktop/qt/accelerator_router.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace LeveloraDesk {

AcceleratorRouter::AcceleratorRouter(QWidget* window, QList<QAction*> actions)
    : QObject(window), window_(window), actions_(std::move(actions)) {
    QCoreApplication::instance()->installEventFilter(this);
}

bool AcceleratorRouter::IsAccelerator(const QKeySequence& keys) const {
    for (const QAction* action : actions_) {
        if (action->shortcuts().contains(keys)) {
            return true;
        }
    }
    return false;
}

bool AcceleratorRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != window_) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!IsAccelerator(QKeySequence(key->keyCombination()))) {
        return false;
    }
    event->ignore();
    return true;
}

}  // namespace LeveloraDesk
