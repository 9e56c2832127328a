#include "core/Errors.h"
#include "core/TextFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <functional>
#include <grp.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// Paths in the tests are UTF-8, as the program gives them.
fs::path pathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

class TempDir {
public:
    TempDir() {
        std::random_device random;
        do {
            m_path =
                (fs::temp_directory_path() / ("vemo-test-" + std::to_string(random()))).string();
        } while (!fs::create_directory(m_path));
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_path)) {
            const std::u8string name = entry.path().filename().u8string();
            names.emplace_back(name.begin(), name.end());
        }
        return names;
    }

private:
    std::string m_path;
};

std::string readAll(const std::string& path) {
    std::ifstream f(pathOf(path), std::ios::binary);
    if (!f)
        return "<unreadable>";
    return {std::istreambuf_iterator<char>(f), {}};
}

std::string read(const std::string& path, std::int64_t limit) {
    std::string data;
    const auto size = TextFile::read(TextFile::openForReading(path), limit, [&data](std::size_t n) {
        data.resize(n);
        return data.data();
    });
    data.resize(size.value());
    return data;
}

#ifndef _WIN32
std::string makeFifo(const TempDir& dir) {
    const std::string path = dir.file("pipe.txt");
    ::mkfifo(path.c_str(), 0600);
    return path;
}

std::string makeSocket(const TempDir& dir) {
    const std::string path = dir.file("socket.txt");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(fd);
    return path;
}
#endif

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

using Reason = FileError::Reason;

} // namespace

TEST(TextFile, WritesAndReadsBytesExactly) {
    TempDir dir;
    // A name outside ASCII reaches the system as the same name.
    const std::string path = dir.file("perché.txt");
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    ASSERT_TRUE(TextFile::save(path, "old content"));
#ifdef _WIN32
    SetFileAttributesW(pathOf(path).c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
    ::chmod(path.c_str(), 0640);
#endif
    ASSERT_TRUE(TextFile::save(path, all));
    EXPECT_EQ(readAll(path), all);
    EXPECT_EQ(read(path, 1000), all);
#ifdef _WIN32
    EXPECT_TRUE(GetFileAttributesW(pathOf(path).c_str()) & FILE_ATTRIBUTE_HIDDEN)
        << "a replaced file keeps its attributes";
#else
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
#endif
    // Given up half way: the old file stays.
    EXPECT_FALSE(TextFile::save(path, std::string(9 << 20, 'x'),
                                [](std::int64_t, std::int64_t) { return false; }));
    EXPECT_EQ(readAll(path), all);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"perché.txt"});
}

TEST(TextFile, RefusesWhatIsNotARegularFileWithoutWaiting) {
    TempDir dir;
    const std::string big = dir.file("big.txt");
    ASSERT_TRUE(TextFile::save(big, std::string(2048, 'x')));
    const struct {
        std::string path;
        Reason reason;
        std::string words;
    } cases[] = {
#ifdef _WIN32
        {"NUL", Reason::Device, "è un dispositivo, non un file normale"},
#else
        {makeFifo(dir), Reason::Pipe, "è una pipe (FIFO), non un file normale"},
        {makeSocket(dir), Reason::Socket, "è un socket, non un file normale"},
        {"/dev/zero", Reason::Device, "è un dispositivo, non un file normale"},
#endif
        {dir.path(), Reason::IsFolder, "è una cartella, non un file"},
        {dir.file("missing.txt"), Reason::NotFound, "il file non esiste"},
        {big, Reason::TooLarge, "il file supera il limite di 0 MiB"},
    };
    for (const auto& c : cases) {
        try {
            read(c.path, 1024);
            ADD_FAILURE() << c.path;
        } catch (const FileError& e) {
            EXPECT_EQ(e.kind(), c.reason) << c.path;
            EXPECT_EQ(e.reason(), c.words);
            EXPECT_TRUE(contains(e.message(), c.path));
        }
        if (c.reason != Reason::TooLarge) {
            EXPECT_THROW(TextFile::openForReading(c.path), FileError);
        }
    }
}

TEST(TextFile, SaveFailuresSayWhyAndKeepWhatWasThere) {
    TempDir dir;
    const std::string existing = dir.file("keep.txt");
    TextFile::save(existing, "precious");
    const struct {
        std::string path;
        Reason reason;
    } cases[] = {
#ifdef _WIN32
        {dir.file("a?b.txt"), Reason::InvalidName},
#else
        {existing + "/below-a-file.txt", Reason::NotAFolder},
        {"/dev/full", Reason::NoSpace},
        {makeFifo(dir), Reason::NoReader},
        {makeSocket(dir), Reason::Socket},
#endif
        {dir.file("no/such/folder.txt"), Reason::FolderNotFound},
        {dir.path(), Reason::IsFolder},
        {dir.file(std::string(300, 'n')), Reason::NameTooLong},
        {std::string(), Reason::NoName},
    };
    for (const auto& c : cases) {
        try {
            TextFile::save(c.path, std::string(64 * 1024, 'x'));
            ADD_FAILURE() << "no error for " << c.path;
        } catch (const FileError& e) {
            EXPECT_EQ(e.kind(), c.reason) << c.path;
            EXPECT_EQ(e.path(), c.path);
            EXPECT_EQ(e.message().rfind("Impossibile salvare il file", 0), 0u);
        }
    }
    EXPECT_EQ(readAll(existing), "precious");
}

