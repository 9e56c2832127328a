#include "qt/sysinfo/ProgramSearch.h"

#include "core/SysInfo.h"

#include <QStandardPaths>
#include <QString>

using namespace Registry;

const std::vector<std::string>& systemInfoTools() {
    static const std::vector<std::string> tools = {
        "hardinfo", "kinfocenter",         "xfce4-about",         "lshw-gtk",
        "cpu-x",    "mate-system-monitor", "gnome-system-monitor"};
    return tools;
}

ProgramSearch::ProgramSearch() {
    for (const std::string& tool : systemInfoTools()) {
        const QString found = QStandardPaths::findExecutable(QString::fromStdString(tool));
        if (!found.isEmpty()) {
            m_toolPath = found.toLocal8Bit().toStdString();
            break;
        }
    }
}

LONG ProgramSearch::RegOpenKeyExA(HKEY root, const std::string& subKey, DWORD /*options*/,
                                  DWORD samDesired, HKEY& result) {
    if (samDesired & kKeyWriteRights)
        return kAccessDenied;
    if (root != kLocalMachine || subKey != SysInfo::kToolKey || m_toolPath.empty())
        return kFileNotFound;
    result = m_nextHandle++;
    m_handles.insert(result);
    return kSuccess;
}

LONG ProgramSearch::RegQueryValueExA(HKEY key, const std::string& valueName, DWORD /*reserved*/,
                                     DWORD& type, std::string& data, DWORD& size) {
    if (!m_handles.count(key))
        return kInvalidHandle;
    if (valueName != SysInfo::kToolValue)
        return kFileNotFound;
    // A string value, with its terminating 0.
    const std::size_t length = m_toolPath.size() + 1;
    if (length > size || length > data.size())
        return kMoreData;
    type = kString;
    data.replace(0, length, m_toolPath.c_str(), length);
    size = static_cast<DWORD>(length);
    return kSuccess;
}

LONG ProgramSearch::RegCloseKey(HKEY key) {
    return m_handles.erase(key) ? kSuccess : kInvalidHandle;
}
