// Tracked memory: every scene and frame block, so that a frame's blocks or all
// blocks can be released in one call.
#pragma once

#include <cstddef>

namespace zy {

/// Allocates size bytes marked with the low byte of flag_temporaire; null on failure.
void* my_malloc(std::size_t size);
/// Releases a block handed out by my_malloc; other addresses are ignored.
void my_free(void* address);
/// Level 0 releases every block; another level only the blocks marked per-frame.
void free_all(int level);

/// Number of blocks currently tracked.
std::size_t tracked_block_count();
/// Test hook: the allocation after `n` more successful ones fails (n < 0: never).
void memoire_fail_after(long n);

}  // namespace zy
