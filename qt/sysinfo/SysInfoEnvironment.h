#pragma once

#include "core/Registry.h"
#include "core/SysInfo.h"

#include <functional>
#include <memory>

// What the system information launcher needs from the system; tests replace each part.
struct SysInfoEnvironment {
    // Built on each use, so that a tool installed while the program runs is found.
    std::function<std::unique_ptr<Registry::Backend>()> registry;
    std::shared_ptr<SysInfo::FileExistence> files;
    std::shared_ptr<SysInfo::ProgramStart> programs;

    static SysInfoEnvironment system();
};
