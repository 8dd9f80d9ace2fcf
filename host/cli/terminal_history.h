#pragma once

#include <string>

namespace panel_host {

// The terminal session's history file, .panel_host_history in the folder
// `home` (the user's home): "" without a home folder, or when the file is
// there but is no file of ours to read (a FIFO, a device, too large: told
// once on standard error).
std::string terminalHistoryFile(const char* home);

}  // namespace panel_host
