#include "number_text.h"

#include <string.h>

namespace {

const char digitCharacters[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// The digit helpers take the base as a constant (Base 10, which the compiler
// divides by with a multiplication) or, with Base 0, as `runtimeBase`.

// How many digits `magnitude` has.
template <unsigned Base>
unsigned countDigits(unsigned magnitude, unsigned runtimeBase)
{
    const unsigned divisor = Base != 0 ? Base : runtimeBase;
    unsigned count = 1;
    for (unsigned rest = magnitude / divisor; rest != 0; rest /= divisor) {
        ++count;
    }
    return count;
}

// Writes the digits of `magnitude` backwards, ending just before `end`.
template <unsigned Base>
void writeDigits(char* end, unsigned magnitude, unsigned runtimeBase)
{
    const unsigned divisor = Base != 0 ? Base : runtimeBase;
    do {
        *--end = digitCharacters[magnitude % divisor];
        magnitude /= divisor;
    } while (magnitude != 0);
}

}  // namespace

unsigned formatNumber(char* out, unsigned capacity, int value, char fill, unsigned width, int base)
{
    const bool decimal = base < 2 || base > 36 || base == 10;
    const unsigned divisor = decimal ? 10U : static_cast<unsigned>(base);
    // The magnitude as unsigned, so that INT_MIN has one too.
    const unsigned magnitude = value < 0 ? 0U - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    const unsigned digitCount = decimal ? countDigits<10>(magnitude, 10U) : countDigits<0>(magnitude, divisor);
    const unsigned signLength = value < 0 ? 1U : 0U;
    const unsigned natural = signLength + digitCount;
    const unsigned length = width > natural ? width : natural;
    if (length > capacity) {
        return length;
    }

    char* p = out;
    const unsigned padding = length - natural;
    if (padding != 0 && fill != '0') {
        memset(p, fill == '\0' ? ' ' : fill, padding);
        p += padding;
    }
    if (signLength != 0) {
        *p++ = '-';
    }
    if (padding != 0 && fill == '0') {
        // Zeros go between the sign and the digits.
        memset(p, '0', padding);
        p += padding;
    }
    if (decimal) {
        writeDigits<10>(p + digitCount, magnitude, 10U);
    } else {
        writeDigits<0>(p + digitCount, magnitude, divisor);
    }
    return length;
}
