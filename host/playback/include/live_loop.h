#pragma once

#include "host_session.h"
#include "line_reader.h"

#include <functional>
#include <string>

namespace panel_host {

// What a front end with real time does in the live loop.
struct liveLoopSteps {
    // Waits at most timeoutMs for an operator line.
    std::function<lineReader::status(int timeoutMs, std::string& line)> read;
    // After the session's clock moved on by the real time that passed (its
    // timer ticks delivered); `got` is what read() gave.
    std::function<void(lineReader::status got)> timePassed;
    // A line came (numbered from 1); false ends the loop.
    std::function<bool(const std::string& line, int number)> line;
};

// The live loop of the terminal session and serve's session: waits for an
// operator line at most until the next timer is due, moves the session's
// clock on by the real time that passed, then hands on the line; until the
// input ends or a line ends it.
void runLiveLoop(hostSession& session, const liveLoopSteps& steps);

}  // namespace panel_host
