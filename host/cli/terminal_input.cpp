// The plain terminal seam: lines as the terminal's own line discipline
// delivers them, without editing beyond it. Used where libedit is not.
#include "terminal_input.h"

#include <iostream>

#ifdef _WIN32
#include <io.h>
#include <stdio.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

struct terminalInput::state {
    std::string prompt;
    std::string pending;
    bool ended = false;

    bool takeLine(std::string& line)
    {
        const std::size_t end = pending.find('\n');
        if (end == std::string::npos) {
            return false;
        }
        line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return true;
    }
};

terminalInput::terminalInput(std::string prompt) : state_(std::make_unique<state>())
{
    state_->prompt = std::move(prompt);
}

terminalInput::~terminalInput() = default;

void terminalInput::setCompletions(std::vector<std::string>, std::vector<std::string>) {}

void terminalInput::printAbove(const std::string& text)
{
    std::cout << '\r' << text << state_->prompt << std::flush;
}

void terminalInput::showPrompt()
{
    std::cout << state_->prompt << std::flush;
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
    state& s = *state_;
    if (s.takeLine(line)) {
        return status::line;
    }
    if (s.ended) {
        if (s.pending.empty()) {
            return status::end;
        }
        line.swap(s.pending);
        s.pending.clear();
        return status::line;
    }
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, timeoutMs) <= 0) {
        return status::timeout;
    }
    char buffer[4096];
    const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
    if (count <= 0) {
        s.ended = true;
    } else {
        s.pending.append(buffer, static_cast<std::size_t>(count));
    }
    return s.takeLine(line) ? status::line : status::timeout;
}
#endif
