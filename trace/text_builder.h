#pragma once

#include <stddef.h>
#include <stdint.h>

// Writes `number` in decimal into the end of `digits`; returns how many
// digits it wrote (they end at digits + 10).
size_t decimalDigits(uint32_t number, char (&digits)[10]);

// A NUL-terminated text in a caller's fixed buffer, for paths and debug
// messages. Appending never overruns: once the buffer is full, further text
// is dropped and overflowed() tells so.
class textBuilder {
public:
    // buffer: at least one byte, owned by the caller; starts empty.
    textBuilder(char* buffer, size_t size);

    textBuilder& add(const char* text);  // null adds nothing
    textBuilder& add(const char* text, size_t length);
    textBuilder& addDecimal(uint32_t number);

    // Drops everything after the first `length` bytes.
    void truncate(size_t length);

    const char* text() const { return buffer_; }
    size_t length() const { return length_; }
    bool overflowed() const { return overflowed_; }

private:
    char* buffer_;
    size_t size_;
    size_t length_ = 0;
    bool overflowed_ = false;
};
