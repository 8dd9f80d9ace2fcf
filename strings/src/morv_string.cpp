#include "morv_string.h"

#include "morv_string_access.h"
#include "number_text.h"

#include <ctype.h>
#include <limits.h>
#include <string.h>

// Every operation reaches the storage through morv_string_access, whose
// helpers are inline: no call inside the library goes through its own
// exported functions.
using access = morv_string_access;

namespace {

size_t textLength(const char* text)
{
    return text != nullptr ? strlen(text) : 0U;
}

}  // namespace

morv_string::morv_string() : data_(small_), length_(0), capacity_(smallCapacity), failed_(false)
{
    small_[0] = '\0';
}

morv_string::morv_string(const char* text) : data_(small_), length_(0), capacity_(smallCapacity), failed_(false)
{
    const size_t length = textLength(text);
    if (length <= smallCapacity) {
        copyText(small_, text, length)[0] = '\0';
        length_ = static_cast<unsigned>(length);
    } else {
        small_[0] = '\0';
        access::assign(*this, text, length);
    }
}

morv_string::morv_string(const morv_string& other) : data_(small_), length_(0), capacity_(smallCapacity), failed_(false)
{
    access::copyInto(*this, other);
}

morv_string::morv_string(morv_string&& other) noexcept
    : data_(small_), length_(0), capacity_(smallCapacity), failed_(false)
{
    access::moveInto(*this, other);
}

morv_string::morv_string(int value, char fill, unsigned width, int base)
    : data_(small_), length_(0), capacity_(smallCapacity), failed_(false)
{
    const unsigned length = formatNumber(small_, smallCapacity, value, fill, width, base);
    if (length <= smallCapacity) {
        length_ = length;
        small_[length] = '\0';
        return;
    }
    small_[0] = '\0';
    char* out = access::resize(*this, length);
    if (out != nullptr) {
        formatNumber(out, length, value, fill, width, base);
    }
}

morv_string::~morv_string()
{
    access::releaseHeap(*this);
}

morv_string& morv_string::operator=(const char* text)
{
    access::assign(*this, text != nullptr ? text : "", textLength(text));
    return *this;
}

morv_string& morv_string::operator=(const morv_string& other)
{
    if (other.failed_) {
        access::fail(*this);
    } else if (this != &other) {
        access::assign(*this, other.data_, other.length_);
    }
    return *this;
}

morv_string& morv_string::operator=(morv_string&& other) noexcept
{
    if (this != &other) {
        access::moveInto(*this, other);
    }
    return *this;
}

morv_string& morv_string::operator+=(const morv_string& other)
{
    const unsigned added = other.length_;
    const unsigned long long wanted = static_cast<unsigned long long>(length_) + added;
    if (failed_ || other.failed_ || wanted > maxLength) {
        access::fail(*this);
        return *this;
    }
    const unsigned length = static_cast<unsigned>(wanted);
    if (length <= capacity_) {
        // `other` may be this very string: its characters stay in place.
        memmove(data_ + length_, other.data_, added);
    } else {
        // Grow geometrically, so that appending piece by piece stays linear.
        const unsigned long long doubled = 2ULL * capacity_;
        const unsigned capacity = doubled > length && doubled <= maxLength ? static_cast<unsigned>(doubled) : length;
        char* block = access::allocate(capacity);
        if (block == nullptr) {
            access::fail(*this);
            return *this;
        }
        memcpy(block, data_, length_);
        memcpy(block + length_, other.data_, added);
        access::releaseHeap(*this);
        data_ = block;
        capacity_ = capacity;
    }
    length_ = length;
    data_[length] = '\0';
    return *this;
}

bool morv_string::operator==(const char* text) const
{
    // No text holds a NUL, so the characters and the terminator decide.
    return strcmp(data_, text != nullptr ? text : "") == 0;
}

bool morv_string::operator==(const morv_string& other) const
{
    return length_ == other.length_ && memcmp(data_, other.data_, length_) == 0;
}

bool morv_string::operator==(int value) const
{
    char digits[naturalNumberCapacity];
    const unsigned length = formatNumber(digits, sizeof digits, value, '\0', 0, 10);
    return length_ == length && memcmp(data_, digits, length) == 0;
}

bool morv_string::operator!=(const char* text) const
{
    return !(*this == text);
}

int morv_string::toInt() const
{
    const char* p = data_;
    while (isspace(static_cast<unsigned char>(*p)) != 0) {
        ++p;
    }
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
    }
    // Accumulate towards the negative side, which holds one more value.
    long long result = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        result = result * 10 - (*p - '0');
        if (result < INT_MIN) {
            return negative ? INT_MIN : INT_MAX;
        }
    }
    if (negative) {
        return static_cast<int>(result);
    }
    return result < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-result);
}

