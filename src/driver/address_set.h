// A set of addresses in one flat table: open addressing with linear probing
// and backward-shift removal, so that a member costs a slot and no allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace zy {

class AddressSet {
public:
    /// Adds address, which must be neither null nor a member; false when the
    /// table could not grow (the set is unchanged).
    bool insert(const void* address) {
        if (2 * (count_ + 1) > slots_.size() && !grow()) return false;
        place(key(address));
        ++count_;
        return true;
    }

    bool contains(const void* address) const { return count_ > 0 && slots_[find(key(address))] != 0; }

    /// Removes address if it is a member.
    void erase(const void* address) {
        if (count_ == 0) return;
        std::size_t hole = find(key(address));
        if (slots_[hole] == 0) return;
        // Members after the hole move back unless their home lies in between.
        for (std::size_t j = next(hole); slots_[j] != 0; j = next(j)) {
            const std::size_t home = home_of(slots_[j]);
            const bool stays = hole < j ? (hole < home && home <= j) : (hole < home || home <= j);
            if (stays) continue;
            slots_[hole] = slots_[j];
            hole = j;
        }
        slots_[hole] = 0;
        --count_;
    }

    std::size_t size() const { return count_; }

private:
    static uintptr_t key(const void* address) { return reinterpret_cast<uintptr_t>(address); }
    std::size_t mask() const { return slots_.size() - 1; }
    std::size_t next(std::size_t i) const { return (i + 1) & mask(); }
    std::size_t home_of(uintptr_t k) const { return static_cast<std::size_t>((k >> 4) * 0x9E3779B97F4A7C15ull) & mask(); }

    // The slot holding k, or the empty slot where it would go.
    std::size_t find(uintptr_t k) const {
        std::size_t i = home_of(k);
        while (slots_[i] != 0 && slots_[i] != k) i = next(i);
        return i;
    }
    void place(uintptr_t k) { slots_[find(k)] = k; }

    bool grow() {
        std::vector<uintptr_t> old;
        try {
            old.resize(slots_.empty() ? 1024 : 2 * slots_.size());
        } catch (const std::bad_alloc&) {
            return false;
        }
        old.swap(slots_);
        for (uintptr_t k : old)
            if (k != 0) place(k);
        return true;
    }

    std::vector<uintptr_t> slots_;  // 0: empty; a power of two in size
    std::size_t count_ = 0;
};

}  // namespace zy
