#pragma once

// The text of `value` in `base` (2..36, anything else means 10), padded on the
// left to `width` characters with `fill`; a NUL fill pads with blanks. With a
// '0' fill the sign stays in front of the zeros.
//
// Returns the length of that text. Writes it to `out` (no terminating NUL)
// only when it fits in `capacity` characters; otherwise writes nothing, and
// the caller asks again with room for the returned length.
unsigned formatNumber(char* out, unsigned capacity, int value, char fill, unsigned width, int base);

// Room for any number without padding: 32 binary digits and a sign.
constexpr unsigned naturalNumberCapacity = 33;
