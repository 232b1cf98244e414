// DeskProgram: the running desktop program once the libraries are bound,
// the main window and the logic wired together. Construction performs the
// start-up steps that follow the window's creation: the image commands are
// greyed and the temporary file's path is fixed. The caller shows the
// window and runs the event loop.
#pragma once

#include "desktop/desk_app.h"
#include "desktop/qt/main_window.h"

namespace LeveloraDesk {

class DeskProgram {
  public:
    DeskProgram(ProgramState& state, const EntryPoints& entries);
    DeskProgram(const DeskProgram&) = delete;
    DeskProgram& operator=(const DeskProgram&) = delete;

    MainWindow& Window() { return window_; }
    DeskApp& App() { return app_; }

  private:
    MainWindow window_;
    DeskApp app_;
};

}  // namespace LeveloraDesk
