#include "morv_string.h"

#include "number_text.h"

#include <cctype>
#include <climits>
#include <cstring>

morv_string::morv_string() = default;

morv_string::morv_string(const char* text) : text_(text != nullptr ? text : "") {}

morv_string::morv_string(const morv_string& other) = default;

morv_string::morv_string(int value, char fill, unsigned width, int base)
    : text_(formatNumber(value, fill, width, base)) {}

morv_string::~morv_string() = default;

morv_string& morv_string::operator=(const char* text)
{
    text_ = text != nullptr ? text : "";
    return *this;
}

morv_string& morv_string::operator=(const morv_string& other) = default;

morv_string& morv_string::operator+=(const morv_string& other)
{
    text_ += other.text_;
    return *this;
}

bool morv_string::operator==(const char* text) const
{
    return text_ == (text != nullptr ? text : "");
}

bool morv_string::operator==(const morv_string& other) const { return text_ == other.text_; }

bool morv_string::operator==(int value) const { return text_ == formatNumber(value, '\0', 0, 10); }

bool morv_string::operator!=(const char* text) const { return !(*this == text); }

morv_string::operator const char*() const { return text_.c_str(); }

const char* morv_string::c_str() const { return text_.c_str(); }

unsigned morv_string::length() const { return static_cast<unsigned>(text_.size()); }

bool morv_string::isEmpty() const { return text_.empty(); }

int morv_string::toInt() const
{
    const char* p = text_.c_str();
    while (std::isspace(static_cast<unsigned char>(*p)) != 0) {
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

// The digit 1..9 of the lowest placeholder present, or 0 when there is none.
char lowestPlaceholder(const std::string& text)
{
    char lowest = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const char digit = text[i + 1];
        if (text[i] == '%' && digit >= '1' && digit <= '9' && (lowest == 0 || digit < lowest)) {
            lowest = digit;
        }
    }
    return lowest;
}

std::string replacePlaceholder(const std::string& text, const std::string& value)
{
    const char digit = lowestPlaceholder(text);
    if (digit == 0) {
        return text;
    }
    std::string result;
    result.reserve(text.size() + value.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == digit) {
            result += value;
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

}  // namespace

morv_string morv_string::arg(const morv_string& value) const
{
    morv_string result;
    result.text_ = replacePlaceholder(text_, value.text_);
    return result;
}

morv_string morv_string::arg(int value, char fill, unsigned width, int base) const
{
    morv_string result;
    result.text_ = replacePlaceholder(text_, formatNumber(value, fill, width, base));
    return result;
}

int morv_string::split(char separator, morv_string& left, morv_string& right) const
{
    const std::size_t at = text_.find(separator);
    if (at == std::string::npos) {
        // Copy first: left or right may be this very string.
        const std::string whole = text_;
        left.text_ = whole;
        right.text_.clear();
        return 1;
    }
    std::string before = text_.substr(0, at);
    std::string after = text_.substr(at + 1);
    left.text_ = std::move(before);
    right.text_ = std::move(after);
    return 2;
}

morv_string operator+(const morv_string& left, const char* right)
{
    morv_string result(left);
    result += morv_string(right);
    return result;
}

morv_string operator+(const char* left, const morv_string& right)
{
    morv_string result(left);
    result += right;
    return result;
}

morv_string operator+(const morv_string& left, const morv_string& right)
{
    morv_string result(left);
    result += right;
    return result;
}

bool operator==(const char* left, const morv_string& right) { return right == left; }

bool operator!=(const char* left, const morv_string& right) { return !(right == left); }
