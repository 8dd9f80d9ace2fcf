#include "leading_integer.h"

#include <cctype>
#include <limits>

std::int32_t leadingInteger(const char* text)
{
    if (text == nullptr) {
        return 0;
    }
    while (std::isspace(static_cast<unsigned char>(*text)) != 0) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > highest + 1) {
            magnitude = highest + 1;  // enough to saturate either way; stops growth
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < lowest) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (value > highest) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}