#ifdef _WIN32
// Another program holding the file: without sharing it, it can be neither loaded nor saved;
// sharing all but its deletion, the new file is written but cannot take the old one's place.
// The program's own file slot shares everything, and saving over the loaded file works.
TEST(TextFile, AFileHeldOpenElsewhere) {
    TempDir dir;
    const std::string path = dir.file("held.txt");
    TextFile::save(path, "precious");
    const auto holdWith = [&](DWORD share) {
        return CreateFileW(pathOf(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE held = holdWith(0);
    try {
        read(path, 1024);
        ADD_FAILURE() << "read while held";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), Reason::InUse);
    }
    try {
        TextFile::save(path, "new");
        ADD_FAILURE() << "saved while held";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), Reason::InUse);
    }
    CloseHandle(held);

    held = holdWith(FILE_SHARE_READ | FILE_SHARE_WRITE);
    try {
        TextFile::save(path, "new");
        ADD_FAILURE() << "replaced while held";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), Reason::InUse) << e.message();
    }
    CloseHandle(held);
    EXPECT_EQ(readAll(path), "precious");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"held.txt"});

    TextFile::OpenFile slot = TextFile::openForReading(path);
    EXPECT_TRUE(TextFile::save(path, "new"));
    slot.close();
    EXPECT_EQ(readAll(path), "new");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"held.txt"});
}

// Windows opens a device for these names in every folder: they are refused before
// anything is opened, for loading and for saving. Names that only look alike are files.
TEST(TextFile, DeviceNamesAreNoFiles) {
    TempDir dir;
    for (const std::string name :
         {"NUL.txt", "nul", "Aux.TXT", "con.txt", "PRN.doc.txt", "COM1.txt", "com9", "LPT1.txt",
          "lPt9.log", "NUL.txt.", "NUL .txt", "COM\xc2\xb9.txt", "lpt\xc2\xb3", "CONIN$",
          "conout$.txt", "NUL:", "AUX:stream"}) {
        for (const std::string& path : {name, dir.file(name), "C:" + name}) {
            try {
                TextFile::save(path, "testo");
                ADD_FAILURE() << "saved " << path;
            } catch (const FileError& e) {
                EXPECT_EQ(e.kind(), Reason::Device) << path;
            }
            try {
                TextFile::openForReading(path);
                ADD_FAILURE() << "opened " << path;
            } catch (const FileError& e) {
                EXPECT_EQ(e.kind(), Reason::Device) << path;
            }
            EXPECT_TRUE(TextFile::isDeviceName(path)) << path;
        }
    }
    EXPECT_TRUE(dir.entries().empty());
    for (const std::string name : {"COM10.txt", "LPT0.txt", "nullo.txt", "console.txt", "xNUL.txt",
                                   "AUXILIARY", "COM\xc2\xb4.txt"}) {
        EXPECT_FALSE(TextFile::isDeviceName(dir.file(name))) << name;
        EXPECT_TRUE(TextFile::save(dir.file(name), "testo")) << name;
        EXPECT_EQ(read(dir.file(name), 100), "testo") << name;
    }
}

// A file with another name (a hard link) is written into, so that both names hold the text.
TEST(TextFile, SavingKeepsTheFilesOtherNames) {
    TempDir dir;
    const std::string path = dir.file("doc.txt");
    const std::string other = dir.file("altro nome.txt");
    TextFile::save(path, "vecchio testo");
    ASSERT_TRUE(CreateHardLinkA(other.c_str(), path.c_str(), nullptr));
    ASSERT_TRUE(TextFile::save(path, "nuovo"));
    EXPECT_EQ(read(other, 100), "nuovo");
    EXPECT_EQ(read(path, 100), "nuovo");
    EXPECT_EQ(dir.entries().size(), 2u);
}
#else
// A real full disk: a small tmpfs, where the new file cannot be written whole.
TEST(TextFile, FullDiskKeepsTheOldFile) {
    TempDir dir;
    if (::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const std::string path = dir.file("doc.txt");
    TextFile::save(path, "vecchio");
    try {
        TextFile::save(path, std::string(1 << 20, 'x'));
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.reason(), "il disco è pieno");
    }
    EXPECT_EQ(readAll(path), "vecchio");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"doc.txt"});
    ::umount(dir.path().c_str());
}

