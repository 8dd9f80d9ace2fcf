#pragma once

#include <cstdint>
#include <vector>

namespace panel_host {

// A small seeded generator (splitmix64) with its own bounded draws, so that a
// seed gives the same numbers with every compiler, library and word size.
class seededRandom {
public:
    explicit seededRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next();
    // Uniform in [0, bound); bound must be above 0.
    std::uint64_t below(std::uint64_t bound);
    // Uniform in [low, high], both included; low <= high.
    std::int32_t between(std::int32_t low, std::int32_t high);
    // True with a chance of `percent` in 100.
    bool chance(unsigned percent);

    template <typename T>
    const T& pick(const std::vector<T>& items)
    {
        return items[static_cast<std::size_t>(below(items.size()))];
    }

private:
    std::uint64_t state_;
};

}  // namespace panel_host
