#pragma once

#include <QtGlobal>

// Qt's own dialogs and buttons speak Italian like the rest of the program: loads Qt's
// Italian translations and makes Italian the default locale.
void installItalian();

// Until the handler it returns is installed again, a window system that cannot be reached
// ends the program with one Italian line and status 1, instead of Qt's English advice to
// reinstall and an abort.
QtMessageHandler installItalianStartFailure();
