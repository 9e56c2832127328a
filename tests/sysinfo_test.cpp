#include "core/SysInfo.h"
#include "tests/mock/FakeRegistry.h"
#include "tests/mock/FakeSysInfo.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Registry;

namespace {

const std::string kFirst = SysInfo::kToolKey;
const std::string kSecond = SysInfo::kFolderKey;
const std::string kTool = "C:\\Tools\\msinfo32.exe";

using Strings = std::vector<std::string>;

} // namespace

TEST(SysInfoStart, LookUpOrderAndFallBack) {
    const struct {
        const char* what;
        std::function<void(FakeRegistry&)> setUp;
        Strings existing;
        Strings started;
        bool result;
    } cases[] = {
        {"first place present",
         [](FakeRegistry& r) {
             r.setString(kLocalMachine, kFirst, "PATH", kTool);
             r.setString(kLocalMachine, kSecond, "MSINFO", "C:\\Other");
         },
         {},
         {kTool},
         true},
        {"second place with the file",
         [](FakeRegistry& r) { r.setString(kLocalMachine, kSecond, "MSINFO", "C:\\Dir"); },
         {"C:\\Dir\\MSINFO32.EXE"},
         {"C:\\Dir\\MSINFO32.EXE"},
         true},
        {"second place without the file",
         [](FakeRegistry& r) { r.setString(kLocalMachine, kSecond, "MSINFO", "C:\\Dir"); },
         {},
         {},
         false},
        {"both missing", [](FakeRegistry&) {}, {}, {}, false},
        {"first place names a missing file",
         [](FakeRegistry& r) { r.setString(kLocalMachine, kFirst, "PATH", "C:\\gone.exe"); },
         {},
         {"C:\\gone.exe"},
         false},
        {"first key cannot be opened",
         [](FakeRegistry& r) {
             r.setString(kLocalMachine, kFirst, "PATH", "C:\\x.exe");
             r.failOpen(kFirst);
             r.setString(kLocalMachine, kSecond, "MSINFO", "D:");
         },
         {"D:\\MSINFO32.EXE"},
         {"D:\\MSINFO32.EXE"},
         true},
        {"first value of an unknown type",
         [](FakeRegistry& r) { r.setValue(kLocalMachine, kFirst, "PATH", rawValue(3, "ab", 2)); },
         {},
         {""},
         false},
        {"first value reports size 0",
         [](FakeRegistry& r) { r.setValue(kLocalMachine, kFirst, "PATH", rawValue(1, "ab", 0)); },
         {},
         {},
         false},
        {"first value too long for the buffer",
         [](FakeRegistry& r) {
             r.setString(kLocalMachine, kFirst, "PATH", std::string(1024, 'x'));
         },
         {},
         {},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRegistry registry;
        c.setUp(registry);
        FakeFiles files;
        files.existing = {c.existing.begin(), c.existing.end()};
        FakeStarts programs;
        programs.startable = {c.existing.begin(), c.existing.end()};
        programs.startable.insert(kTool);
        EXPECT_EQ(SysInfo::start(registry, files, programs), c.result);
        EXPECT_EQ(programs.started, c.started);
        EXPECT_EQ(registry.openHandles(), 0) << "every key is closed";
        for (DWORD rights : registry.requestedRights())
            EXPECT_EQ(rights, kKeyRead);
    }
}

TEST(SysInfoStart, SecondPlaceIsNotReadWhenTheFirstAnswers) {
    FakeRegistry registry;
    registry.setString(kLocalMachine, kFirst, "PATH", kTool);
    FakeFiles files;
    FakeStarts programs;
    programs.startable = {kTool};
    EXPECT_TRUE(SysInfo::start(registry, files, programs));
    EXPECT_EQ(registry.openedKeys(), Strings{kFirst});
    EXPECT_TRUE(files.asked.empty()) << "no existence test on the first branch";
}
