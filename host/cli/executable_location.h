#pragma once

#include <string>

// The folder that holds the running panel-host file, or "" when the system
// does not tell. A platform seam: /proc/self/exe on Linux, the module file
// name on Windows.
std::string executableFolder();
