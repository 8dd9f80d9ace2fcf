#include "command_text.h"

decimalText::decimalText(std::int32_t value)
{
    // Digits from the end, on the magnitude as unsigned so that INT32_MIN
    // has one too.
    char* first = digits_ + sizeof digits_;
    std::uint32_t magnitude = value < 0 ? 0U - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    do {
        *--first = static_cast<char>('0' + magnitude % 10U);
        magnitude /= 10U;
    } while (magnitude != 0);
    if (value < 0) {
        *--first = '-';
    }
    length_ = static_cast<std::size_t>(digits_ + sizeof digits_ - first);
}

namespace {

// Copies `length` characters to `out` and returns the end of the copy. The
// pieces of a command are mostly a few characters long: those are copied with
// fixed-size moves instead of a call.
char* copyPiece(char* out, const char* text, std::size_t length)
{
    if (length >= 8) {
        if (length > 16) {
            std::memcpy(out, text, length);
        } else {
            // Two overlapping 8-character moves.
            std::memcpy(out, text, 8);
            std::memcpy(out + length - 8, text + length - 8, 8);
        }
    } else if (length >= 4) {
        std::memcpy(out, text, 4);
        std::memcpy(out + length - 4, text + length - 4, 4);
    } else if (length > 0) {
        out[0] = text[0];
        out[length / 2] = text[length / 2];
        out[length - 1] = text[length - 1];
    }
    return out + length;
}

}  // namespace

commandText::commandText(std::initializer_list<commandPiece> pieces) : data_(short_)
{
    std::size_t length = 0;
    for (const commandPiece& piece : pieces) {
        length += piece.length();
    }
    if (length > shortCapacity) {
        data_ = new char[length + 1];
    }
    char* out = data_;
    for (const commandPiece& piece : pieces) {
        out = copyPiece(out, piece.text(), piece.length());
    }
    *out = '\0';
}

commandText::~commandText()
{
    if (data_ != short_) {
        delete[] data_;
    }
}
