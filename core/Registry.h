#pragma once

#include <cstdint>
#include <string>

// The three registry calls the system information look-up makes, in the shape of
// advapi32's 8-bit calls: every call returns 0 on success, any other value on failure.
// The constants carry names of their own: <windows.h> defines the Windows names as macros.
namespace Registry {

using HKEY = std::uint32_t;
using LONG = std::int32_t;
using DWORD = std::uint32_t;

inline constexpr HKEY kLocalMachine = 0x80000002;

inline constexpr LONG kSuccess = 0;
inline constexpr LONG kFileNotFound = 2;
inline constexpr LONG kAccessDenied = 5;
inline constexpr LONG kInvalidHandle = 6;
inline constexpr LONG kMoreData = 234;

// Value types: a string, a 32-bit number.
inline constexpr DWORD kString = 1;
inline constexpr DWORD kDword = 4;

inline constexpr DWORD kKeyRead = 0x20019;
// Rights that change a key: set value, create subkey, create link.
inline constexpr DWORD kKeyWriteRights = 0x02 | 0x04 | 0x20;

class Backend {
public:
    virtual ~Backend() = default;
    virtual LONG RegOpenKeyExA(HKEY root, const std::string& subKey, DWORD options,
                               DWORD samDesired, HKEY& result) = 0;
    // `data` is the caller's buffer; `size` is its size in, the data's size out.
    virtual LONG RegQueryValueExA(HKEY key, const std::string& valueName, DWORD reserved,
                                  DWORD& type, std::string& data, DWORD& size) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;
};

} // namespace Registry
