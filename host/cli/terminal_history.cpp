#include "terminal_history.h"

#include "input_rules.h"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace panel_host {

std::string terminalHistoryFile(const char* home)
{
    if (home == nullptr || *home == '\0') {
        return {};
    }
    const std::string file = (std::filesystem::path(home) / ".panel_host_history").string();
    std::error_code ignored;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, ignored))) {
        return file;
    }
    if (const std::string problem = fileProblem(file, "history"); !problem.empty()) {
        static bool told = false;
        if (!told) {
            told = true;
            std::cerr << "error: " << problem << "; the history is not kept\n" << std::flush;
        }
        return {};
    }
    return file;
}

}  // namespace panel_host
