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
    // One pass for the length and whether any piece failed; the sum is
    // taken wide, so that many long pieces cannot wrap it on 32 bits.
    unsigned long long length = 0;
    bool failed = false;
    for (size_t i = 0; i < count; ++i) {
        length += pieces[i].length();
        failed |= pieces[i].failed();
    }
    if (failed || length >= static_cast<size_t>(-1)) {
        failed_ = true;
        return;
    }
    if (length > shortCapacity) {
        data_ = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
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
