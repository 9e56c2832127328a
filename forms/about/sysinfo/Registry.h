#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

// A small stand-in for the three registry calls the about box uses. Every call returns
// 0 on success, any other value on failure, as the Windows calls do.
namespace Registry {

using HKEY = std::uint32_t;
using LONG = std::int32_t;
using DWORD = std::uint32_t;

inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD KEY_READ = 0x20019;
inline constexpr DWORD KEY_ALL_ACCESS_NO_DELETE = 0x2003F;
// Rights that change a key: set value, create subkey, create link.
inline constexpr DWORD KEY_WRITE_BITS = 0x02 | 0x04 | 0x20;

class Backend {
public:
    virtual ~Backend() = default;
    virtual LONG RegOpenKeyEx(HKEY root, const std::string& subKey, DWORD options, DWORD samDesired,
                              HKEY& result) = 0;
    // `data` is the caller's buffer; `size` is its size in, the data's size out.
    virtual LONG RegQueryValueEx(HKEY key, const std::string& valueName, DWORD reserved,
                                 DWORD& type, std::string& data, DWORD& size) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;
};

struct Value {
    DWORD type = REG_SZ;
    std::string data;
    // When set, the size the query reports instead of the data's real size.
    bool overrideSize = false;
    DWORD reportedSize = 0;
};

// Keys and values held in memory; used by tests and as the base of the system backend.
class MemoryBackend : public Backend {
public:
    void setValue(HKEY root, const std::string& key, const std::string& name, Value value);
    void setString(HKEY root, const std::string& key, const std::string& name,
                   const std::string& text);
    void failOpen(const std::string& key) { m_failingOpens.insert(key); }
    // Refuse opens that ask for rights which change a key, as Windows does for a user
    // without administrator rights.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    const std::vector<DWORD>& requestedRights() const { return m_requestedRights; }
    const std::vector<std::string>& openedKeys() const { return m_openedKeys; }
    int openHandles() const { return static_cast<int>(m_handles.size()); }

    LONG RegOpenKeyEx(HKEY root, const std::string& subKey, DWORD options, DWORD samDesired,
                      HKEY& result) override;
    LONG RegQueryValueEx(HKEY key, const std::string& valueName, DWORD reserved, DWORD& type,
                         std::string& data, DWORD& size) override;
    LONG RegCloseKey(HKEY key) override;

private:
    using Path = std::pair<HKEY, std::string>;
    std::map<Path, std::map<std::string, Value>> m_keys;
    std::set<std::string> m_failingOpens;
    std::map<HKEY, Path> m_handles;
    std::vector<DWORD> m_requestedRights;
    std::vector<std::string> m_openedKeys;
    HKEY m_nextHandle = 0x100;
    bool m_readOnly = false;
};

inline constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* kSysInfoValue = "PATH";
inline constexpr const char* kSysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* kSysInfoLocationValue = "MSINFO";

// The system-information tools looked for on the search path, in this order.
const std::vector<std::string>& systemInfoTools();

// The backend for this system: the first place holds the full path of the first tool of
// systemInfoTools() found on the search path; the second place is absent.
class SystemBackend : public MemoryBackend {
public:
    SystemBackend();
};

} // namespace Registry
