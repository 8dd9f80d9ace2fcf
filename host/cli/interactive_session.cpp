#include "interactive_session.h"

#include "panel_view.h"
#include "terminal_input.h"

#include <algorithm>
#include <chrono>
#include <iostream>

namespace {

// Counts the notifications delivered, so that ticks fired in the background
// are followed by a look at the buttons.
class deliveryCounter final : public hostObserver {
public:
    void notificationStarting(const notification&) override { ++count; }
    long count = 0;
};

// Runs one operator line; false when the session should end.
bool runOperatorLine(scenarioRunner& runner, const std::string& text, int number)
{
    const scenarioLineParse parsed = parseScenarioLine(text, number);
    if (!parsed.ok) {
        std::cout << "  " << parsed.error << '\n';
        return true;
    }
    if (parsed.line.what == scenarioLine::kind::quit) {
        return false;
    }
    if (parsed.line.what == scenarioLine::kind::layoutsSetting ||
        parsed.line.what == scenarioLine::kind::routerSetting) {
        std::cout << "  settings are options here: --layouts, --router\n";
        return true;
    }
    runner.run(parsed.line);
    if (parsed.line.isAction()) {
        std::cout << renderSessionView(*runner.session());
    }
    return true;
}

void runFromPipe(scenarioRunner& runner)
{
    std::string text;
    for (int number = 1; std::getline(std::cin, text); ++number) {
        if (!runOperatorLine(runner, text, number)) {
            break;
        }
    }
}

void runOnTerminal(scenarioRunner& runner)
{
    using clock = std::chrono::steady_clock;
    hostSession& session = *runner.session();
    deliveryCounter deliveries;
    session.addObserver(&deliveries);
    terminalInput input;
    runner.setEcho(false);
    auto last = clock::now();
    std::cout << "type help for the commands, quit to end\n> " << std::flush;
    for (int number = 1;;) {
        const std::optional<std::int64_t> due = session.timers().nextDue();
        const std::int64_t untilDue = due ? *due - session.timers().now() : 1000;
        std::string text;
        const terminalInput::status got =
            input.readLine(static_cast<int>(std::clamp<std::int64_t>(untilDue, 0, 1000)), text);
        const auto now = clock::now();
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
        last += elapsed;
        const long before = deliveries.count;
        const std::optional<std::int64_t> next = session.timers().nextDue();
        if (next && *next <= session.timers().now() + elapsed.count()) {
            std::cout << '\r';  // ticks print over the waiting prompt
        }
        session.wait(elapsed.count());
        if (deliveries.count != before) {
            std::cout << renderButtonLine(session) << (got == terminalInput::status::timeout ? "> " : "")
                      << std::flush;
        }
        if (got == terminalInput::status::end) {
            break;
        }
        if (got == terminalInput::status::line) {
            if (!runOperatorLine(runner, text, number++)) {
                break;
            }
            std::cout << "> " << std::flush;
        }
    }
    session.removeObserver(&deliveries);
}

}  // namespace

int runInteractiveSession(const hostSetup& setup)
{
    scenarioRunner runner(setup, std::cout, "");
    if (!runner.start()) {
        return 2;
    }
    std::cout << renderSessionView(*runner.session());
    if (terminalInput::isTerminal()) {
        runOnTerminal(runner);
    } else {
        runFromPipe(runner);
    }
    runner.finish();
    std::cout << "# " << runner.session()->report().summary();
    for (const std::string& failure : runner.failures()) {
        std::cout << "# FAILED " << failure;
    }
    return 0;
}
