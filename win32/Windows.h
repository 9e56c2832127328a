#pragma once

#include <windows.h>

class Form1;
class Form2;
class frmAbout;

// The program-wide reference to each of the three windows, made on first use.
namespace Windows {

Form1& form1();
Form2& form2();
frmAbout& about();

// The owner of the help window and the about box: the main window while it is open.
HWND owner();
// The main window has opened: the open help window and about box belong to it again.
void adoptOwned();
// The main window is about to go: the others stay, as windows of their own.
void releaseOwned();

} // namespace Windows
