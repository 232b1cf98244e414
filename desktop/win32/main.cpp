// LeveloraDesk for Windows: binds the engine and the converter library from
// the program's folder, builds the main window, wires its commands to the
// program logic and runs the message loop until the window is closed.
#include <windows.h>

#include <commctrl.h>

#include "desktop/desk_app.h"
#include "desktop/library_binding.h"
#include "desktop/temp_path.h"
#include "desktop/win32/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Program-wide state and the bound libraries exist before the window.
    static LeveloraDesk::ProgramState state;
    const LeveloraDesk::EntryPoints entries = LeveloraDesk::BindLibraries();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    LeveloraDesk::MainWindow window(state, instance);
    if (!window.Create()) {
        return 1;
    }
    LeveloraDesk::DeskApp app(state, window, entries, LeveloraDesk::MakeTempBmpPath());
    window.SetCommandHandler([&app](int commandId) { app.OnCommand(commandId); });
    app.Start();
    window.ShowMaximised();
    return window.RunMessageLoop();
}
