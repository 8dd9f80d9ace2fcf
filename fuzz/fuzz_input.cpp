#include "fuzz_input.h"

#include <algorithm>
#include <climits>

fuzzInput::fuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(data != nullptr ? size : 0) {}

std::uint8_t fuzzInput::byte()
{
    return empty() ? 0 : data_[position_++];
}

bool fuzzInput::flag()
{
    return (byte() & 1U) != 0;
}

unsigned fuzzInput::choice(unsigned count)
{
    return byte() % count;
}

std::int32_t fuzzInput::int32()
{
    std::uint32_t bits = 0;
    for (unsigned shift = 0; shift < 32; shift += 8) {
        bits |= static_cast<std::uint32_t>(byte()) << shift;
    }
    return static_cast<std::int32_t>(bits);
}

std::int32_t fuzzInput::interestingInt()
{
    const std::uint8_t kind = byte();
    const std::int32_t small = static_cast<std::int32_t>(byte()) - 128;
    switch (kind % 8) {
    case 0:
        return INT_MIN + (small & 3);
    case 1:
        return INT_MAX - (small & 3);
    case 2:
        return int32();
    default:
        return small;  // -128 to 127: the panel's ranges and their edges
    }
}

std::string fuzzInput::text(std::size_t maxLength)
{
    std::size_t length = byte();
    if (maxLength > 255) {
        length |= static_cast<std::size_t>(byte()) << 8;
    }
    length = std::min({length, maxLength, size_ - std::min(position_, size_)});
    const char* start = reinterpret_cast<const char*>(data_ + position_);
    position_ += length;
    const std::size_t cut = static_cast<std::size_t>(std::find(start, start + length, '\0') - start);
    return std::string(start, cut);
}
