#pragma once
// A pseudo-random sequence that is the same on every machine (SplitMix64),
// unlike the distributions of <random>, so that generated projects come out
// the same byte for byte on every run.

#include <cstddef>
#include <cstdint>

namespace lacgen {

class Sequence {
public:
    explicit Sequence(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }

    // A whole number from `low` to `high`, both included.
    int between(int low, int high) {
        return low + static_cast<int>(next() % static_cast<std::uint64_t>(high - low + 1));
    }

    // True `percent` times in a hundred.
    bool chance(int percent) { return between(1, 100) <= percent; }

    // One of the items, each as likely.
    template <typename Items>
    const auto& pick(const Items& items) {
        return items[static_cast<std::size_t>(between(0, static_cast<int>(std::size(items)) - 1))];
    }

private:
    std::uint64_t state_;
};

}  // namespace lacgen
