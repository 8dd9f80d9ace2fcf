#pragma once

#include <string>

// Reading operator lines from standard input with a timeout, so that the
// interactive session can fire timers while it waits. The one platform seam
// of the front end.
class terminalInput {
public:
    enum class status { line, timeout, end };

    // Standard input is a terminal (not a pipe or a file).
    static bool isTerminal();

    // Waits at most timeoutMs (0 or more) for a whole line; `line` receives
    // it without its line end. On Windows it waits for the line without a
    // timeout (timers then advance between lines).
    status readLine(int timeoutMs, std::string& line);

private:
    bool takeLine(std::string& line);

    std::string pending_;
    bool ended_ = false;
};
