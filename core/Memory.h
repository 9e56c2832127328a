#pragma once

#include <cstddef>

// Work that needs much memory asks for it first, so that it can be refused before it
// changes anything.
namespace Memory {

// Whether `bytes` more can be had now: they are asked for and given back at once (less
// than 64 MiB is taken as there).
bool available(std::size_t bytes) noexcept;
// Throws std::bad_alloc unless `bytes` more can be had now.
void require(std::size_t bytes);

} // namespace Memory
