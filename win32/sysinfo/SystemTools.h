#pragma once

#include "core/SysInfo.h"

#include <string>

// The file test and the program start of the system information look-up, on Windows. Paths
// are in the system's 8-bit code page, as the registry's 8-bit calls give them.

// A normal file: there, and neither a folder, hidden nor a system file.
class SystemFileExistence : public SysInfo::FileExistence {
public:
    std::string fileName(const std::string& path) override;
};

// Starts exactly the program at the path, in a normal window; the path is never split into
// a program and its arguments.
class SystemProgramStart : public SysInfo::ProgramStart {
public:
    bool start(const std::string& path) override;
};
