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

// Copies `length` characters to `out` and returns the end of the copy.
char* copyPiece(char* out, const char* text, std::size_t length)
{
    std::memcpy(out, text, length);
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
