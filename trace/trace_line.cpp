#include "trace_line.h"

#include "text_builder.h"

#include <string.h>

namespace {

void put(traceLineOutput& out, const char* bytes, size_t length)
{
    if (out.spill != nullptr) {
        if (length != 0) {
            out.spill(bytes, length, out.context);
        }
    } else if (out.length + length <= out.capacity) {
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

void putInteger(traceLineOutput& out, int32_t number)
{
    if (number < 0) {
        put(out, "-", 1);
        putUnsigned(out, 0u - static_cast<uint32_t>(number));
    } else {
        putUnsigned(out, static_cast<uint32_t>(number));
    }
}

void putPointer(traceLineOutput& out, const void* pointer)
{
    if (pointer == nullptr) {
        putWord(out, "null");
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

// The bytes of `text`, escaped, without quotes: runs of plain bytes at once.
void putEscaped(traceLineOutput& out, const char* text)
{
    static const char hex[] = "0123456789abcdef";
    const char* run = text;
    for (const char* at = text;; ++at) {
        const unsigned char byte = static_cast<unsigned char>(*at);
        const bool plain = byte >= 0x20u && byte <= 0x7Eu && byte != '\\' && byte != '"';
        if (plain) {
            continue;
        }
        put(out, run, static_cast<size_t>(at - run));
        if (byte == 0u) {
            return;
        }
        if (byte == '\\' || byte == '"') {
            const char escaped[2] = {'\\', static_cast<char>(byte)};
            put(out, escaped, 2);
        } else {
            const char escaped[4] = {'\\', 'x', hex[byte >> 4], hex[byte & 0xFu]};
            put(out, escaped, 4);
        }
        run = at + 1;
    }
}

void putText(traceLineOutput& out, const char* text)
{
    if (text == nullptr) {
        putWord(out, "null");
        return;
    }
    put(out, "\"", 1);
    putEscaped(out, text);
    put(out, "\"", 1);
}

// The event text a button record carries, rebuilt from its split form.
void putMessage(traceLineOutput& out, const parsedMessage* message)
{
    if (message == nullptr) {
        putWord(out, "null");
        return;
    }
    put(out, "\"", 1);
    if (message->name != nullptr) {
        putEscaped(out, message->name);
    }
    const int32_t count =
        message->count < 0 ? 0 : (message->count > parsedMessage::maxParts ? parsedMessage::maxParts : message->count);
    for (int32_t k = 0; k < count; ++k) {
        put(out, ".", 1);
        if (message->parts[k] != nullptr) {
            putEscaped(out, message->parts[k]);
        }
    }
    if (message->hasValue) {
        put(out, "=", 1);
        if (message->value != nullptr) {
            putEscaped(out, message->value);
        }
    }
    put(out, "\"", 1);
}

void putField(traceLineOutput& out, const traceField& field)
{
    switch (field.kind) {
    case traceFieldKind::word:
    case traceFieldKind::key:
        putWord(out, field.word);
        break;
    case traceFieldKind::text:
        putText(out, static_cast<const char*>(field.address));
        break;
    case traceFieldKind::pointer:
        putPointer(out, field.address);
        break;
    case traceFieldKind::integer:
        putInteger(out, field.number);
        break;
    case traceFieldKind::message:
        putMessage(out, static_cast<const parsedMessage*>(field.address));
        break;
    }
}

}  // namespace

void formatTraceLine(traceLineOutput& out, const traceLineHead& head, const traceField* fields, size_t count)
{
    putUnsigned(out, head.milliseconds);
    put(out, " ", 1);
    putUnsigned(out, head.thread);
    put(out, " ", 1);
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
