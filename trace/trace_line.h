#pragma once

#include "parsed_message.h"

#include <stddef.h>
#include <stdint.h>

// One event line of a trace: "MS THREAD INSTANCE EVENT FIELDS...", fields
// separated by single blanks, every text quoted and escaped so that an event
// is always one line (see the trace format in README.md).

enum class traceFieldKind : uint8_t {
    word,      // written as it is
    key,       // "name=", written as it is and joined to the next field
    text,      // null, or a quoted, escaped NUL-terminated text
    pointer,   // null, or 0x and lowercase hex
    integer,   // signed decimal
    message,   // a parsedMessage rebuilt as one text: name, .part..., =value
};

struct traceField {
    traceFieldKind kind;
    const char* word;  // word and key
    const void* address;  // text, pointer, message
    int32_t number;    // integer
};

inline traceField fieldWord(const char* word) { return {traceFieldKind::word, word, nullptr, 0}; }
inline traceField fieldKey(const char* key) { return {traceFieldKind::key, key, nullptr, 0}; }
inline traceField fieldText(const char* text) { return {traceFieldKind::text, nullptr, text, 0}; }
inline traceField fieldPointer(const void* pointer) { return {traceFieldKind::pointer, nullptr, pointer, 0}; }
inline traceField fieldInteger(int32_t number) { return {traceFieldKind::integer, nullptr, nullptr, number}; }
inline traceField fieldMessage(const parsedMessage* message)
{
    return {traceFieldKind::message, nullptr, message, 0};
}

// Where a line goes: with `spill` set, every piece is handed to it; else
// the bytes that fit go into `bytes` (capacity bytes; may be 0) and the
// rest is only counted.
struct traceLineOutput {
    char* bytes;
    size_t capacity;
    void (*spill)(const char* bytes, size_t length, void* context);
    void* context;
    size_t length;  // bytes formatted so far
};

struct traceLineHead {
    uint32_t milliseconds;
    uint32_t thread;
    int32_t instance;
    const char* event;
};

// Formats the whole line, its line end included. Reads the texts the fields
// point to; formats the same bytes each time it is called with the same
// fields (so a line can be measured first and then written).
void formatTraceLine(traceLineOutput& out, const traceLineHead& head, const traceField* fields, size_t count);
