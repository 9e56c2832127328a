#include "win32/sysinfo/SystemRegistry.h"

#include <windows.h>

// <windows.h> has names of its own for LONG, DWORD and HKEY: the look-up's are spelled out.
namespace R = Registry;

namespace {

// The predefined roots, HKEY_CLASSES_ROOT (0x80000000) to HKEY_CURRENT_USER_LOCAL_SETTINGS
// (0x80000007): Windows takes their 32-bit numbers sign-extended.
bool isRoot(R::HKEY key) {
    return key >= 0x80000000u && key <= 0x80000007u;
}

HKEY windowsKey(std::uintptr_t key) {
    return reinterpret_cast<HKEY>(key);
}

} // namespace

std::uintptr_t SystemRegistry::keyOf(R::HKEY key) const {
    if (isRoot(key))
        return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<R::LONG>(key)));
    const auto found = m_open.find(key);
    return found == m_open.end() ? 0 : reinterpret_cast<std::uintptr_t>(found->second.get());
}

R::LONG SystemRegistry::RegOpenKeyExA(R::HKEY root, const std::string& subKey, R::DWORD options,
                                      R::DWORD samDesired, R::HKEY& result) {
    if (samDesired & R::kKeyWriteRights)
        return R::kAccessDenied;
    const std::uintptr_t parent = keyOf(root);
    if (parent == 0)
        return R::kInvalidHandle;
    HKEY opened = nullptr;
    const R::LONG status =
        ::RegOpenKeyExA(windowsKey(parent), subKey.c_str(), options, R::kKeyRead, &opened);
    if (status != R::kSuccess)
        return status;
    result = m_next++;
    m_open[result].reset(opened);
    return R::kSuccess;
}

R::LONG SystemRegistry::RegQueryValueExA(R::HKEY key, const std::string& valueName,
                                         R::DWORD /*reserved*/, R::DWORD& type, std::string& data,
                                         R::DWORD& size) {
    const std::uintptr_t opened = keyOf(key);
    if (opened == 0 || isRoot(key))
        return R::kInvalidHandle;
    // Never more than the caller's buffer holds, whatever size it claims.
    DWORD windowsType = 0;
    DWORD windowsSize = size < data.size() ? size : static_cast<DWORD>(data.size());
    const R::LONG status =
        ::RegQueryValueExA(windowsKey(opened), valueName.c_str(), nullptr, &windowsType,
                           reinterpret_cast<BYTE*>(data.data()), &windowsSize);
    type = windowsType;
    size = windowsSize;
    return status;
}

R::LONG SystemRegistry::RegCloseKey(R::HKEY key) {
    const auto found = m_open.find(key);
    if (found == m_open.end())
        return isRoot(key) ? R::kSuccess : R::kInvalidHandle;
    const R::LONG status = ::RegCloseKey(found->second.release());
    m_open.erase(found);
    return status;
}
