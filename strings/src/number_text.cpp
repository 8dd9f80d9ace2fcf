#include "number_text.h"

std::string formatNumber(int value, char fill, unsigned width, int base)
{
    if (base < 2 || base > 36) {
        base = 10;
    }
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    // Work on the magnitude as unsigned so that INT_MIN has one too.
    unsigned magnitude = value < 0 ? 0U - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    std::string body;
    do {
        body.insert(body.begin(), digits[magnitude % static_cast<unsigned>(base)]);
        magnitude /= static_cast<unsigned>(base);
    } while (magnitude != 0);

    const std::string sign = value < 0 ? "-" : "";
    const std::size_t used = sign.size() + body.size();
    const std::size_t padding = width > used ? width - used : 0;
    if (fill == '0') {
        return sign + std::string(padding, '0') + body;
    }
    return std::string(padding, fill == '\0' ? ' ' : fill) + sign + body;
}
