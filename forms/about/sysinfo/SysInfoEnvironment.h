#pragma once

#include "Registry.h"

#include <QString>

#include <functional>
#include <memory>

// What the system information launcher needs from the system; tests replace each part.
struct SysInfoEnvironment {
    // Built on each use, so that a tool installed while the program runs is found.
    std::function<std::unique_ptr<Registry::Backend>()> registry;
    // The file name when a normal file exists at the full path, else the empty string.
    std::function<QString(const QString& path)> dir;
    // Starts exactly the program at `path`, with no arguments and no shell.
    std::function<bool(const QString& path)> start;

    static SysInfoEnvironment system();
};
