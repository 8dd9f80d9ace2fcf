#pragma once

#include <cstddef>
#include <string>

// Helpers for checks on C texts.

// True when p is `sharedEmpty`, or a text that starts at or after buffer and
// ends with its NUL within buffer[0..length]. Safe for any p: it compares
// addresses before reading.
bool isReadableTextIn(const char* p, const char* sharedEmpty, const char* buffer, std::size_t length);

// The text with bytes outside the printable ASCII range written as \xNN, for
// failure messages.
std::string printable(const std::string& text);
