#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Reading and saving the program's text files, byte for byte. Nothing here ever waits on
// a pipe or a device: what is not a regular file is refused before anything is read from
// it, and a pipe is opened for writing without waiting for a reader. Every failure is a
// FileError that names the file and says why in Italian. Paths are UTF-8.
namespace TextFile {

// Files larger than this are not loaded.
inline constexpr std::int64_t kMaxFileSize = std::int64_t(256) << 20;

// Called between slices of the work with the bytes done and the bytes in all; returns
// false to give up.
using Progress = std::function<bool(std::int64_t done, std::int64_t total)>;
// Gives the caller's buffer resized to at least `size` bytes, keeping what it holds.
using Storage = std::function<char*(std::size_t size)>;
// Fills the storage it is given with a file's bytes and says how many; nothing when given
// up. A load hands one to the pane, which decides when the bytes come in.
using Reader = std::function<std::optional<std::size_t>(const Storage&)>;

// A regular file open for reading; closed when it goes.
class OpenFile {
public:
    OpenFile() = default;
    ~OpenFile();
    OpenFile(OpenFile&& other) noexcept;
    OpenFile& operator=(OpenFile&& other) noexcept;

    // Does nothing when it is already closed.
    void close() noexcept;

private:
    friend OpenFile openForReading(const std::string& path);
    friend std::optional<std::size_t> read(const OpenFile&, std::int64_t, const Storage&,
                                           const Progress&);
    OpenFile(std::intptr_t handle, const std::string& path);
    std::int64_t size() const;
    // Up to `n` bytes into `out`; 0 at the end of the file.
    std::size_t readSome(char* out, std::size_t n) const;

    std::intptr_t m_handle = -1;
    std::string m_path;
};

// Throws FileError when the file cannot be opened for reading or is not a regular file.
OpenFile openForReading(const std::string& path);

// Reads the whole of a file just opened into `storage` and returns its size, refused when
// it holds more than `limit` bytes; nothing when given up.
std::optional<std::size_t> read(const OpenFile& file, std::int64_t limit, const Storage& storage,
                                const Progress& progress = {});

// Writes `bytes` to `path`, through links (one that leads nowhere yet makes its target).
// A regular file stays what it is: it is replaced atomically where the new file can keep
// its owner, group, mode, ACL, other attributes and its other names; elsewhere it is
// written in place, with a copy of its old text kept until the new one is on the disk. On
// any failure or when given up the old file is left as it was; a device or a pipe is
// written in place. Only a file that holds every byte is reported saved. Returns false
// when given up.
bool save(const std::string& path, std::string_view bytes, const Progress& progress = {});

#ifdef _WIN32
// Whether `path` ends in a name that Windows keeps for a device in every folder (CON, PRN,
// AUX, NUL, COM1 to COM9, LPT1 to LPT9, with any extension and in any case), which opens
// the device instead of a file. Such a name is refused for reading and saving.
bool isDeviceName(const std::string& path);
#endif

} // namespace TextFile
