// Wires the window's commands to the logic and runs the start-up steps.
#include "desktop/qt/desk_program.h"

#include "desktop/temp_path.h"

namespace LeveloraDesk {

DeskProgram::DeskProgram(ProgramState& state, const EntryPoints& entries)
    : window_(state), app_(state, window_, entries, MakeTempBmpPath()) {
    window_.SetCommandHandler([this](int commandId) { app_.OnCommand(commandId); });
    app_.Start();
}

}  // namespace LeveloraDesk
