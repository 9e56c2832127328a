#include "core/Memory.h"

#include <cstdlib>
#include <new>

namespace Memory {

// Less is not worth asking for: a program that cannot have it fails anyway, and a probe is
// not free everywhere (the sanitizers mark every block they hand out).
constexpr std::size_t kWorthAsking = std::size_t(64) << 20;

bool available(std::size_t bytes) noexcept {
    if (bytes < kWorthAsking)
        return true;
    // A large block is only reserved, never touched: asking costs no time.
    void* block = std::malloc(bytes);
    std::free(block);
    return block != nullptr || bytes == 0;
}

void require(std::size_t bytes) {
    if (!available(bytes))
        throw std::bad_alloc();
}

} // namespace Memory
