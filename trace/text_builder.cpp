#include "text_builder.h"

#include <string.h>

textBuilder::textBuilder(char* buffer, size_t size) : buffer_(buffer), size_(size)
{
    buffer_[0] = '\0';
}

textBuilder& textBuilder::add(const char* text)
{
    return text == nullptr ? *this : add(text, strlen(text));
}

textBuilder& textBuilder::add(const char* text, size_t length)
{
    const size_t room = size_ - 1 - length_;
    if (length > room) {
        length = room;
        overflowed_ = true;
    }
    memcpy(buffer_ + length_, text, length);
    length_ += length;
    buffer_[length_] = '\0';
    return *this;
}

size_t decimalDigits(uint32_t number, char (&digits)[10])
{
    size_t count = 0;
    do {
        digits[sizeof digits - 1 - count++] = static_cast<char>('0' + number % 10u);
        number /= 10u;
    } while (number != 0u);
    return count;
}

textBuilder& textBuilder::addDecimal(uint32_t number)
{
    char digits[10];
    const size_t count = decimalDigits(number, digits);
    return add(digits + sizeof digits - count, count);
}

void textBuilder::truncate(size_t length)
{
    if (length < length_) {
        length_ = length;
        buffer_[length_] = '\0';
    }
}
