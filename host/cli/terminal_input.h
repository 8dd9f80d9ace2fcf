#pragma once

#include "line_reader.h"

#include <memory>
#include <string>
#include <vector>

namespace panel_host {

// Reading operator lines from a terminal with a timeout, so that the
// interactive session can fire timers while it waits: the platform seam of
// the front end. Three implementations, chosen by CMake:
//   terminal_input_libedit.cpp  line editing, history and completion (libedit)
//   terminal_input_windows.cpp  the same on the Windows console (lineEditing)
//   terminal_input.cpp          plain lines (POSIX without libedit)
class terminalInput {
public:
    using status = lineReader::status;

    // Standard input is a terminal (not a pipe or a file).
    static bool isTerminal();

    explicit terminalInput(std::string prompt);
    ~terminalInput();
    terminalInput(const terminalInput&) = delete;
    terminalInput& operator=(const terminalInput&) = delete;

    // The words completion offers: the first word of a line from `first`,
    // later words from `later`.
    void setCompletions(std::vector<std::string> first, std::vector<std::string> later);

    // Waits at most timeoutMs (0 or more) for a whole line; `line` receives
    // it without its line end. Typed lines join the history.
    status readLine(int timeoutMs, std::string& line);

    // Prints `text` (whole lines) while a line is being typed: the typed text
    // and the prompt are shown again below it, untouched.
    void printAbove(const std::string& text);
    // Shows the prompt for the next line, after the output of the last.
    void showPrompt();

private:
    struct state;
    std::unique_ptr<state> state_;
};

}  // namespace panel_host
