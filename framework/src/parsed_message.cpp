#include "parsed_message.h"

#include <cstring>

namespace {
const char emptyText[] = "";
}

parsedMessage::parsedMessage(const char* text)
    : name(nullptr), parts{}, value(emptyText), count(0), hasValue(false), buffer(nullptr)
{
    for (const char*& part : parts) {
        part = emptyText;
    }
    const std::size_t length = text != nullptr ? std::strlen(text) : 0;
    if (length > 0) {
        buffer = new char[length + 1];
        std::memcpy(buffer, text, length + 1);
        for (std::size_t i = 0; i < length && count < maxParts; ++i) {
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

parsedMessage::~parsedMessage() { delete[] buffer; }
