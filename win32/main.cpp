#include "win32/Form1.h"
#include "win32/Shell.h"
#include "win32/Windows.h"

#include <windows.h>

#include <commctrl.h>

// Start-up opens the main window and nothing else, then waits for the user.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    Shell::guard([] { Windows::form1().show(); });
    // Without its main window the program has nothing to wait for.
    if (!Windows::form1().isOpen())
        return 1;
    return Shell::run();
}
