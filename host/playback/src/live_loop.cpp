#include "live_loop.h"

#include <algorithm>
#include <chrono>

namespace panel_host {

void runLiveLoop(hostSession& session, const liveLoopSteps& steps)
{
    using clock = std::chrono::steady_clock;
    // A line is waited for at most this long, so that time is never far behind.
    constexpr std::int64_t longestWaitMs = 1000;
    auto last = clock::now();
    for (int number = 1;;) {
        const std::optional<std::int64_t> due = session.timers().nextDue();
        const std::int64_t untilDue = due ? *due - session.timers().now() : longestWaitMs;
        std::string text;
        const lineReader::status got =
            steps.read(static_cast<int>(std::clamp<std::int64_t>(untilDue, 0, longestWaitMs)), text);
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(clock::now() - last);
        last += elapsed;
        session.wait(elapsed.count());
        steps.timePassed(got);
        if (got == lineReader::status::end) {
            return;
        }
        if (got == lineReader::status::line && !steps.line(text, number++)) {
            return;
        }
    }
}

}  // namespace panel_host
