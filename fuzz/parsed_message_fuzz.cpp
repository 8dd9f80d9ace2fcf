// Fuzz target: parsedMessage built from arbitrary bytes.
//
// Properties: count stays within 0..32; every entry of parts, name and value
// is a readable text inside the object's buffer or the shared empty text;
// the caller's text is unchanged; the pieces joined with their separators
// give back the text; the pieces hold no separator that should have split
// them; count and hasValue agree with a plain count of the separators.
#include "fuzz_check.h"
#include "fuzz_target.h"
#include "fuzz_text.h"
#include "parsed_message.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// The one static empty text that unfilled fields point to.
const char* sharedEmptyText()
{
    static const parsedMessage nothing(nullptr);
    return nothing.name;
}

bool hasSeparator(const char* text)
{
    return std::strpbrk(text, ".=") != nullptr;
}

std::string describe(const parsedMessage& message)
{
    std::string out = "name [" + printable(message.name) + "] count " + std::to_string(message.count);
    for (int k = 0; k < message.count && k < parsedMessage::maxParts; ++k) {
        out += " part [" + printable(message.parts[k]) + "]";
    }
    out += message.hasValue ? " value [" + printable(message.value) + "]" : " no value";
    return out;
}

void checkEmpty(const parsedMessage& message)
{
    const char* empty = sharedEmptyText();
    fuzzCheck(message.buffer == nullptr, "a null or empty text allocates nothing");
    fuzzCheck(message.count == 0 && !message.hasValue, "a null or empty text has no parts and no value");
    fuzzCheck(message.name == empty && message.value == empty, "a null or empty text reads as empty texts");
    for (const char* part : message.parts) {
        fuzzCheck(part == empty, "every part of an empty message is the shared empty text");
    }
}

void checkFieldsReadable(const parsedMessage& message, std::size_t length)
{
    fuzzCheck(message.count >= 0 && message.count <= parsedMessage::maxParts, "count stays within 0..32");
    fuzzCheck(isReadableTextIn(message.name, sharedEmptyText(), message.buffer, length), "name is a readable text");
    fuzzCheck(isReadableTextIn(message.value, sharedEmptyText(), message.buffer, length), "value is a readable text");
    for (const char* part : message.parts) {
        fuzzCheck(isReadableTextIn(part, sharedEmptyText(), message.buffer, length), "every part is a readable text");
    }
    for (int k = message.count; k < parsedMessage::maxParts; ++k) {
        fuzzCheck(message.parts[k] == sharedEmptyText(), "parts from count on are the shared empty text");
    }
    fuzzCheck(message.hasValue || message.value == sharedEmptyText(), "without '=' the value is the shared empty text");
}

// The split as a plain count: dots before the first '=', at most 32; the '='
// acts only when fewer than 32 dots come before it.
void checkAgainstSeparatorCount(const parsedMessage& message, const std::string& text)
{
    const std::size_t equals = text.find('=');
    const std::string beforeEquals = text.substr(0, equals);
    const auto dots = std::count(beforeEquals.begin(), beforeEquals.end(), '.');
    const long expectedCount = std::min<long>(static_cast<long>(dots), parsedMessage::maxParts);
    const bool expectedValue = equals != std::string::npos && dots < parsedMessage::maxParts;
    fuzzCheck(message.count == expectedCount && message.hasValue == expectedValue,
              "count and hasValue follow the separators of the text",
              [&] { return "text [" + printable(text) + "]: " + describe(message); });
}

// The pieces joined with their separators give back the text; each piece
// starts right after the separator that ends the one before; no piece holds
// a separator that should have split it (only the last part after the 32nd
// dot and the value keep the rest of the text as it is).
void checkPieces(const parsedMessage& message, const std::string& text)
{
    const auto details = [&] { return "text [" + printable(text) + "]: " + describe(message); };
    fuzzCheck(message.name == message.buffer, "the name starts the buffer", details);
    fuzzCheck(!hasSeparator(message.name), "the name holds no separator", details);
    std::string joined = message.name;
    const char* expectedStart = message.name + std::strlen(message.name) + 1;
    for (int k = 0; k < message.count; ++k) {
        fuzzCheck(message.parts[k] == expectedStart, "each part starts after its dot", details);
        const bool keepsRest = k == parsedMessage::maxParts - 1;
        fuzzCheck(keepsRest || !hasSeparator(message.parts[k]), "a part holds no separator", details);
        joined += '.';
        joined += message.parts[k];
        expectedStart = message.parts[k] + std::strlen(message.parts[k]) + 1;
    }
    if (message.hasValue) {
        fuzzCheck(message.value == expectedStart, "the value starts after the '='", details);
        joined += '=';
        joined += message.value;
    }
    fuzzCheck(joined == text, "the pieces joined with their separators give back the text",
              [&] { return details() + "\njoined [" + printable(joined) + "]"; });
}

void checkMessage(const std::string& text)
{
    const std::string before = text;
    const parsedMessage message(text.c_str());
    fuzzCheck(text == before, "the caller's text is unchanged");
    if (text.empty()) {
        checkEmpty(message);
        return;
    }
    fuzzCheck(message.buffer != nullptr && message.buffer != text.c_str(), "a non-empty text is copied");
    checkFieldsReadable(message, text.size());
    checkAgainstSeparatorCount(message, text);
    checkPieces(message, text);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        const parsedMessage fromNull(nullptr);
        checkEmpty(fromNull);
        checkMessage(std::string());
        return 0;
    }
    // Each NUL ends one C text; the bytes after it make the next one.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    for (;;) {
        const std::size_t stop = bytes.find('\0', start);
        checkMessage(bytes.substr(start, stop == std::string::npos ? std::string::npos : stop - start));
        if (stop == std::string::npos) {
            break;
        }
        start = stop + 1;
    }
    return 0;
}
