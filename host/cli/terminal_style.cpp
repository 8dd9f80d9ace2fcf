#include "terminal_style.h"

#include <cstdlib>
#include <cstring>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace panel_host {

bool colourWanted()
{
#if defined(_WIN32)
    return false;
#else
    const char* noColour = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    return isatty(STDOUT_FILENO) != 0 && (noColour == nullptr || *noColour == '\0') &&
           (term == nullptr || std::strcmp(term, "dumb") != 0);
#endif
}

std::string coloured(bool on, const char* sgr, const std::string& text)
{
    return on ? "\033[" + std::string(sgr) + "m" + text + "\033[0m" : text;
}

}  // namespace panel_host
