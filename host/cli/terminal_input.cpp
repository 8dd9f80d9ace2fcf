#include "terminal_input.h"

#include <iostream>

#ifdef _WIN32
#include <io.h>
#include <stdio.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

bool terminalInput::takeLine(std::string& line)
{
    const std::size_t end = pending_.find('\n');
    if (end == std::string::npos) {
        return false;
    }
    line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

#ifdef _WIN32
bool terminalInput::isTerminal()
{
    return _isatty(_fileno(stdin)) != 0;
}

terminalInput::status terminalInput::readLine(int, std::string& line)
{
    return std::getline(std::cin, line) ? status::line : status::end;
}
#else
bool terminalInput::isTerminal()
{
    return isatty(STDIN_FILENO) != 0;
}

terminalInput::status terminalInput::readLine(int timeoutMs, std::string& line)
{
    if (takeLine(line)) {
        return status::line;
    }
    if (ended_) {
        if (pending_.empty()) {
            return status::end;
        }
        line.swap(pending_);
        pending_.clear();
        return status::line;
    }
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, timeoutMs) <= 0) {
        return status::timeout;
    }
    char buffer[4096];
    const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
    if (count <= 0) {
        ended_ = true;
    } else {
        pending_.append(buffer, static_cast<std::size_t>(count));
    }
    return takeLine(line) ? status::line : status::timeout;
}
#endif
