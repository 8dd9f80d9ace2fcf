#pragma once

#include "morv_string.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

// The plain decimal text of a number, on the stack: an optional '-', then the
// digits, as every number in a command text is written.
class decimalText {
public:
    explicit decimalText(int32_t value);
    const char* data() const { return digits_ + sizeof digits_ - length_; }
    size_t length() const { return length_; }

private:
    char digits_[11];  // "-2147483648"
    size_t length_;
};

// One piece of a command text: a view of characters owned by someone else,
// which must stay unchanged while the command text is built. A piece from a
// failed morv_string is failed.
class commandPiece {
public:
    // Implicit, so that a command lists its pieces as they are.
    // NOLINTNEXTLINE(google-explicit-constructor)
    commandPiece(const char* text) : text_(text), length_(strlen(text)), failed_(false) {}
    // NOLINTNEXTLINE(google-explicit-constructor)
    commandPiece(const morv_string& text) : text_(text.c_str()), length_(text.length()), failed_(text.failed()) {}
    // NOLINTNEXTLINE(google-explicit-constructor)
    commandPiece(const decimalText& number) : text_(number.data()), length_(number.length()), failed_(false) {}

    const char* text() const { return text_; }
    size_t length() const { return length_; }
    bool failed() const { return failed_; }

private:
    const char* text_;
    size_t length_;
    bool failed_;
};

// A command text joined from its pieces in one buffer sized once: on the
// stack when it is short, in one heap block otherwise. Valid while it lives.
// Failed, holding no text, when a piece is failed or memory ran out: such a
// command is never sent.
class commandText {
public:
    template <typename... Pieces>
    explicit commandText(const Pieces&... pieces) : data_(short_), failed_(false)
    {
        const commandPiece list[] = {commandPiece(pieces)...};
        join(list, sizeof...(Pieces));
    }
    ~commandText();
    commandText(const commandText&) = delete;
    commandText& operator=(const commandText&) = delete;

    const char* c_str() const { return data_; }
    bool failed() const { return failed_; }

private:
    static constexpr size_t shortCapacity = 127;

    void join(const commandPiece* pieces, size_t count);

    char* data_;
    char short_[shortCapacity + 1];
    bool failed_;
};
