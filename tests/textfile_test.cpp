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
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

#endif

TEST(TextFile, NoErrorNumberShowsTheSystemsEnglishWords) {
    for (int error = 1; error < 134; ++error) {
        const FileError e(FileError::Action::Write, "x",
                          FileError::reasonOf(error, FileError::Action::Write), error);
        EXPECT_FALSE(e.reason().empty());
        EXPECT_FALSE(contains(e.reason(), std::strerror(error)));
    }
}
