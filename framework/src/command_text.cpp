#include "command_text.h"

#include <stdlib.h>

decimalText::decimalText(int32_t value)
{
    // Digits from the end, on the magnitude as unsigned so that INT32_MIN
    // has one too.
    char* first = digits_ + sizeof digits_;
    uint32_t magnitude = value < 0 ? 0U - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    do {
        *--first = static_cast<char>('0' + magnitude % 10U);
        magnitude /= 10U;
    } while (magnitude != 0);
    if (value < 0) {
        *--first = '-';
    }
    length_ = static_cast<size_t>(digits_ + sizeof digits_ - first);
}

void commandText::join(const commandPiece* pieces, size_t count)
{
    short_[0] = '\0';
    size_t length = 0;
    for (size_t i = 0; i < count; ++i) {
        if (pieces[i].failed() || pieces[i].length() > static_cast<size_t>(-1) - 1 - length) {
            failed_ = true;
            return;
        }
        length += pieces[i].length();
    }
    if (length > shortCapacity) {
        data_ = static_cast<char*>(malloc(length + 1));
        if (data_ == nullptr) {
            data_ = short_;
            failed_ = true;
            return;
        }
    }
    char* out = data_;
    for (size_t i = 0; i < count; ++i) {
        memcpy(out, pieces[i].text(), pieces[i].length());
        out += pieces[i].length();
    }
    *out = '\0';
}

commandText::~commandText()
{
    if (data_ != short_) {
        free(data_);
    }
}