namespace {

// Fills `result`, a new empty string, with `text` in which every occurrence
// of the lowest placeholder "%1".."%9" present is replaced by `value`: one
// pass finds the placeholder and counts it, one writes the result, sized
// once. (The callers return `result` itself, so it is built in place.)
void replaceLowestPlaceholder(morv_string& result, const morv_string& text, const char* value, unsigned valueLength)
{
    const char* const begin = access::data(text);
    const unsigned textLength = access::length(text);
    char lowest = 0;     // the lowest placeholder digit so far, once count is not 0
    unsigned count = 0;  // its occurrences
    unsigned first = 0;  // where it occurs first
    for (unsigned i = 0; i + 1 < textLength; ++i) {
        if (begin[i] != '%') {
            continue;
        }
        const char digit = begin[i + 1];
        if (digit < '1' || digit > '9') {
            continue;
        }
        if (count == 0 || digit < lowest) {
            lowest = digit;
            count = 1;
            first = i;
        } else if (digit == lowest) {
            ++count;
        }
    }
    if (count == 0) {
        access::copyInto(result, text);
        return;
    }

    char* out = access::resize(result, static_cast<unsigned long long>(textLength) - 2ULL * count +
                                           static_cast<unsigned long long>(count) * valueLength);
    if (out == nullptr) {
        return;
    }
    // Up to the first occurrence in one piece, then character by character.
    out = copyText(out, begin, first);
    unsigned i = first;
    for (unsigned done = 0; done < count; ++i) {
        if (begin[i] == '%' && begin[i + 1] == lowest) {
            out = copyText(out, value, valueLength);
            ++i;
            ++done;
        } else {
            *out++ = begin[i];
        }
    }
    copyText(out, begin + i, textLength - i);
}

}  // namespace

morv_string morv_string::arg(const morv_string& value) const
{
    morv_string result;
    if (failed_ || value.failed_) {
        access::fail(result);
        return result;
    }
    replaceLowestPlaceholder(result, *this, value.data_, value.length_);
    return result;
}

morv_string morv_string::arg(int value, char fill, unsigned width, int base) const
{
    char digits[smallCapacity];
    const unsigned length = formatNumber(digits, sizeof digits, value, fill, width, base);
    if (length <= sizeof digits) {
        morv_string result;
        if (failed_) {
            access::fail(result);
        } else {
            replaceLowestPlaceholder(result, *this, digits, length);
        }
        return result;
    }
    // Padded wider than the stack buffer: formatted into a string of its own.
    return arg(morv_string(value, fill, width, base));
}

int morv_string::split(char separator, morv_string& left, morv_string& right) const
{
    if (&left == this || &right == this) {
        // Cut a copy: writing one piece would change the text of the other.
        const morv_string whole(*this);
        return whole.split(separator, left, right);
    }
    if (failed_) {
        access::fail(left);
        access::fail(right);
        return 1;
    }
    const void* found = memchr(data_, separator, length_);
    if (found == nullptr) {
        access::assign(left, data_, length_);
        access::assign(right, "", 0);
        return 1;
    }
    const unsigned at = static_cast<unsigned>(static_cast<const char*>(found) - data_);
    access::assign(left, data_, at);
    access::assign(right, data_ + at + 1, length_ - at - 1);
    return 2;
}

namespace {

// A failed operand gives a failed result.
morv_string concatenate(const char* left, size_t leftLength, const char* right, size_t rightLength, bool failed)
{
    morv_string result;
    char* out = failed ? nullptr : access::resize(result, static_cast<unsigned long long>(leftLength) + rightLength);
    if (out == nullptr) {
        access::fail(result);
        return result;
    }
    copyText(copyText(out, left, leftLength), right, rightLength);
    return result;
}

}  // namespace

morv_string operator+(const morv_string& left, const char* right)
{
    return concatenate(access::data(left), access::length(left), right != nullptr ? right : "", textLength(right),
                       left.failed());
}

morv_string operator+(const char* left, const morv_string& right)
{
    return concatenate(left != nullptr ? left : "", textLength(left), access::data(right), access::length(right),
                       right.failed());
}

morv_string operator+(const morv_string& left, const morv_string& right)
{
    return concatenate(access::data(left), access::length(left), access::data(right), access::length(right),
                       left.failed() || right.failed());
}

bool operator==(const char* left, const morv_string& right)
{
    return right == left;
}

bool operator!=(const char* left, const morv_string& right)
{
    return !(right == left);
}
