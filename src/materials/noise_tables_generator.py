#!/usr/bin/env python3
"""Writes noise_tables.cpp: the lattice records and the hash permutation.

Run once; the output is fixed data of the program and every noisy picture
depends on it, so it is never regenerated with other choices. The known rows
are kept exactly; everything between them comes from a fixed-seed splitmix64
stream, so running this again gives the same file byte for byte.

    python3 noise_tables_generator.py > noise_tables.cpp
"""

R_HEAD = [-1.0, -0.61239, 0.149523, -0.970886, -0.595514, -0.753658,
          0.270222, -0.105241, 0.147784, -0.923247, 0.495537, -0.702235]
R_TAIL = [0.290547, 0.047318, 0.220966, 0.854154, 0.908354, 0.68069,
          0.790921, 0.717647, -0.981872, 0.242054, 0.792416, -0.347402]
R_SIZE = 267
R_NEGATIVE = 130     # negative entries in the whole table
R_LARGEST = 0.987182  # the largest entry; -1.0 (entry 0) is the smallest

HASH_HEAD = [376, 3401, 2678, 3032, 868, 1939, 1899, 3177, 1747, 3935, 2479, 2790]
HASH_TAIL = [702, 130, 1977, 329]
HASH_SIZE = 4096

MASK64 = (1 << 64) - 1


class SplitMix64:
    def __init__(self, seed):
        self.state = seed & MASK64

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & MASK64
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
        return z ^ (z >> 31)

    def below(self, n):
        """Uniform integer in 0 .. n-1 (rejection keeps it unbiased)."""
        limit = (1 << 64) - ((1 << 64) % n)
        while True:
            v = self.next()
            if v < limit:
                return v % n

    def shuffle(self, items):
        for i in range(len(items) - 1, 0, -1):
            j = self.below(i + 1)
            items[i], items[j] = items[j], items[i]


def micro(value):
    """A value with six decimals as an integer number of millionths."""
    return round(value * 1000000)


def middle_of_r_table(rng):
    count = R_SIZE - len(R_HEAD) - len(R_TAIL)
    known = R_HEAD + R_TAIL
    negatives = R_NEGATIVE - sum(1 for v in known if v < 0)
    # Strictly inside (-1, 0) and [0, largest): -1.0 and the largest stay unique.
    values = [-(1 + rng.below(999999)) for _ in range(negatives)]
    values += [rng.below(micro(R_LARGEST)) for _ in range(count - negatives - 1)]
    values.append(micro(R_LARGEST))
    rng.shuffle(values)
    return values


def middle_of_hash_table(rng):
    fixed = set(HASH_HEAD + HASH_TAIL)
    values = [v for v in range(HASH_SIZE) if v not in fixed]
    rng.shuffle(values)
    return values


def format_micro(m):
    if m == 0:
        return "0.0"
    sign = "-" if m < 0 else ""
    whole, frac = divmod(abs(m), 1000000)
    text = f"{sign}{whole}.{frac:06d}".rstrip("0")
    return text + "0" if text.endswith(".") else text


def rows(items, per_row):
    for i in range(0, len(items), per_row):
        yield "    " + " ".join(f"{v}," for v in items[i:i + per_row])


def main():
    rng = SplitMix64(0x5A59524159)
    r_table = [micro(v) for v in R_HEAD] + middle_of_r_table(rng) + [micro(v) for v in R_TAIL]
    hash_table = HASH_HEAD + middle_of_hash_table(rng) + HASH_TAIL
    assert len(r_table) == R_SIZE and sorted(hash_table) == list(range(HASH_SIZE))

    print("// Fixed data of the lattice noise, written by noise_tables_generator.py.")
    print("// Never edit or regenerate: every noisy picture depends on these numbers.")
    print('#include "materials/noise.h"')
    print()
    print("namespace zy {")
    print()
    print("// Lattice records: a constant term and three slopes from any index 0..255.")
    print(f"const double r_table[{R_SIZE}] = {{")
    print("\n".join(rows([format_micro(v) for v in r_table], 6)))
    print("};")
    print()
    print("// A permutation of 0..4095.")
    print(f"const short hash_table[{HASH_SIZE}] = {{")
    print("\n".join(rows(hash_table, 12)))
    print("};")
    print()
    print("}  // namespace zy")


if __name__ == "__main__":
    main()
