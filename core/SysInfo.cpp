#include "core/SysInfo.h"

#include <cstdint>
#include <stdexcept>

namespace SysInfo {

namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// What a "&h" literal of a 32-bit number reads as: its value in decimal digits. Text
// that is no such literal is kept as it is.
std::string formatHexLiteral(const std::string& literal) {
    const std::string digits = literal.substr(2);
    if (digits.empty() || digits.size() > 8)
        return literal;
    for (char c : digits)
        if (!isHexDigit(c))
            return literal;
    const auto value = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
    return std::to_string(static_cast<std::int32_t>(value));
}

} // namespace

bool getKeyValue(Registry::Backend& registry, Registry::HKEY root, const std::string& keyName,
                 const std::string& valueName, std::string& keyVal) {
    using namespace Registry;
    HKEY hKey = 0;

    struct KeyCloser {
        Backend& registry;
        HKEY& key;
        ~KeyCloser() {
            if (key != 0)
                registry.RegCloseKey(key);
        }
    } closer{registry, hKey};

    // Read rights only: asking for write rights fails for ordinary users.
    if (registry.RegOpenKeyExA(root, keyName, 0, kKeyRead, hKey) != kSuccess) {
        keyVal.clear();
        return false;
    }
    std::string tmpVal(1024, '\0');
    DWORD keyValSize = 1024;
    DWORD keyValType = 0;
    if (registry.RegQueryValueExA(hKey, valueName, 0, keyValType, tmpVal, keyValSize) != kSuccess) {
        keyVal.clear();
        return false;
    }
    if (keyValSize == 0 || keyValSize > tmpVal.size())
        throw std::out_of_range("registry value size outside its buffer");
    if (tmpVal[keyValSize - 1] == '\0')
        tmpVal.resize(keyValSize - 1);
    else
        tmpVal.resize(keyValSize);

    switch (keyValType) {
    case kString:
        keyVal = tmpVal;
        break;
    case kDword: {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        for (auto i = tmpVal.size(); i > 0; --i) {
            const auto byte = static_cast<unsigned char>(tmpVal[i - 1]);
            keyVal += kDigits[byte >> 4];
            keyVal += kDigits[byte & 0x0F];
        }
        keyVal = formatHexLiteral("&h" + keyVal);
        break;
    }
    default:
        break;
    }
    return true;
}

bool start(Registry::Backend& registry, FileExistence& files, ProgramStart& programs) noexcept {
    try {
        std::string sysInfoPath;
        if (!getKeyValue(registry, Registry::kLocalMachine, kToolKey, kToolValue, sysInfoPath)) {
            if (!getKeyValue(registry, Registry::kLocalMachine, kFolderKey, kFolderValue,
                             sysInfoPath))
                return false;
            if (files.fileName(sysInfoPath + kToolFile).empty())
                return false;
            sysInfoPath += kToolFile;
        }
        // The path as the registry gives it is the whole command line.
        return programs.start(sysInfoPath);
    } catch (...) {
        return false;
    }
}

} // namespace SysInfo
