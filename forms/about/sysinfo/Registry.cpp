#include "Registry.h"

#include <QStandardPaths>
#include <QString>

namespace Registry {

void MemoryBackend::setValue(HKEY root, const std::string& key, const std::string& name,
                             Value value) {
    m_keys[{root, key}][name] = std::move(value);
}

void MemoryBackend::setString(HKEY root, const std::string& key, const std::string& name,
                              const std::string& text) {
    Value v;
    v.type = REG_SZ;
    v.data = text;
    v.data.push_back('\0');
    setValue(root, key, name, std::move(v));
}

LONG MemoryBackend::RegOpenKeyEx(HKEY root, const std::string& subKey, DWORD /*options*/,
                                 DWORD samDesired, HKEY& result) {
    m_requestedRights.push_back(samDesired);
    m_openedKeys.push_back(subKey);
    if (m_failingOpens.count(subKey))
        return ERROR_ACCESS_DENIED;
    if (m_readOnly && (samDesired & KEY_WRITE_BITS))
        return ERROR_ACCESS_DENIED;
    if (!m_keys.count({root, subKey}))
        return ERROR_FILE_NOT_FOUND;
    result = m_nextHandle++;
    m_handles[result] = {root, subKey};
    return ERROR_SUCCESS;
}

LONG MemoryBackend::RegQueryValueEx(HKEY key, const std::string& valueName, DWORD /*reserved*/,
                                    DWORD& type, std::string& data, DWORD& size) {
    const auto handle = m_handles.find(key);
    if (handle == m_handles.end())
        return ERROR_INVALID_HANDLE;
    const auto& values = m_keys[handle->second];
    const auto it = values.find(valueName);
    if (it == values.end())
        return ERROR_FILE_NOT_FOUND;
    const Value& v = it->second;
    if (v.data.size() > size || v.data.size() > data.size())
        return ERROR_MORE_DATA;
    type = v.type;
    data.replace(0, v.data.size(), v.data);
    size = v.overrideSize ? v.reportedSize : static_cast<DWORD>(v.data.size());
    return ERROR_SUCCESS;
}

LONG MemoryBackend::RegCloseKey(HKEY key) {
    return m_handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

const std::vector<std::string>& systemInfoTools() {
    static const std::vector<std::string> tools = {
        "hardinfo", "kinfocenter",         "xfce4-about",         "lshw-gtk",
        "cpu-x",    "mate-system-monitor", "gnome-system-monitor"};
    return tools;
}

SystemBackend::SystemBackend() {
    setReadOnly(true);
    for (const std::string& tool : systemInfoTools()) {
        const QString found = QStandardPaths::findExecutable(QString::fromStdString(tool));
        if (!found.isEmpty()) {
            setString(HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue,
                      found.toLocal8Bit().toStdString());
            break;
        }
    }
}

} // namespace Registry
