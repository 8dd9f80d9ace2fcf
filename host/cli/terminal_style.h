#pragma once

#include <string>

namespace panel_host {

// Colour for the terminal session: on when standard output is a terminal
// and NO_COLOR is unset (and TERM is not "dumb"). A platform seam: isatty on
// POSIX; off on Windows.
bool colourWanted();

// `text` in the ANSI colour `sgr` ("1;31") when `on`, else as it is.
std::string coloured(bool on, const char* sgr, const std::string& text);

}  // namespace panel_host
