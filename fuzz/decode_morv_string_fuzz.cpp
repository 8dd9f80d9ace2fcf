// Fuzz target: decodeMORVString on arbitrary bytes with any quote character.
//
// Input: the first byte is the quote character; the rest is one or more
// texts separated by NUL bytes, each decoded on its own. Properties: count
// stays within 0..32; every token is a readable text inside the decoder's
// buffer or the shared empty text; the caller's text is unchanged; tokens
// and count agree with referenceDecode below, a deliberately plain second
// reading of the same rules.
#include "decode_morv_string.h"
#include "fuzz_check.h"
#include "fuzz_target.h"
#include "fuzz_text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

const char* sharedEmptyText()
{
    static const decodeMORVString nothing(nullptr, '\'');
    return nothing.tokens[0];
}

struct referenceToken {
    std::size_t start;
    std::string text;
};

// The rules in three plain passes. First, which bytes become separators: a
// quote character always (it opens or closes a quoted run), a space outside
// a quoted run. Second, where tokens begin: at 0, and after a separator at a
// byte that is no separator, or at a closing quote (an empty quoted token).
// Third, each token runs to the next separator. At most 32 tokens.
std::vector<referenceToken> referenceDecode(const std::string& text, char quote)
{
    const std::size_t length = text.size();
    std::vector<bool> separator(length, false);
    std::vector<bool> closingQuote(length, false);
    bool quoted = false;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == quote) {
            separator[i] = true;
            closingQuote[i] = quoted;
            quoted = !quoted;
        } else if (text[i] == ' ' && !quoted) {
            separator[i] = true;
        }
    }
    std::vector<std::size_t> starts;
    if (length > 0) {
        starts.push_back(0);
    }
    for (std::size_t i = 1; i < length && starts.size() < decodeMORVString::maxTokens; ++i) {
        if (separator[i - 1] && (!separator[i] || closingQuote[i])) {
            starts.push_back(i);
        }
    }
    std::vector<referenceToken> tokens;
    for (const std::size_t start : starts) {
        std::size_t end = start;
        while (end < length && !separator[end]) {
            ++end;
        }
        tokens.push_back({start, text.substr(start, end - start)});
    }
    return tokens;
}

std::string describe(const std::string& text, char quote, const decodeMORVString& decoder,
                     const std::vector<referenceToken>& expected)
{
    std::string out = "text [" + printable(text) + "] quote [" + printable(std::string(1, quote)) + "]\ngot   " +
                      std::to_string(decoder.count) + ":";
    for (int k = 0; k < decoder.count && k < decodeMORVString::maxTokens; ++k) {
        out += " [" + printable(decoder.tokens[k]) + "]";
    }
    out += "\nwanted " + std::to_string(expected.size()) + ":";
    for (const referenceToken& token : expected) {
        out += " [" + printable(token.text) + "]@" + std::to_string(token.start);
    }
    return out;
}

void checkDecoding(const std::string& text, char quote)
{
    const std::string before = text;
    const decodeMORVString decoder(text.c_str(), quote);
    fuzzCheck(text == before, "the caller's text is unchanged");
    fuzzCheck(decoder.quote == quote, "the decoder keeps its quote character");
    fuzzCheck(decoder.count >= 0 && decoder.count <= decodeMORVString::maxTokens, "count stays within 0..32");
    fuzzCheck((decoder.buffer == nullptr) == text.empty(), "only a non-empty text is copied");
    for (const char* token : decoder.tokens) {
        fuzzCheck(isReadableTextIn(token, sharedEmptyText(), decoder.buffer, text.size()),
                  "every token is a readable text");
    }
    for (int k = decoder.count; k < decodeMORVString::maxTokens; ++k) {
        fuzzCheck(decoder.tokens[k] == sharedEmptyText(), "tokens from count on are the shared empty text");
    }

    const std::vector<referenceToken> expected = referenceDecode(text, quote);
    const auto details = [&] { return describe(text, quote, decoder, expected); };
    fuzzCheck(static_cast<std::size_t>(decoder.count) == expected.size(), "count agrees with the plain reading",
              details);
    for (std::size_t k = 0; k < expected.size(); ++k) {
        fuzzCheck(decoder.tokens[k] == decoder.buffer + expected[k].start && expected[k].text == decoder.tokens[k],
                  "every token agrees with the plain reading", details);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        const decodeMORVString fromNull(nullptr, '\'');
        fuzzCheck(fromNull.count == 0 && fromNull.buffer == nullptr, "a null text gives no tokens");
        return 0;
    }
    const char quote = static_cast<char>(data[0]);
    const std::string texts(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::size_t start = 0;
    for (;;) {
        const std::size_t stop = texts.find('\0', start);
        checkDecoding(texts.substr(start, stop == std::string::npos ? std::string::npos : stop - start), quote);
        if (stop == std::string::npos) {
            break;
        }
        start = stop + 1;
    }
    return 0;
}
