#pragma once

#include "morv_string_export.h"

#include <limits.h>

// An 8-bit text value. Every text inside a panel script is a morv_string;
// only plain NUL-terminated texts cross the host boundary.
//
// Numbers are written by the numeric constructor and the numeric arg() with
// (value, fill, width, base): base 2 to 36 (any other base means 10), digits
// above 9 in lower case, a leading '-' for negative values, and the text
// padded on the left to `width` characters with `fill` ('\0' pads with blanks).
// Callers that want plain decimal pass ('\0', 0, 10).
//
// Texts of up to smallCapacity characters are stored inside the object
// itself; only longer texts take a block from the heap.
//
// Nothing throws. A text that cannot be made, because memory ran out or
// because it would be longer than maxLength characters, gives a failed
// string: empty, with failed() true. Texts made from a failed string (copies,
// arg, +, +=, split) are failed too; assigning a text that can be made clears
// the failure. Callers check failed() before they use a text they built.
class MORV_STRING_API morv_string {
public:
    morv_string();
    // A null text gives the empty string.
    morv_string(const char* text);  // NOLINT(google-explicit-constructor): texts convert freely
    morv_string(const morv_string& other);
    // Leaves `other` empty.
    morv_string(morv_string&& other) noexcept;
    explicit morv_string(int value, char fill = '\0', unsigned width = 0, int base = 10);
    virtual ~morv_string();

    morv_string& operator=(const char* text);
    morv_string& operator=(const morv_string& other);
    // Leaves `other` empty (unchanged when it is this very string).
    morv_string& operator=(morv_string&& other) noexcept;
    morv_string& operator+=(const morv_string& other);

    // Case-sensitive, whole-text equality.
    bool operator==(const char* text) const;
    bool operator==(const morv_string& other) const;
    // True when the text is exactly the decimal form of `value` ("1" == 1).
    bool operator==(int value) const;
    bool operator!=(const char* text) const;

    // The NUL-terminated characters; valid while this string is unchanged.
    // (The read-only accessors are inline: every command text reads them.)
    operator const char*() const { return data_; }  // NOLINT(google-explicit-constructor): passed to C interfaces
    const char* c_str() const { return data_; }
    unsigned length() const { return length_; }
    bool isEmpty() const { return length_ == 0; }
    // The text could not be made (see above); the string reads as empty.
    bool failed() const { return failed_; }

    // The decimal number at the start of the text: optional white space, an
    // optional sign, then digits. No digits give 0; values beyond the int
    // range saturate at INT_MIN or INT_MAX.
    int toInt() const;

    // A copy in which every occurrence of the lowest-numbered placeholder
    // "%1".."%9" still present is replaced by the argument. Without any
    // placeholder the copy is unchanged.
    morv_string arg(const morv_string& value) const;
    morv_string arg(int value, char fill = '\0', unsigned width = 0, int base = 10) const;

    // Cuts the text at the first `separator`: `left` gets the text before it,
    // `right` the text after it. Without a separator `left` gets the whole
    // text and `right` the empty text. Returns the number of pieces (1 or 2).
    int split(char separator, morv_string& left, morv_string& right) const;

    // The longest text kept without a heap block.
    static constexpr unsigned smallCapacity = 47;
    // The longest text a string can hold: its length and the NUL after it
    // must be countable in an unsigned. A longer result is a failed string.
    static constexpr unsigned long long maxLength = UINT_MAX - 1ULL;

private:
    // The library's own helpers, which build texts in place.
    friend struct morv_string_access;

    char* data_;         // small_, or a heap block of capacity_ + 1 characters
    unsigned length_;    // characters before the terminating NUL
    unsigned capacity_;  // characters data_ holds besides the NUL
    char small_[smallCapacity + 1];
    bool failed_;  // the text could not be made; then empty and small
};

MORV_STRING_API morv_string operator+(const morv_string& left, const char* right);
MORV_STRING_API morv_string operator+(const char* left, const morv_string& right);
MORV_STRING_API morv_string operator+(const morv_string& left, const morv_string& right);

// Text on the left: the same equality as the members, never a comparison of
// pointers through the conversion to const char*.
MORV_STRING_API bool operator==(const char* left, const morv_string& right);
MORV_STRING_API bool operator!=(const char* left, const morv_string& right);
