#include "parsed_message.h"

#include <stdlib.h>
#include <string.h>

namespace {
const char emptyText[] = "";
}

parsedMessage::parsedMessage(const char* text)
    : name(nullptr), parts{}, value(emptyText), count(0), hasValue(false), buffer(nullptr)
{
    for (const char*& part : parts) {
        part = emptyText;
    }
    const size_t length = text != nullptr ? strlen(text) : 0;
    // Without memory for the copy the message stays empty (buffer null).
    buffer = length > 0 ? static_cast<char*>(malloc(length + 1)) : nullptr;
    if (buffer != nullptr) {
        memcpy(buffer, text, length + 1);
        for (size_t i = 0; i < length && count < maxParts; ++i) {
            if (buffer[i] == '.') {
                if (name == nullptr) {
                    name = buffer;
                }
                buffer[i] = '\0';
                parts[count++] = buffer + i + 1;
            } else if (buffer[i] == '=') {
                if (name == nullptr) {
                    name = buffer;
                }
                buffer[i] = '\0';
                hasValue = true;
                value = buffer + i + 1;
                break;
            }
        }
    }
    if (name == nullptr) {
        name = buffer != nullptr ? buffer : emptyText;
    }
}

parsedMessage::~parsedMessage()
{
    free(buffer);
}
