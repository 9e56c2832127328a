#pragma once

#include <QWidget>

// How the program's windows present themselves to the desktop's window manager and task
// bar, beyond what Qt's window flags say.
namespace Desktop {

// Whether the window has a button of its own in the task bar and a place in the pagers
// (on X11; elsewhere the window flags decide).
void setSkipTaskbar(QWidget* window, bool skip);

} // namespace Desktop
