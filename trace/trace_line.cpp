#include "trace_line.h"

#include "text_builder.h"
#include "trace_format.h"

#include <string.h>

namespace {

void put(traceLineOutput& out, const char* bytes, size_t length)
{
    if (out.length + length <= out.capacity) {
        // Most pieces are a few bytes: copied here without a call.
        char* const into = out.bytes + out.length;
        for (size_t i = 0; i < length; ++i) {
            into[i] = bytes[i];
        }
    }
    out.length += length;
}

void putWord(traceLineOutput& out, const char* word)
{
    put(out, word, strlen(word));
}

void putUnsigned(traceLineOutput& out, uint32_t number)
{
    char digits[10];
    const size_t count = decimalDigits(number, digits);
    put(out, digits + sizeof digits - count, count);
}

// A pointer-sized signed number (the division is of the target's own width).
void putInteger(traceLineOutput& out, intptr_t number)
{
    // Instances and codes: most numbers are one digit.
    if (number >= 0 && number <= 9) {
        const char digit = static_cast<char>('0' + number);
        put(out, &digit, 1);
        return;
    }
    uintptr_t magnitude = static_cast<uintptr_t>(number);
    if (number < 0) {
        put(out, "-", 1);
        magnitude = 0u - magnitude;
    }
    char digits[24];
    size_t count = 0;
    do {
        digits[sizeof digits - 1 - count++] = static_cast<char>('0' + magnitude % 10u);
        magnitude /= 10u;
    } while (magnitude != 0u);
    put(out, digits + sizeof digits - count, count);
}

void putPointer(traceLineOutput& out, const void* pointer)
{
    if (pointer == nullptr) {
        putWord(out, traceWord::null);
        return;
    }
    static const char hex[] = "0123456789abcdef";
    uintptr_t value = reinterpret_cast<uintptr_t>(pointer);
    char digits[2 + 2 * sizeof value];
    size_t count = 0;
    while (value != 0u) {
        digits[sizeof digits - 1 - count++] = hex[value & 0xFu];
        value >>= 4;
    }
    digits[sizeof digits - 1 - count++] = 'x';
    digits[sizeof digits - 1 - count++] = '0';
    put(out, digits + sizeof digits - count, count);
}

// Whether a byte goes into a quoted text as it is: printable ASCII but the
// backslash and the double quote.
struct plainBytes {
    bool plain[256];
    constexpr plainBytes() : plain()
    {
        for (int byte = traceQuoting::firstPlain; byte <= traceQuoting::lastPlain; ++byte) {
            plain[byte] = byte != traceQuoting::escape && byte != traceQuoting::quote;
        }
    }
};
constexpr plainBytes plainByte;

// A run of plain bytes of a text: long ones copied at once.
void putRun(traceLineOutput& out, const char* bytes, size_t length)
{
    if (length > 16 && out.length + length <= out.capacity) {
        memcpy(out.bytes + out.length, bytes, length);
        out.length += length;
    } else {
        put(out, bytes, length);
    }
}

// The bytes of `text`, escaped, in double quotes: runs of plain bytes at once.
void putText(traceLineOutput& out, const char* text)
{
    if (text == nullptr) {
        putWord(out, traceWord::null);
        return;
    }
    const char* const hex = traceQuoting::hexDigits;
    put(out, &traceQuoting::quote, 1);
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    for (;;) {
        const unsigned char* const run = at;
        while (plainByte.plain[*at]) {
            ++at;
        }
        putRun(out, reinterpret_cast<const char*>(run), static_cast<size_t>(at - run));
        const unsigned char byte = *at;
        if (byte == 0u) {
            break;
        }
        if (byte == traceQuoting::escape || byte == traceQuoting::quote) {
            const char escaped[2] = {traceQuoting::escape, static_cast<char>(byte)};
            put(out, escaped, 2);
        } else {
            const char escaped[4] = {traceQuoting::escape, traceQuoting::byteEscape, hex[byte >> 4], hex[byte & 0xFu]};
            put(out, escaped, 4);
        }
        ++at;
    }
    put(out, &traceQuoting::quote, 1);
}

void putField(traceLineOutput& out, const traceField& field)
{
    switch (field.kind) {
    case traceFieldKind::word:
        putWord(out, field.word);
        return;
    case traceFieldKind::key:
        putWord(out, field.word);
        put(out, "=", 1);
        return;
    case traceFieldKind::text:
        putText(out, static_cast<const char*>(field.address));
        return;
    case traceFieldKind::pointer:
        putPointer(out, field.address);
        return;
    case traceFieldKind::integer:
        putInteger(out, field.number);
        return;
    }
}

}  // namespace

void stampTraceLine(traceLineStamp& stamp, uint32_t milliseconds, uint32_t thread)
{
    if (stamp.length != 0 && stamp.milliseconds == milliseconds && stamp.thread == thread) {
        return;
    }
    traceLineOutput out{stamp.text, sizeof stamp.text, 0};
    putUnsigned(out, milliseconds);
    put(out, " ", 1);
    putUnsigned(out, thread);
    put(out, " ", 1);
    stamp.milliseconds = milliseconds;
    stamp.thread = thread;
    stamp.length = static_cast<uint8_t>(out.length);
}

void formatTraceLine(traceLineOutput& out, const traceLineHead& head, const traceField* fields, size_t count)
{
    put(out, head.stamp->text, head.stamp->length);
    putInteger(out, head.instance);
    put(out, " ", 1);
    putWord(out, head.event);
    bool joined = false;
    for (size_t i = 0; i < count; ++i) {
        if (!joined) {
            put(out, " ", 1);
        }
        putField(out, fields[i]);
        joined = fields[i].kind == traceFieldKind::key;
    }
    put(out, "\n", 1);
}
