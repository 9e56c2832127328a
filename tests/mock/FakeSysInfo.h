#pragma once

#include "core/SysInfo.h"

#include <set>
#include <string>
#include <vector>

// A file test that finds the files it is given, and records every path asked for.
class FakeFiles : public SysInfo::FileExistence {
public:
    std::string fileName(const std::string& path) override {
        asked.push_back(path);
        return existing.count(path) ? "MSINFO32.EXE" : "";
    }
    std::set<std::string> existing;
    std::vector<std::string> asked;
};

// A program start that succeeds for the paths it is given, and records every start.
class FakeStarts : public SysInfo::ProgramStart {
public:
    bool start(const std::string& path) override {
        started.push_back(path);
        return startable.count(path) > 0;
    }
    std::set<std::string> startable;
    std::vector<std::string> started;
};
