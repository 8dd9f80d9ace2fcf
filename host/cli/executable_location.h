#pragma once

#include <string>

namespace panel_host {

// The folder that holds the running panel-host file, or "" when the system
// does not tell. A platform seam: /proc/self/exe on Linux, the module file
// name on Windows.
std::string executableFolder();

}  // namespace panel_host
