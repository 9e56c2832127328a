#include "core/Memory.h"

#include <cstdlib>
#include <new>

namespace Memory {

bool available(std::size_t bytes) noexcept {
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
