#pragma once

#include <string>

namespace panel_host {

// Colour for the terminal session: on when NO_COLOR is unset and standard
// output is a terminal that shows colours. A platform seam: isatty (and TERM
// not "dumb") on POSIX; a console that takes escape sequences on Windows.
bool colourWanted();

// `text` in the ANSI colour `sgr` ("1;31") when `on`, else as it is.
std::string coloured(bool on, const char* sgr, const std::string& text);

}  // namespace panel_host
