#pragma once

#include <stdint.h>

// A text of the form name.part.part=value, split in place. The framework
// builds one from every query text; the host attaches one of the same layout
// to every button record (the event the control raised).
//
// The layout is shared with the host: no virtual functions, fields in this
// order. Every text pointer points into `buffer` or to one shared static empty
// text, so every field is a readable NUL-terminated text while the object
// lives. Not copyable.
class parsedMessage {
public:
    static constexpr int maxParts = 32;

    // text may be null; it is not changed. Null or empty gives an empty
    // message and allocates nothing.
    explicit parsedMessage(const char* text);
    ~parsedMessage();
    parsedMessage(const parsedMessage&) = delete;
    parsedMessage& operator=(const parsedMessage&) = delete;

    // The text before the first '.' or '='; the whole text without either.
    const char* name;
    // parts[k]: the text after the (k+1)-th '.', up to the next separator.
    // After the 32nd dot nothing is split any more.
    const char* parts[maxParts];
    // The text after the first '='; empty when there is none.
    const char* value;
    // Number of dotted parts found, 0 to 32.
    int32_t count;
    // An '=' was found (and acted on).
    bool hasValue;
    // This object's own copy of the text, separators replaced by NUL; null
    // for a null or empty text, and when memory for it ran out (the message
    // is then empty).
    char* buffer;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
#include <stddef.h>
// The 32-bit layout the host shares.
static_assert(offsetof(parsedMessage, name) == 0, "parsedMessage layout");
static_assert(offsetof(parsedMessage, parts) == 4, "parsedMessage layout");
static_assert(offsetof(parsedMessage, value) == 132, "parsedMessage layout");
static_assert(offsetof(parsedMessage, count) == 136, "parsedMessage layout");
static_assert(offsetof(parsedMessage, hasValue) == 140, "parsedMessage layout");
static_assert(offsetof(parsedMessage, buffer) == 144, "parsedMessage layout");
static_assert(sizeof(parsedMessage) == 148, "parsedMessage layout");
#endif
