#pragma once

#include "core/Design.h"
#include "qt/shell/Shell.h"

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

// Places the controls of `design` found under `clientArea`, converted from twips, and
// writes their captions; a menu of the design found under `window` gets its caption too.
void applyDesign(QWidget* window, QWidget* clientArea, const Design::Window& design);

// A design's rectangle in pixels.
QRect pixels(const Design::Rect& twips);

// The font the designs are drawn in: "MS Sans Serif", 8 points, or its substitute.
QFont designFont();

} // namespace Windows
