#include "seeded_random.h"

namespace panel_host {

std::uint64_t seededRandom::next()
{
    state_ += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t seededRandom::below(std::uint64_t bound)
{
    // Rejects the few values that would make the low results more likely.
    const std::uint64_t threshold = (0 - bound) % bound;
    std::uint64_t value = next();
    while (value < threshold) {
        value = next();
    }
    return value % bound;
}

std::int32_t seededRandom::between(std::int32_t low, std::int32_t high)
{
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(high) - low) + 1;
    return static_cast<std::int32_t>(low + static_cast<std::int64_t>(below(span)));
}

bool seededRandom::chance(unsigned percent)
{
    return below(100) < percent;
}

}  // namespace panel_host
