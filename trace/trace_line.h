#pragma once

#include <stddef.h>
#include <stdint.h>

// One event line of a trace: "MS THREAD INSTANCE EVENT FIELDS...", fields
// separated by single blanks, every text quoted and escaped so that an event
// is always one line (the format: "Trace files" in host/README.md; its words:
// trace_format.h).

enum class traceFieldKind : uint8_t {
    word,     // written as it is
    key,      // a key, written with its "=" and joined to the next field
    text,     // null, or a quoted, escaped NUL-terminated text
    pointer,  // null, or 0x and lowercase hex
    integer,  // signed decimal of a pointer-sized integer
};

// The kind comes last, so that the pointers pack without padding between.
struct traceField {
    const char* word;     // word and key
    const void* address;  // text, pointer
    intptr_t number;      // integer
    traceFieldKind kind;
};

inline traceField fieldWord(const char* word)
{
    return {word, nullptr, 0, traceFieldKind::word};
}
inline traceField fieldKey(const char* key)
{
    return {key, nullptr, 0, traceFieldKind::key};
}
inline traceField fieldText(const char* text)
{
    return {nullptr, text, 0, traceFieldKind::text};
}
inline traceField fieldPointer(const void* pointer)
{
    return {nullptr, pointer, 0, traceFieldKind::pointer};
}
inline traceField fieldInteger(intptr_t number)
{
    return {nullptr, nullptr, number, traceFieldKind::integer};
}

// Where a line goes: the bytes that fit go into `bytes` (capacity bytes; may
// be 0), the rest is only counted.
struct traceLineOutput {
    char* bytes;
    size_t capacity;
    size_t length;  // bytes formatted so far
};

// "MS THREAD " of a line, formatted once for as long as neither changes.
struct traceLineStamp {
    uint32_t milliseconds;
    uint32_t thread;
    char text[24];
    uint8_t length;  // 0: not formatted yet
};

// Makes `stamp` the one of that time and thread.
void stampTraceLine(traceLineStamp& stamp, uint32_t milliseconds, uint32_t thread);

struct traceLineHead {
    const traceLineStamp* stamp;
    int32_t instance;
    const char* event;
};

// Formats the whole line, its line end included. Reads the texts the fields
// point to; formats the same bytes each time it is called with the same
// fields (so that a line that did not fit can be formatted again where it
// does). A key's text joins the key; every other field follows one blank.
void formatTraceLine(traceLineOutput& out, const traceLineHead& head, const traceField* fields, size_t count);
