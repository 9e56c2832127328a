#include "tests/mock/FakeRegistry.h"

using namespace Registry;

void FakeRegistry::setValue(HKEY root, const std::string& key, const std::string& name,
                            FakeValue value) {
    m_keys[{root, key}][name] = std::move(value);
}

void FakeRegistry::setString(HKEY root, const std::string& key, const std::string& name,
                             const std::string& text) {
    FakeValue v;
    v.type = kString;
    v.data = text;
    v.data.push_back('\0');
    setValue(root, key, name, std::move(v));
}

LONG FakeRegistry::RegOpenKeyExA(HKEY root, const std::string& subKey, DWORD /*options*/,
                                 DWORD samDesired, HKEY& result) {
    m_requestedRights.push_back(samDesired);
    m_openedKeys.push_back(subKey);
    if (m_failingOpens.count(subKey))
        return kAccessDenied;
    if (!m_keys.count({root, subKey}))
        return kFileNotFound;
    result = m_nextHandle++;
    m_handles[result] = {root, subKey};
    return kSuccess;
}

LONG FakeRegistry::RegQueryValueExA(HKEY key, const std::string& valueName, DWORD /*reserved*/,
                                    DWORD& type, std::string& data, DWORD& size) {
    const auto handle = m_handles.find(key);
    if (handle == m_handles.end())
        return kInvalidHandle;
    const auto& values = m_keys[handle->second];
    const auto it = values.find(valueName);
    if (it == values.end())
        return kFileNotFound;
    const FakeValue& v = it->second;
    if (v.data.size() > size || v.data.size() > data.size())
        return kMoreData;
    type = v.type;
    data.replace(0, v.data.size(), v.data);
    size = v.overrideSize ? v.reportedSize : static_cast<DWORD>(v.data.size());
    return kSuccess;
}

LONG FakeRegistry::RegCloseKey(HKEY key) {
    return m_handles.erase(key) ? kSuccess : kInvalidHandle;
}
