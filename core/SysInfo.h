#pragma once

#include "core/Registry.h"
#include "core/Texts.h"

#include <string>

// Finds the system information tool through the registry and starts it.
namespace SysInfo {

// First place: the tool's full path. Second place: the folder that holds the tool.
inline constexpr const char* kToolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kToolValue = "PATH";
inline constexpr const char* kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kFolderValue = "MSINFO";
inline constexpr const char* kToolFile = "\\MSINFO32.EXE";

inline constexpr const char* kUnavailable = Texts::kSysInfoUnavailable.data();

class FileExistence {
public:
    virtual ~FileExistence() = default;
    // The file's name when a normal file (not hidden, system or a folder) exists at the
    // full path, else the empty string.
    virtual std::string fileName(const std::string& path) = 0;
};

class ProgramStart {
public:
    virtual ~ProgramStart() = default;
    // Starts exactly the program at `path`, with no arguments and no shell, without waiting
    // for it; false when it could not be started.
    virtual bool start(const std::string& path) = 0;
};

// Reads one value of one key as text into `keyVal`: true when the key was opened and the
// value read; false, with `keyVal` empty, otherwise. A string value loses a last byte of
// 0; a 32-bit number is appended to what `keyVal` held, as a "&h" literal read in decimal;
// a value of another type leaves `keyVal` as it was. Every key opened is closed.
// Throws std::out_of_range when the registry reports a size of 0 or beyond the buffer.
bool getKeyValue(Registry::Backend& registry, Registry::HKEY root, const std::string& keyName,
                 const std::string& valueName, std::string& keyVal);

// Starts the tool from the first place, or from the second place when the tool's file is
// there. False when neither serves or the start fails: the user is to be told
// kUnavailable. Throws nothing.
[[nodiscard]] bool start(Registry::Backend& registry, FileExistence& files,
                         ProgramStart& programs) noexcept;

} // namespace SysInfo
