#include "terminal_style.h"

#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace panel_host {

namespace {

// Whether standard output is a terminal that shows ANSI colours: on POSIX
// a terminal that is not "dumb"; on Windows a console that takes escape
// sequences once asked to (Windows 10 and later, wine).
bool terminalTakesColour()
{
#if defined(_WIN32)
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return GetConsoleMode(output, &mode) != 0 &&
           ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
            SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0);
#else
    const char* term = std::getenv("TERM");
    return isatty(STDOUT_FILENO) != 0 && (term == nullptr || std::strcmp(term, "dumb") != 0);
#endif
}

}  // namespace

bool colourWanted()
{
    const char* noColour = std::getenv("NO_COLOR");
    return (noColour == nullptr || *noColour == '\0') && terminalTakesColour();
}

std::string coloured(bool on, const char* sgr, const std::string& text)
{
    return on ? "\033[" + std::string(sgr) + "m" + text + "\033[0m" : text;
}

}  // namespace panel_host
