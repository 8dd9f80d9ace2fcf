#pragma once

#include "event_vocabulary.h"
#include "host_event.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace panel_host {

// The extremes of a 32-bit number, which the boundary checks and the
// generated sequences both try as codes and values.
inline constexpr std::int32_t intMax = std::numeric_limits<std::int32_t>::max();
inline constexpr std::int32_t intMin = std::numeric_limits<std::int32_t>::min();

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

// The fixed walk through a panel that the contract checks watch: queries,
// every list chosen and cleared, timers left to run out, every button
// pressed, a route by another controller, stray tallies, ticks and codes.
std::vector<hostEvent> tourEvents(const eventVocabulary& vocabulary);

// `count` events drawn from `seed`, each one a host can deliver: list
// choices as "select=N" (-1, 0, in and out of the router's range), presses
// as "press=1", ticks of any timer id, tallies of any device and index,
// queries (long, dotted, null), waits, routes and codes 6 and 7. Texts
// (tally texts, queries) are what the host's files allow in names:
// printable, without apostrophes and control characters, so that a script
// that passes them on in a quoted command field is never blamed.
// The first k events of a sequence are the sequence of k events of the same
// seed, so a prefix replays with --events k.
std::vector<hostEvent> randomEvents(std::uint64_t seed, std::size_t count, const eventVocabulary& vocabulary);

// Query texts that probe the query handling: the usual names, empty and null
// texts, a long text and one with more dots than a message holds.
std::vector<std::optional<std::string>> probingQueries();

}  // namespace panel_host
