#include "win32/sysinfo/SystemTools.h"

#include "win32/Handles.h"
#include "win32/Wide.h"

#include <windows.h>

std::string SystemFileExistence::fileName(const std::string& path) {
    // Empty when the path does not convert.
    const std::wstring name = Wide::fromAnsi(path).value_or(std::wstring());
    if (name.empty() || name.find(L'\0') != std::wstring::npos)
        return {};
    const DWORD attributes = GetFileAttributesW(name.c_str());
    constexpr DWORD kNotNormal =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kNotNormal))
        return {};
    const std::size_t separator = name.find_last_of(L"\\/:");
    return Wide::toAnsi(separator == std::wstring::npos ? name : name.substr(separator + 1))
        .value_or(std::string());
}

bool SystemProgramStart::start(const std::string& path) {
    const std::wstring program = Wide::fromAnsi(path).value_or(std::wstring());
    if (program.empty() || program.find(L'\0') != std::wstring::npos)
        return false;
    // The program's own name as its first argument, quoted: a Windows file name holds no '"'.
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    const Handles::Handle thread(process.hThread);
    const Handles::Handle started(process.hProcess);
    return true;
}
