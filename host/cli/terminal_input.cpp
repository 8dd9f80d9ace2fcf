// The plain terminal seam: lines as the terminal's own line discipline
// delivers them, without editing beyond it. Used on POSIX where libedit is
// not.
#include "terminal_input.h"

#include "line_reader.h"

#include <iostream>

#include <unistd.h>

namespace panel_host {

struct terminalInput::state {
    std::string prompt;
    lineReader lines{0};
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

bool terminalInput::isTerminal()
{
    return isatty(STDIN_FILENO) != 0;
}

terminalInput::status terminalInput::readLine(int timeoutMs, std::string& line)
{
    switch (state_->lines.read(timeoutMs, line)) {
    case lineReader::status::line:
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return status::line;
    case lineReader::status::timeout:
        return status::timeout;
    case lineReader::status::end:
        break;
    }
    return status::end;
}

}  // namespace panel_host
