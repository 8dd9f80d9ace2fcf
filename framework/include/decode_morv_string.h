#pragma once

#include <stdint.h>

// Splits one host reply into at most 32 tokens separated by spaces (character
// 32 only); a token enclosed in the quote character may hold spaces. There is
// no escape: a quote inside a quoted token closes it. Decoding happens in the
// constructor; the caller reads `tokens` and `count` directly.
class decodeMORVString {
public:
    static constexpr int maxTokens = 32;

    // text may be null; it is not changed.
    decodeMORVString(const char* text, char quote);
    virtual ~decodeMORVString();
    decodeMORVString(const decodeMORVString&) = delete;
    decodeMORVString& operator=(const decodeMORVString&) = delete;

    // Memory for the copy ran out: no tokens were found (count 0).
    bool failed() const { return failed_; }

    // tokens[i] is token i; entries at or past `count` read as the empty text.
    const char* tokens[maxTokens];
    // Number of tokens found, 0 to 32.
    int32_t count;
    // The decoder's own copy of the text, separators replaced by NUL; null
    // for a null or empty text. Tokens point into it.
    char* buffer;
    char quote;

private:
    bool failed_;
};