namespace {

std::string attribute(const std::string& path, const char* name) {
    std::string value(256, '\0');
    const ssize_t n = ::getxattr(path.c_str(), name, value.data(), value.size());
    return n < 0 ? "<none>" : value.substr(0, std::size_t(n));
}

// Runs `work` in a child process, as the user nobody when `nobody`; its exit status, or
// -1 when it was killed.
int inChild(bool nobody, const std::function<bool()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        const gid_t group = 65534;
        if (nobody && (::setgroups(1, &group) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        try {
            ::_exit(work() ? 0 : 1);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            ::_exit(3);
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

// A file keeps its ACL, its attributes, its other names, and a link leads to it.
TEST(TextFile, SavingKeepsWhatTheFileIs) {
    TempDir dir;
    const std::string path = dir.file("doc.txt");
    TextFile::save(path, "vecchio");
    ::chmod(path.c_str(), 0640);
    // user::rw- user:nobody:rw- group::r-- mask::rw- other::r--
    const std::string acl("\x02\0\0\0"
                          "\x01\0\x06\0\xff\xff\xff\xff"
                          "\x02\0\x06\0\xfe\xff\0\0"
                          "\x04\0\x04\0\xff\xff\xff\xff"
                          "\x10\0\x06\0\xff\xff\xff\xff"
                          "\x20\0\x04\0\xff\xff\xff\xff",
                          44);
    if (::setxattr(path.c_str(), "user.note", "x", 1, 0) != 0 ||
        ::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
        GTEST_SKIP() << "no ACLs or extended attributes here";
    ASSERT_TRUE(TextFile::save(path, "nuovo"));
    EXPECT_EQ(attribute(path, "system.posix_acl_access"), acl);
    EXPECT_EQ(attribute(path, "user.note"), "x");
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0664u);

    const std::string other = dir.file("other name.txt");
    ::link(path.c_str(), other.c_str());
    ASSERT_TRUE(TextFile::save(path, "per tutti i nomi"));
    EXPECT_EQ(readAll(other), "per tutti i nomi");
    EXPECT_EQ(attribute(other, "user.note"), "x");

    const std::string link = dir.file("link.txt");
    ::symlink("new.txt", link.c_str());
    ASSERT_TRUE(TextFile::save(link, "dove porta"));
    EXPECT_EQ(readAll(dir.file("new.txt")), "dove porta");
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(dir.entries().size(), 4u);
}

// A save killed half way leaves its part under a name made from the file's, which the
// next save removes; a save into the file itself that fails puts the old text back.
TEST(TextFile, NothingLeftBehind) {
    TempDir dir;
    const std::string path = dir.file("doc.txt");
    TextFile::save(path, "vecchio");
    EXPECT_EQ(inChild(false,
                      [&] {
                          return TextFile::save(
                              path, std::string(9 << 20, 'x'),
                              [](std::int64_t, std::int64_t) { return ::raise(SIGKILL) == 0; });
                      }),
              -1);
    std::vector<std::string> left = dir.entries();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(std::max(left[0], left[1]).rfind("doc.txt.vemo-", 0), 0u);
    EXPECT_EQ(readAll(path), "vecchio");
    TextFile::save(path, "nuovo");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"doc.txt"});

    ::link(path.c_str(), dir.file("other.txt").c_str());
    EXPECT_FALSE(TextFile::save(path, std::string(9 << 20, 'x'),
                                [](std::int64_t, std::int64_t) { return false; }));
    EXPECT_EQ(readAll(path), "nuovo");
    EXPECT_EQ(dir.entries().size(), 2u);
    if (::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "mounting a tmpfs needs root";
    TextFile::save(path, std::string(20000, 'v'));
    ::link(path.c_str(), dir.file("other.txt").c_str());
    EXPECT_THROW(TextFile::save(path, std::string(1 << 20, 'x')), FileError);
    EXPECT_EQ(readAll(dir.file("other.txt")), std::string(20000, 'v'));
    EXPECT_EQ(dir.entries().size(), 2u);
    ::umount(dir.path().c_str());
}

// Another user saves: the file stays its owner's, with its group and mode, whatever the
// folder allows.
TEST(TextFile, SavingAnotherOwnersFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to be another user";
    const struct {
        mode_t folder;
        uid_t owner;
        mode_t mode;
    } cases[] = {
        {0777, 0, 0664},     // the group may write
        {0755, 65534, 0644}, // the folder may not be written
        {01777, 0, 0664},    // a sticky folder
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.file("doc.txt");
        TextFile::save(path, "vecchio");
        ::chown(path.c_str(), c.owner, 65534);
        ::chmod(path.c_str(), c.mode);
        ::chmod(dir.path().c_str(), c.folder);
        EXPECT_EQ(inChild(true, [&] { return TextFile::save(path, "nuovo"); }), 0) << c.folder;
        struct stat st {};
        ::stat(path.c_str(), &st);
        EXPECT_EQ(readAll(path), "nuovo");
        EXPECT_EQ(st.st_uid, c.owner);
        EXPECT_EQ(st.st_gid, 65534u);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"doc.txt"});
    }
}

#endif

TEST(TextFile, NoErrorNumberShowsTheSystemsEnglishWords) {
    for (int error = 1; error < 134; ++error) {
        const FileError e(FileError::Action::Write, "x",
                          FileError::reasonOf(error, FileError::Action::Write), error);
        EXPECT_FALSE(e.reason().empty());
        EXPECT_FALSE(contains(e.reason(), std::strerror(error)));
    }
}
