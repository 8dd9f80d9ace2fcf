#pragma once

#include <string>

// The text of `value` in `base` (2..36, anything else means 10), padded on the
// left to `width` characters with `fill`; a NUL fill pads with blanks. With a
// '0' fill the sign stays in front of the zeros.
std::string formatNumber(int value, char fill, unsigned width, int base);
