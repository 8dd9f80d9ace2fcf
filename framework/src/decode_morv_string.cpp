#include "decode_morv_string.h"

#include <stdlib.h>
#include <string.h>

namespace {
const char emptyText[] = "";
}

decodeMORVString::decodeMORVString(const char* text, char quoteChar)
    : tokens{}, count(0), buffer(nullptr), quote(quoteChar), failed_(false)
{
    for (const char*& token : tokens) {
        token = emptyText;
    }
    const size_t length = text != nullptr ? strlen(text) : 0;
    if (length == 0) {
        return;
    }
    buffer = static_cast<char*>(malloc(length + 1));
    if (buffer == nullptr) {
        failed_ = true;
        return;
    }
    memcpy(buffer, text, length + 1);
    tokens[0] = buffer;

    int last = 0;  // index of the token begun last
    bool inQuote = false;
    for (size_t i = 0; i < length; ++i) {
        const char c = buffer[i];
        const bool afterNul = i > 0 && buffer[i - 1] == '\0';
        bool begins = false;
        if (!inQuote && c == quote) {
            buffer[i] = '\0';
            inQuote = true;
        } else if (!inQuote && c == ' ') {
            buffer[i] = '\0';
        } else if (inQuote && c == quote) {
            buffer[i] = '\0';
            inQuote = false;
            begins = afterNul;  // the quotes enclosed nothing: an empty token
        } else {
            begins = afterNul;
        }
        if (begins) {
            if (last == maxTokens - 1) {
                break;  // a 33rd token is dropped with the rest of the text
            }
            tokens[++last] = buffer + i;
        }
    }
    count = last + 1;
}

decodeMORVString::~decodeMORVString()
{
    free(buffer);
}
