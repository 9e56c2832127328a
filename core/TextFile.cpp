#include "core/TextFile.h"

#include "core/Errors.h"

#include <algorithm>
#include <utility>

namespace TextFile {

namespace {

constexpr std::int64_t kMiB = 1 << 20;
constexpr std::int64_t kSlice = 4 * kMiB;

} // namespace

OpenFile::OpenFile(OpenFile&& other) noexcept
    : m_handle(std::exchange(other.m_handle, -1))
    , m_path(std::move(other.m_path)) {}

OpenFile& OpenFile::operator=(OpenFile&& other) noexcept {
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

OpenFile::~OpenFile() {
    close();
}

std::optional<std::size_t> read(const OpenFile& file, std::int64_t limit, const Storage& storage,
                                const Progress& progress) {
    const std::int64_t size = file.size();
    const auto tooLarge = [&] {
        return FileError(FileError::Action::Read, file.m_path, FileError::Reason::TooLarge,
                         limit / kMiB);
    };
    if (size > limit)
        throw tooLarge();
    // One byte more than its size, to notice a file that grows while it is read.
    std::int64_t capacity = size + 1;
    char* data = storage(std::size_t(capacity));
    std::int64_t done = 0;
    for (;;) {
        if (done == capacity) {
            if (done > limit)
                throw tooLarge();
            capacity = std::min(2 * done, limit + 1);
            data = storage(std::size_t(capacity));
        }
        const std::size_t n =
            file.readSome(data + done, std::size_t(std::min(kSlice, capacity - done)));
        if (n == 0)
            break;
        done += std::int64_t(n);
        if (progress && !progress(done, std::max(size, done)))
            return std::nullopt;
    }
    if (done > limit)
        throw tooLarge();
    return std::size_t(done);
}

} // namespace TextFile
