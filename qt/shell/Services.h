#pragma once

#include <QString>

#include <functional>
#include <memory>

class QPrinter;
struct SysInfoEnvironment;

// What the windows take from the system around them, in one object that the shell holds.
// Every part left empty is the system's own, so the program runs with a default-built
// one; tests install their stand-ins over it and put a default-built one back after.
struct Services {
    // Replace is the question asked before an existing file is saved over.
    enum class FileMode { Open, Save, Replace };
    // Answers a showing of the file chooser instead of a real dialog: the chosen path,
    // or empty for a cancel. For Replace, `startName` is the existing file and a
    // non-empty answer means yes.
    using FileChooser =
        std::function<QString(FileMode mode, const QString& qtFilter, const QString& startName)>;
    FileChooser fileChooser;

    // The printer of the print commands instead of the system's default print queue;
    // nullptr stands for no default printer.
    std::function<std::unique_ptr<QPrinter>()> printer;

    // Takes the program's messages instead of the message box.
    std::function<void(const QString&)> messages;

    // The final exit, of the end command and of the last window closed alike, instead
    // of QCoreApplication::exit(0).
    std::function<void()> exit;

    // The registry, file test and program start of the system information launcher.
    std::shared_ptr<const SysInfoEnvironment> sysInfo;

    // Milliseconds of long work before its progress window shows.
    int progressDelay = 500;
};
