#pragma once

#include "core/Registry.h"
#include "win32/Handles.h"

#include <cstdint>
#include <map>
#include <string>

// The system's registry through advapi32's 8-bit calls. Keys are only ever opened for
// reading: an open that asks for a right that changes a key is refused, as Windows refuses
// it to a user without administrator rights. A key handle of Windows is a pointer, the
// look-up's a 32-bit number: the keys open here are numbered from 1.
class SystemRegistry : public Registry::Backend {
public:
    SystemRegistry() = default;
    SystemRegistry(const SystemRegistry&) = delete;
    SystemRegistry& operator=(const SystemRegistry&) = delete;

    Registry::LONG RegOpenKeyExA(Registry::HKEY root, const std::string& subKey,
                                 Registry::DWORD options, Registry::DWORD samDesired,
                                 Registry::HKEY& result) override;
    Registry::LONG RegQueryValueExA(Registry::HKEY key, const std::string& valueName,
                                    Registry::DWORD reserved, Registry::DWORD& type,
                                    std::string& data, Registry::DWORD& size) override;
    Registry::LONG RegCloseKey(Registry::HKEY key) override;

private:
    // The Windows key of a number: a root such as HKEY_LOCAL_MACHINE, or one open here;
    // 0 when it is neither.
    std::uintptr_t keyOf(Registry::HKEY key) const;

    std::map<Registry::HKEY, Handles::RegistryKey> m_open;
    Registry::HKEY m_next = 1;
};
