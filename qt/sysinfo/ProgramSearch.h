#pragma once

#include "core/Registry.h"

#include <set>
#include <string>
#include <vector>

// The system-information tools looked for on the search path, in this order.
const std::vector<std::string>& systemInfoTools();

// The look-up's registry on this system, which has none: a search of the program path. The
// first place of the look-up holds the full path of the first tool of systemInfoTools() on
// the search path, found when the search is made; the second place is absent. Opens that ask for
// rights which change a key are refused, as Windows refuses them to a user without administrator
// rights.
class ProgramSearch : public Registry::Backend {
public:
    ProgramSearch();

    Registry::LONG RegOpenKeyExA(Registry::HKEY root, const std::string& subKey,
                                 Registry::DWORD options, Registry::DWORD samDesired,
                                 Registry::HKEY& result) override;
    Registry::LONG RegQueryValueExA(Registry::HKEY key, const std::string& valueName,
                                    Registry::DWORD reserved, Registry::DWORD& type,
                                    std::string& data, Registry::DWORD& size) override;
    Registry::LONG RegCloseKey(Registry::HKEY key) override;

private:
    std::string m_toolPath;
    std::set<Registry::HKEY> m_handles;
    Registry::HKEY m_nextHandle = 0x100;
};
