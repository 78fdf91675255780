#include "cells/cell_arena.h"

#include <algorithm>

#include "driver/memoire.h"

namespace zy {

void* CellArena::allocate(std::size_t size, std::size_t alignment) {
    void* address;
    // The tracked allocator serves one thread at a time.
#pragma omp critical(zy_cell_memory)
    address = allocate_alone(size, alignment);
    return address;
}

void* CellArena::allocate_alone(std::size_t size, std::size_t alignment) {
    auto start = reinterpret_cast<std::uintptr_t>(align_up(next_, alignment));
    if (next_ == nullptr || start + size > end_) {
        const std::size_t bytes = std::max(block_, size + alignment);
        auto* const block = static_cast<char*>(my_malloc(bytes));
        if (block == nullptr) return nullptr;
        block_ = std::min(block_ * 2, kLargestBlock);
        next_ = block;
        end_ = reinterpret_cast<std::uintptr_t>(block) + bytes;
        start = reinterpret_cast<std::uintptr_t>(align_up(next_, alignment));
    }
    next_ = reinterpret_cast<char*>(start + size);
    return reinterpret_cast<void*>(start);
}

}  // namespace zy
