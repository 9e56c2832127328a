#pragma once

#include <QByteArray>

// Italian-looking Windows-1252 prose in lines of at most 80 characters, the same for a
// given size on every run.
QByteArray prose(qsizetype size);
