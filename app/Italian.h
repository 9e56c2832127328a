#pragma once

// Qt's own dialogs and buttons speak Italian like the rest of the program: loads Qt's
// Italian translations and makes Italian the default locale.
void installItalian();
