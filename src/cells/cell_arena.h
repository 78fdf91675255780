// Room for what the octree keeps until the frame ends (children blocks and
// the reference arrays of leaves), side by side in large tracked blocks.
// The walk and the searches read these at random; packed into a few blocks
// of the frame, which the system backs with 2 MB pages, they cost far fewer
// misses of the address cache than when scattered among the temporary arrays
// of the division.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zy {

class CellArena {
public:
    /// size bytes at a multiple of alignment (a power of two), or null when
    /// memory ran out. Safe to call from the division's threads. The room is
    /// released with the frame's blocks, never alone.
    void* allocate(std::size_t size, std::size_t alignment);

private:
    void* allocate_alone(std::size_t size, std::size_t alignment);

    char* next_ = nullptr;
    std::uintptr_t end_ = 0;
    std::size_t block_ = kFirstBlock;

    // Blocks double from a size that costs a small frame nothing.
    static constexpr std::size_t kFirstBlock = std::size_t{64} << 10;
    static constexpr std::size_t kLargestBlock = std::size_t{16} << 20;
};

}  // namespace zy
