#pragma once

#include "core/Registry.h"

#include <map>
#include <set>
#include <string>
#include <vector>

struct FakeValue {
    Registry::DWORD type = Registry::kString;
    std::string data;
    // When set, the size the query reports instead of the data's real size.
    bool overrideSize = false;
    Registry::DWORD reportedSize = 0;
};

// A value whose query reports `reportedSize` as the size of its data.
inline FakeValue rawValue(Registry::DWORD type, std::string data, Registry::DWORD reportedSize) {
    return {type, std::move(data), true, reportedSize};
}

// Keys and values held in memory, with a record of what was asked.
class FakeRegistry : public Registry::Backend {
public:
    void setValue(Registry::HKEY root, const std::string& key, const std::string& name,
                  FakeValue value);
    // A string value, stored with its terminating 0.
    void setString(Registry::HKEY root, const std::string& key, const std::string& name,
                   const std::string& text);
    void failOpen(const std::string& key) { m_failingOpens.insert(key); }

    const std::vector<Registry::DWORD>& requestedRights() const { return m_requestedRights; }
    const std::vector<std::string>& openedKeys() const { return m_openedKeys; }
    int openHandles() const { return static_cast<int>(m_handles.size()); }

    Registry::LONG RegOpenKeyExA(Registry::HKEY root, const std::string& subKey,
                                 Registry::DWORD options, Registry::DWORD samDesired,
                                 Registry::HKEY& result) override;
    Registry::LONG RegQueryValueExA(Registry::HKEY key, const std::string& valueName,
                                    Registry::DWORD reserved, Registry::DWORD& type,
                                    std::string& data, Registry::DWORD& size) override;
    Registry::LONG RegCloseKey(Registry::HKEY key) override;

private:
    using Path = std::pair<Registry::HKEY, std::string>;
    std::map<Path, std::map<std::string, FakeValue>> m_keys;
    std::set<std::string> m_failingOpens;
    std::map<Registry::HKEY, Path> m_handles;
    std::vector<Registry::DWORD> m_requestedRights;
    std::vector<std::string> m_openedKeys;
    Registry::HKEY m_nextHandle = 0x100;
};

// A view of a registry that the test keeps, for code that takes ownership of its registry.
class FakeRegistryView : public Registry::Backend {
public:
    explicit FakeRegistryView(Registry::Backend& target)
        : m_target(target) {}
    Registry::LONG RegOpenKeyExA(Registry::HKEY r, const std::string& k, Registry::DWORD o,
                                 Registry::DWORD s, Registry::HKEY& h) override {
        return m_target.RegOpenKeyExA(r, k, o, s, h);
    }
    Registry::LONG RegQueryValueExA(Registry::HKEY k, const std::string& n, Registry::DWORD r,
                                    Registry::DWORD& t, std::string& d,
                                    Registry::DWORD& s) override {
        return m_target.RegQueryValueExA(k, n, r, t, d, s);
    }
    Registry::LONG RegCloseKey(Registry::HKEY k) override { return m_target.RegCloseKey(k); }

private:
    Registry::Backend& m_target;
};
