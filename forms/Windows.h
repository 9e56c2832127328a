#pragma once

#include "app/Shell.h"

#include <QFont>

class Form1;
class Form2;
class frmAbout;

// The program-wide reference to each of the three windows.
namespace Windows {

Shell::WindowSlot<Form1>& form1();
Shell::WindowSlot<Form2>& form2();
Shell::WindowSlot<frmAbout>& about();

// Fonts the forms ask for by their Windows names.
void installFontSubstitutions();

// The font the designs are drawn in: "MS Sans Serif", 8 points, or its substitute.
QFont designFont();

} // namespace Windows
