// Tracked memory: every scene and frame block, so that a frame's blocks or all
// blocks can be released in one call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zy {

/// Marks the blocks allocated from now on with the low byte of mark: 1 while a
/// frame is processed, so that free_all(1) releases them, 0 for the scene's.
void set_block_mark(int32_t mark);
/// Allocates size bytes carrying the current mark; null on failure.
void* my_malloc(std::size_t size);
/// Releases a block handed out by my_malloc; other addresses are ignored.
void my_free(void* address);
/// The first address in block that is a multiple of alignment (a power of
/// two): for a block allocated alignment bytes larger than its contents need.
inline void* align_up(void* block, std::size_t alignment) {
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    return reinterpret_cast<void*>((address + alignment - 1) & ~(alignment - 1));
}
/// Level 0 releases every block; another level only the blocks marked per-frame.
void free_all(int level);

/// Number of blocks currently tracked.
std::size_t tracked_block_count();
/// Test hook: the allocation after `n` more successful ones fails (n < 0: never).
void memoire_fail_after(long n);
/// Test hook: calls of my_malloc since the process started.
std::size_t my_malloc_calls();

/// The machine's physical memory as the system reports it (UINT64_MAX when it
/// does not say).
uint64_t physical_memory_bytes();

}  // namespace zy
