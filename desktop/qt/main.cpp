// LeveloraDesk: binds the engine and the converter library by name, builds
// the main window and runs the event loop until the window is closed.
#include <QApplication>
#include <QScreen>

#include "desktop/library_binding.h"
#include "desktop/qt/desk_program.h"

int main(int argc, char** argv) {
    // Program-wide state and the bound libraries exist before the window.
    static LeveloraDesk::ProgramState state;
    const LeveloraDesk::EntryPoints entries = LeveloraDesk::BindLibraries();

    QApplication application(argc, argv);
    LeveloraDesk::DeskProgram program(state, entries);
    // Without a window manager a maximise request is ignored; starting at
    // the screen's full size gives the same picture either way.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        program.Window().resize(screen->availableGeometry().size());
    }
    program.Window().showMaximized();
    return QApplication::exec();
}
