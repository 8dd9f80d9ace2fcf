#pragma once

#include <string>
#include <vector>

// Every text a real host may carry, for tests that take them through the
// program: each byte value from 1 to 255 alone, the empty text, blanks at
// either end, "null", " #", an apostrophe and a tab.
inline std::vector<std::string> hostTexts()
{
    std::vector<std::string> texts{"", " padded ", "null", " #", "Seven's", "a\tb"};
    for (int byte = 1; byte <= 255; ++byte) {
        texts.emplace_back(1, static_cast<char>(byte));
    }
    return texts;
}
