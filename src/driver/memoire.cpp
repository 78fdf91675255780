#include "driver/memoire.h"

#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

#include "driver/address_set.h"

namespace zy {

namespace {

// Each block carries its list links and mark in front of the address handed out.
// The list is doubly linked and the live addresses are indexed (in a flat
// table, no allocation per block), so releasing a frame of a million blocks is
// linear.
struct alignas(std::max_align_t) BlockHeader {
    BlockHeader* older;
    BlockHeader* newer;
    uint8_t mark;
};

BlockHeader* newest = nullptr;
AddressSet live;
uint8_t block_mark = 0;
long fail_countdown = -1;
std::size_t calls = 0;

void* address_of(BlockHeader* b) { return b + 1; }

// Blocks that can hold a 2 MB page ask the system for such pages: a large
// scene's records and references are read at random, and with small pages
// many of those reads also miss the address cache. Where the system has no
// such pages the advice is refused, and nothing else changes.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

void advise_huge_pages(void* address, std::size_t size) {
    if (size < kHugePage) return;
    static const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(address);
    const std::uintptr_t first_page = (start + page - 1) / page * page;
    madvise(reinterpret_cast<void*>(first_page), start + size - first_page, MADV_HUGEPAGE);
}

void unlink_and_release(BlockHeader* b) {
    if (b->newer) b->newer->older = b->older;
    else newest = b->older;
    if (b->older) b->older->newer = b->newer;
    live.erase(address_of(b));
    std::free(b);
}

}  // namespace

void set_block_mark(int32_t mark) { block_mark = static_cast<uint8_t>(mark & 0xFF); }

void* my_malloc(std::size_t size) {
    ++calls;
    if (fail_countdown == 0) {
        fail_countdown = -1;
        return nullptr;
    }
    if (fail_countdown > 0) --fail_countdown;
    if (size > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
    auto* b = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (b == nullptr) return nullptr;
    void* address = address_of(b);
    // The index can run out of memory too; that is a failed allocation.
    if (!live.insert(address)) {
        std::free(b);
        return nullptr;
    }
    advise_huge_pages(address, size);
    b->older = newest;
    b->newer = nullptr;
    b->mark = block_mark;
    if (newest) newest->newer = b;
    newest = b;
    return address;
}

void my_free(void* address) {
    if (address == nullptr || !live.contains(address)) return;
    unlink_and_release(static_cast<BlockHeader*>(address) - 1);
}

void free_all(int level) {
    for (BlockHeader* b = newest; b != nullptr;) {
        BlockHeader* older = b->older;
        if (level == 0 || (b->mark & 1)) unlink_and_release(b);
        b = older;
    }
}

std::size_t tracked_block_count() { return live.size(); }

void memoire_fail_after(long n) { fail_countdown = n; }

std::size_t my_malloc_calls() { return calls; }

uint64_t physical_memory_bytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || page_size <= 0) return UINT64_MAX;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(page_size);
}

}  // namespace zy
