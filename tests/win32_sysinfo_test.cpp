// The system information look-up over Windows' own registry, file test and program start.
//   win32_sysinfo_test                the adapters' tests, over the values that
//                                     win32_sysinfo_test.sh has put in the registry
//   win32_sysinfo_test start          starts the tool as the about box does and prints
//                                     "started" or "unavailable"
// Copied as MSINFO32.EXE it stands for the tool: it leaves a file "started" beside itself.
#include "core/SysInfo.h"
#include "win32/sysinfo/SystemRegistry.h"
#include "win32/sysinfo/SystemTools.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <string>

#include <windows.h>

namespace {

namespace fs = std::filesystem;

fs::path ownPath() {
    std::wstring name(MAX_PATH, L'\0');
    name.resize(GetModuleFileNameW(nullptr, name.data(), MAX_PATH));
    return name;
}

bool isTheTool() {
    std::wstring name = ownPath().filename().wstring();
    for (wchar_t& c : name)
        c = static_cast<wchar_t>(std::towupper(c));
    return name == L"MSINFO32.EXE";
}

} // namespace

TEST(SystemRegistry, ReadsValuesWithReadRightsOnly) {
    SystemRegistry registry;
    const std::string key = "SOFTWARE\\Vemo Test";
    const struct {
        const char* value;
        bool found;
        std::string text;
    } cases[] = {
        {"Path", true, "C:\\Program Files\\Tool 1\\tool.exe"},
        {"Number", true, "7"},
        {"Missing", false, ""},
    };
    for (const auto& c : cases) {
        // A number is appended to what the text held; a missing value empties it.
        std::string text = c.found ? "" : "prima";
        EXPECT_EQ(SysInfo::getKeyValue(registry, Registry::kLocalMachine, key, c.value, text),
                  c.found)
            << c.value;
        EXPECT_EQ(text, c.text) << c.value;
    }
    Registry::HKEY opened = 0;
    EXPECT_EQ(registry.RegOpenKeyExA(Registry::kLocalMachine, key, 0, 0x2003F, opened),
              Registry::kAccessDenied);
    ASSERT_EQ(registry.RegOpenKeyExA(Registry::kLocalMachine, key, 0, Registry::kKeyRead, opened),
              Registry::kSuccess);
    EXPECT_EQ(registry.RegCloseKey(opened), Registry::kSuccess);
    EXPECT_EQ(registry.RegCloseKey(opened), Registry::kInvalidHandle);
}

TEST(SystemFileExistence, FindsNormalFilesOnly) {
    const fs::path dir = fs::temp_directory_path() / "vemo-sysinfo-test";
    fs::create_directories(dir / "MSINFO32.EXE");
    const struct {
        const char* name;
        DWORD attributes;
        bool found;
    } cases[] = {
        {"normal.exe", FILE_ATTRIBUTE_NORMAL, true},
        {"readonly.exe", FILE_ATTRIBUTE_READONLY, true},
        {"hidden.exe", FILE_ATTRIBUTE_HIDDEN, false},
        {"system.exe", FILE_ATTRIBUTE_SYSTEM, false},
    };
    SystemFileExistence files;
    for (const auto& c : cases) {
        const fs::path file = dir / c.name;
        std::ofstream(file).put('x');
        SetFileAttributesW(file.c_str(), c.attributes);
        EXPECT_EQ(files.fileName(file.string()), c.found ? c.name : "") << c.name;
        SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    EXPECT_EQ(files.fileName((dir / "MSINFO32.EXE").string()), "") << "a folder";
    EXPECT_EQ(files.fileName((dir / "missing.exe").string()), "");
    fs::remove_all(dir);
}

int main(int argc, char** argv) {
    if (isTheTool()) {
        std::ofstream(ownPath().parent_path() / "started") << "started\n";
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "start") {
        SystemRegistry registry;
        SystemFileExistence files;
        SystemProgramStart programs;
        std::puts(SysInfo::start(registry, files, programs) ? "started" : "unavailable");
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
