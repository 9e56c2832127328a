#include "win32/sysinfo/SystemTools.h"

#include <windows.h>

namespace {

// Empty when the text does not convert.
std::wstring fromCodePage(const std::string& text) {
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), n);
    return wide;
}

std::string toCodePage(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, narrow.data(), n, nullptr, nullptr);
    return narrow;
}

} // namespace

std::string SystemFileExistence::fileName(const std::string& path) {
    const std::wstring name = fromCodePage(path);
    if (name.empty() || name.find(L'\0') != std::wstring::npos)
        return {};
    const DWORD attributes = GetFileAttributesW(name.c_str());
    constexpr DWORD kNotNormal =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kNotNormal))
        return {};
    const std::size_t separator = name.find_last_of(L"\\/:");
    return toCodePage(separator == std::wstring::npos ? name : name.substr(separator + 1));
}

bool SystemProgramStart::start(const std::string& path) {
    const std::wstring program = fromCodePage(path);
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
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
