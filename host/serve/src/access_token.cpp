#include "access_token.h"

#include <cstdint>
#include <random>

namespace panel_host {

namespace {

// The value after "name=" in a list of "k=v" pairs split by `separator`.
std::string pairValue(const std::string& text, const std::string& name, char separator)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        end = end == std::string::npos ? text.size() : end;
        std::size_t first = text.find_first_not_of(' ', start);
        if (first < end && text.compare(first, name.size() + 1, name + "=") == 0) {
            return text.substr(first + name.size() + 1, end - first - name.size() - 1);
        }
        start = end + 1;
    }
    return {};
}

}  // namespace

std::string makeAccessToken()
{
    std::random_device source;
    static const char digits[] = "0123456789abcdef";
    std::string token;
    for (int word = 0; word < 4; ++word) {
        std::uint32_t bits = source();
        for (int digit = 0; digit < 8; ++digit, bits >>= 4) {
            token += digits[bits & 15];
        }
    }
    return token;
}

bool sameSecret(const std::string& given, const std::string& secret)
{
    unsigned difference = given.size() == secret.size() ? 0 : 1;
    for (std::size_t i = 0; i < secret.size(); ++i) {
        const unsigned char a = static_cast<unsigned char>(i < given.size() ? given[i] : 0);
        difference |= static_cast<unsigned>(a ^ static_cast<unsigned char>(secret[i]));
    }
    return difference == 0 && !secret.empty();
}

std::string queryValue(const std::string& query, const std::string& name)
{
    return pairValue(query, name, '&');
}

std::string cookieValue(const std::string& header, const std::string& name)
{
    return pairValue(header, name, ';');
}

}  // namespace panel_host
