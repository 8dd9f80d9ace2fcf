#include "leading_integer.h"

#include <ctype.h>
#include <stdint.h>

int32_t leadingInteger(const char* text)
{
    if (text == nullptr) {
        return 0;
    }
    while (isspace(static_cast<unsigned char>(*text)) != 0) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    constexpr int64_t lowest = INT32_MIN;
    constexpr int64_t highest = INT32_MAX;
    int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        magnitude = magnitude * 10 + (*text - '0');
        if (magnitude > highest + 1) {
            magnitude = highest + 1;  // enough to saturate either way; stops growth
        }
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value < lowest) {
        return INT32_MIN;
    }
    if (value > highest) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}
