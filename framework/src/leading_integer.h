#pragma once

#include <stdint.h>

// The integer at the start of `text` as atoi reads it: optional white space,
// an optional sign, then decimal digits; no digits give 0. Unlike atoi it
// saturates at the int32 range instead of overflowing. text may be null.
int32_t leadingInteger(const char* text);
