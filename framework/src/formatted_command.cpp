#include "formatted_command.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

std::string formatCommand(const char* format, ...)
{
    char shortText[32];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(shortText, sizeof shortText, format, args);
    va_end(args);
    std::string result;
    if (needed >= 0 && static_cast<std::size_t>(needed) < sizeof shortText) {
        result = shortText;
    } else if (needed > 0) {
        std::vector<char> longText(static_cast<std::size_t>(needed) + 1);
        std::vsnprintf(longText.data(), longText.size(), format, again);
        result = longText.data();
    }
    va_end(again);
    return result;
}
