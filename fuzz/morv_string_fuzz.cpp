// Fuzz target: the string library against std::string equivalents.
//
// The input is a sequence of operations, each followed by its arguments:
// toInt against strtoll, the numeric constructor against std::to_chars, arg
// chains against a plain find-and-replace, split against std::string::find,
// and list building, joining and iteration against a plain split and join,
// along with concatenation, comparison and self-assignment.
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "fuzz_target.h"
#include "fuzz_text.h"
#include "morv_string.h"
#include "morv_stringlist.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::size_t maxText = 300;
// The numeric constructor pads to any width; wider fields only cost time.
constexpr unsigned maxWidth = 300;

std::string quoted(const std::string& text)
{
    return "[" + printable(text) + "]";
}

// strtoll reads the same form (white space, sign, decimal digits); the
// library saturates at the int range.
int referenceToInt(const std::string& text)
{
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value < INT_MIN) {
        return INT_MIN;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

void checkToInt(fuzzInput& input)
{
    const std::string text = input.text(maxText);
    const int got = morv_string(text.c_str()).toInt();
    const int want = referenceToInt(text);
    fuzzCheck(got == want, "toInt reads the leading decimal number as strtoll does, saturated",
              [&] { return quoted(text) + " gave " + std::to_string(got) + ", wanted " + std::to_string(want); });
}

std::string referenceNumber(int value, char fill, unsigned width, int base)
{
    if (base < 2 || base > 36) {
        base = 10;
    }
    char digits[72];
    const std::to_chars_result written =
        std::to_chars(digits, digits + sizeof digits, static_cast<long long>(value), base);
    std::string natural(digits, written.ptr);
    if (width <= natural.size()) {
        return natural;
    }
    const std::size_t padding = width - natural.size();
    if (fill == '0') {
        const std::size_t signLength = value < 0 ? 1U : 0U;
        return natural.substr(0, signLength) + std::string(padding, '0') + natural.substr(signLength);
    }
    return std::string(padding, fill == '\0' ? ' ' : fill) + natural;
}

void checkNumber(fuzzInput& input)
{
    const int value = input.interestingInt();
    const std::string decimal = std::to_string(value);
    fuzzCheck(morv_string(value) == decimal.c_str(), "a number becomes its plain decimal text",
              [&] { return decimal + " came out as " + quoted(morv_string(value).c_str()); });
    fuzzCheck(morv_string(decimal.c_str()) == value, "the decimal text of a number equals that number");
    const std::string other = input.text(16);
    fuzzCheck((morv_string(other.c_str()) == value) == (other == decimal), "only the decimal text equals a number",
              [&] { return quoted(other) + " against " + decimal; });

    const char fill = static_cast<char>(input.byte());
    const unsigned width = input.byte() % (maxWidth + 1);
    const int base = input.flag() ? input.interestingInt() : static_cast<int>(input.byte() % 40);
    const std::string want = referenceNumber(value, fill, width, base);
    const morv_string got(value, fill, width, base);
    fuzzCheck(got == want.c_str(), "a number is written in its base, padded to its width",
              [&] { return quoted(got.c_str()) + " wanted " + quoted(want); });
    fuzzCheck(morv_string("%1").arg(value, fill, width, base) == want.c_str(),
              "the numeric arg writes as the constructor");
}

// The lowest placeholder "%1".."%9" present, every occurrence, replaced by a
// plain find-and-replace.
std::string referenceArg(const std::string& text, const std::string& value)
{
    for (char digit = '1'; digit <= '9'; ++digit) {
        const std::string placeholder = {'%', digit};
        std::size_t at = text.find(placeholder);
        if (at == std::string::npos) {
            continue;
        }
        std::string result = text;
        while (at != std::string::npos) {
            result.replace(at, placeholder.size(), value);
            at = result.find(placeholder, at + value.size());
        }
        return result;
    }
    return text;
}

void checkArgChain(fuzzInput& input)
{
    std::string want = input.text(maxText);
    morv_string got(want.c_str());
    const unsigned steps = input.choice(12);
    for (unsigned step = 0; step < steps; ++step) {
        const std::string before = want;
        std::string value;
        if (input.flag()) {
            const int number = input.interestingInt();
            value = std::to_string(number);
            got = got.arg(number, '\0', 0, 10);
        } else {
            value = input.text(32);
            got = got.arg(morv_string(value.c_str()));
        }
        want = referenceArg(want, value);
        fuzzCheck(got == want.c_str(), "arg replaces the lowest placeholder left", [&] {
            return quoted(before) + " with " + quoted(value) + " gave " + quoted(got.c_str()) + ", wanted " +
                   quoted(want);
        });
    }
}

void checkSplit(fuzzInput& input)
{
    const std::string text = input.text(maxText);
    const char separator = static_cast<char>(input.byte());
    const std::size_t at = text.find(separator);
    const std::string wantLeft = at == std::string::npos ? text : text.substr(0, at);
    const std::string wantRight = at == std::string::npos ? std::string() : text.substr(at + 1);
    const int wantPieces = at == std::string::npos ? 1 : 2;

    const morv_string whole(text.c_str());
    morv_string left("stale");
    morv_string right("stale");
    const int pieces = whole.split(separator, left, right);
    const auto details = [&] {
        return quoted(text) + " at " + quoted(std::string(1, separator)) + " gave " + quoted(left.c_str()) + " " +
               quoted(right.c_str());
    };
    fuzzCheck(pieces == wantPieces && left == wantLeft.c_str() && right == wantRight.c_str(),
              "split cuts at the first separator", details);

    // The string itself as one of the outputs.
    morv_string intoLeft(text.c_str());
    morv_string otherRight;
    intoLeft.split(separator, intoLeft, otherRight);
    morv_string intoRight(text.c_str());
    morv_string otherLeft;
    intoRight.split(separator, otherLeft, intoRight);
    fuzzCheck(intoLeft == wantLeft.c_str() && otherRight == wantRight.c_str() && otherLeft == wantLeft.c_str() &&
                  intoRight == wantRight.c_str(),
              "split into the string itself gives the same pieces", details);
}

std::vector<std::string> referenceItems(const std::string& text, char delimiter)
{
    std::vector<std::string> items;
    if (text.empty()) {
        return items;
    }
    std::size_t start = 0;
    for (std::size_t at = text.find(delimiter); at != std::string::npos; at = text.find(delimiter, start)) {
        items.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    items.push_back(text.substr(start));
    return items;
}

std::vector<std::string> itemsOf(const morv_stringlist& list)
{
    std::vector<std::string> items;
    for (morv_stringlistIterator it = list.begin(); it != list.end(); ++it) {
        items.emplace_back((*it).c_str());
    }
    return items;
}

std::string describeItems(const std::vector<std::string>& items)
{
    std::string out = std::to_string(items.size()) + ":";
    for (const std::string& item : items) {
        out += " " + quoted(item);
    }
    return out;
}

// A NUL delimiter cannot stand inside a text; every other byte can.
char listDelimiter(fuzzInput& input)
{
    const char delimiter = static_cast<char>(input.byte());
    return delimiter == '\0' ? ',' : delimiter;
}

void checkListFromText(fuzzInput& input)
{
    const std::string text = input.text(maxText);
    const char delimiter = listDelimiter(input);
    const morv_stringlist list(morv_string(text.c_str()), delimiter);
    const std::vector<std::string> want = referenceItems(text, delimiter);
    const std::vector<std::string> got = itemsOf(list);
    fuzzCheck(got == want && list.count() == want.size(), "a list holds the items between the delimiters",
              [&] { return quoted(text) + " gave " + describeItems(got) + ", wanted " + describeItems(want); });
    fuzzCheck(list.toString(delimiter) == text.c_str(), "joining a list gives back the text it was built from");

    morv_stringlist copy(list);
    morv_stringlist assigned;
    assigned = list;
    fuzzCheck(itemsOf(copy) == want && itemsOf(assigned) == want, "copies hold the same items");
}

void checkListFromItems(fuzzInput& input)
{
    const char delimiter = listDelimiter(input);
    std::vector<std::string> items;
    morv_stringlist list;
    const unsigned count = input.choice(8);
    std::string joined;
    for (unsigned i = 0; i < count; ++i) {
        std::string item = input.text(24);
        item.erase(std::remove(item.begin(), item.end(), delimiter), item.end());
        list.append(morv_string(item.c_str()));
        joined += (i > 0 ? std::string(1, delimiter) : std::string()) + item;
        items.push_back(item);
    }
    fuzzCheck(itemsOf(list) == items, "appended items are kept in order");
    const morv_string text = list.toString(delimiter);
    fuzzCheck(text == joined.c_str(), "toString joins the items with the delimiter between them",
              [&] { return describeItems(items) + " gave " + quoted(text.c_str()); });
    // One empty item joins to the empty text, which reads back as no items.
    const std::vector<std::string> back = itemsOf(morv_stringlist(text, delimiter));
    const bool lone = items.size() == 1 && items[0].empty();
    fuzzCheck(back == (lone ? std::vector<std::string>() : items), "joined items read back as the same items",
              [&] { return describeItems(items) + " read back as " + describeItems(back); });
}

void checkJoining(fuzzInput& input)
{
    const std::string a = input.text(64);
    const std::string b = input.text(64);
    const morv_string left(a.c_str());
    const morv_string right(b.c_str());
    const std::string both = a + b;
    fuzzCheck(
        (left + b.c_str()) == both.c_str() && (a.c_str() + right) == both.c_str() && (left + right) == both.c_str(),
        "every form of + puts the left operand first");
    morv_string grown(left);
    grown += right;
    fuzzCheck(grown == both.c_str() && grown.length() == both.size(), "+= appends");
    grown += grown;
    fuzzCheck(grown == (both + both).c_str(), "+= of the string itself doubles it");
    const morv_string& same = grown;
    grown = same;
    fuzzCheck(grown == (both + both).c_str(), "self-assignment keeps the text");

    fuzzCheck((left == right) == (a == b) && (left == b.c_str()) == (a == b) && (left != b.c_str()) == (a != b),
              "equality is whole-text equality");
    fuzzCheck(left.length() == a.size() && left.isEmpty() == a.empty(), "length counts the characters");
    fuzzCheck(std::string(static_cast<const char*>(left)) == a && std::string(left.c_str()) == a,
              "the characters read back unchanged");
    morv_string assigned;
    assigned = a.c_str();
    morv_string copied(assigned);
    assigned = static_cast<const char*>(nullptr);
    fuzzCheck(copied == a.c_str() && assigned.isEmpty(), "assignment copies; a null text assigns the empty text");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzInput input(data, size);
    while (!input.empty()) {
        switch (input.choice(7)) {
        case 0:
            checkToInt(input);
            break;
        case 1:
            checkNumber(input);
            break;
        case 2:
            checkArgChain(input);
            break;
        case 3:
            checkSplit(input);
            break;
        case 4:
            checkListFromText(input);
            break;
        case 5:
            checkListFromItems(input);
            break;
        default:
            checkJoining(input);
            break;
        }
    }
    return 0;
}
