#pragma once

#include <functional>
#include <memory>
#include <string>

namespace Registry {
class Backend;
}
namespace SysInfo {
class FileExistence;
class ProgramStart;
} // namespace SysInfo

// What the windows take from the system around them, in one object that the shell holds.
// Every part left empty is the system's own; tests install their stand-ins over it and
// put a default-built one back after.
struct Services {
    // Replace is the question asked before an existing file is saved over.
    enum class FileMode { Open, Save, Replace };
    // Answers a showing of the file chooser instead of a real dialog: the chosen path, or
    // empty for a cancel. `filter` is the dialog's list of descriptions and patterns.
    // For Replace, `startName` is the existing file and a non-empty answer means yes.
    using FileChooser = std::function<std::wstring(FileMode mode, const std::wstring& filter,
                                                   const std::wstring& startName)>;
    FileChooser fileChooser;

    // Takes the program's messages (UTF-8) instead of the message box.
    std::function<void(const std::string&)> messages;

    // The final exit, of the end command and of the last window closed alike, instead of
    // leaving the message loop.
    std::function<void()> exit;

    // Milliseconds of long work before its progress window shows.
    int progressDelay = 500;

    // The registry, file test and program start of the system information launcher.
    std::shared_ptr<Registry::Backend> registry;
    std::shared_ptr<SysInfo::FileExistence> files;
    std::shared_ptr<SysInfo::ProgramStart> programs;
};
