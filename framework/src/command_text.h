#pragma once

#include "morv_string.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

// The plain decimal text of a number, on the stack: an optional '-', then the
// digits, as every number in a command text is written.
class decimalText {
public:
    explicit decimalText(std::int32_t value);
    const char* data() const { return digits_ + sizeof digits_ - length_; }
    std::size_t length() const { return length_; }

private:
    char digits_[11];  // "-2147483648"
    std::size_t length_;
};

// One piece of a command text: a view of characters owned by someone else,
// which must stay unchanged while the command text is built.
class commandPiece {
public:
    // Implicit, so that a command lists its pieces as they are.
    // NOLINTNEXTLINE(google-explicit-constructor)
    commandPiece(const char* text) : text_(text), length_(std::strlen(text)) {}
    // NOLINTNEXTLINE(google-explicit-constructor)
    commandPiece(const morv_string& text) : text_(text.c_str()), length_(text.length()) {}
    // NOLINTNEXTLINE(google-explicit-constructor)
    commandPiece(const decimalText& number) : text_(number.data()), length_(number.length()) {}

    const char* text() const { return text_; }
    std::size_t length() const { return length_; }

private:
    const char* text_;
    std::size_t length_;
};

// A command text joined from its pieces in one buffer sized once: on the
// stack when it is short, in one heap block otherwise. Valid while it lives.
class commandText {
public:
    commandText(std::initializer_list<commandPiece> pieces);
    ~commandText();
    commandText(const commandText&) = delete;
    commandText& operator=(const commandText&) = delete;

    const char* c_str() const { return data_; }

private:
    static constexpr std::size_t shortCapacity = 127;

    char* data_;
    char short_[shortCapacity + 1];
};
