#include "trace_compare.h"

#include "command_interpreter.h"
#include "command_text.h"
#include "input_rules.h"
#include "notification.h"
#include "timer_scheduler.h"
#include "transcript_printer.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace panel_host {

namespace {

std::string tallyText(std::int32_t device, std::int32_t index, std::int32_t value, const std::string& text)
{
    return shownText(notification::tally(device, index, value, text).describe());
}

// "PS" names the layout file where the real host had it; ours takes the
// file of that name from its layout folder.
std::string withOurLayoutFolder(const std::string& command, const std::string& folder)
{
    const commandParse parse = parseCommandText(command);
    if (!parse.ok || parse.command.code != commandCode::PS || folder.empty()) {
        return command;
    }
    const std::vector<std::string>& texts = parse.command.texts;
    const std::string& path = texts[1];
    const std::size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string rewritten = "PS '" + texts[0] + "' '" + (std::filesystem::path(folder) / name).string() + "'";
    for (std::size_t i = 2; i < texts.size(); ++i) {
        rewritten += " '" + texts[i] + "'";
    }
    return rewritten;
}

// One instance's emulated host, fed the instance's recorded events.
class instanceComparison {
public:
    instanceComparison(const compareSetup& setup, std::vector<traceDifference>& out)
        : setup_(setup), out_(out), router_(setup.devices), interpreter_(panels_, router_, timers_)
    {
        interpreter_.preloadLayouts(setup.layouts);
        router_.setTallySink([this](const tallyData& t) { raised_.push_back({t, commandLine_, command_, false}); });
    }

    void take(const traceEvent& e)
    {
        lastMs_ = e.ms;
        if (e.what == traceEvent::kind::send && e.code == 0 && e.text) {
            command(e);
        } else if (e.what == traceEvent::kind::notify && e.carried == traceEvent::payload::tally) {
            delivered_.push_back(&e);
        } else if (e.what == traceEvent::kind::notify && e.carried == traceEvent::payload::timer) {
            tick(e);
        }
    }

    // Tallies on both sides that found no partner, and timers that should
    // have ticked by the end.
    void finish()
    {
        for (const traceEvent* real : delivered_) {
            const auto partner = std::find_if(raised_.begin(), raised_.end(), [real](const raisedTally& ours) {
                return !ours.matched && ours.line < real->line && ours.tally.device == real->device &&
                       ours.tally.index == real->index && ours.tally.value == real->value &&
                       ours.tally.text == real->text.value_or("");
            });
            if (partner != raised_.end()) {
                partner->matched = true;
            } else {
                add(real->line, "the real host delivered " +
                                    tallyText(real->device, real->index, real->value, real->text.value_or("")) +
                                    ", which ours would not have raised");
            }
        }
        for (const raisedTally& ours : raised_) {
            if (!ours.matched) {
                add(ours.line, "ours would have raised " +
                                   tallyText(ours.tally.device, ours.tally.index, ours.tally.value, ours.tally.text) +
                                   " after " + shownText(ours.command) + "; the real host delivered none");
            }
        }
        for (const timerScheduler::runningTimer& timer : timers_.running()) {
            const std::int64_t since = lastMs_ - lastTick_[timer.id].ms;
            if (since > timer.interval + setup_.tickToleranceMs) {
                add(lastTick_[timer.id].line, "timer " + std::to_string(timer.id) + " runs every " +
                                                  std::to_string(timer.interval) +
                                                  " ms, but the real host did not tick it in the last " +
                                                  std::to_string(since) + " ms of the instance");
            }
        }
    }

private:
    struct raisedTally {
        tallyData tally;
        std::size_t line = 0;
        std::string command;
        bool matched = false;
    };
    struct lastTick {
        std::int64_t ms = 0;
        std::size_t line = 0;
    };

    void add(std::size_t line, std::string text) { out_.push_back({line, std::move(text)}); }

    void command(const traceEvent& e)
    {
        commandLine_ = e.line;
        command_ = *e.text;
        const interpretation ours = interpreter_.execute(withOurLayoutFolder(*e.text, setup_.layoutFolder));
        const std::optional<std::string> recorded = e.pointer ? e.reply : std::nullopt;
        if (ours.reply != recorded) {
            add(e.line, "the reply to " + shownText(*e.text) + ": the real host answered " +
                            shownText(showReply(recorded)) + ", ours answers " + shownText(showReply(ours.reply)));
        }
        if (ours.parsed && ours.code == commandCode::ET) {
            const commandParse parse = parseCommandText(*e.text);
            lastTick_[parse.command.numbers[0]] = {e.ms, e.line};
        }
    }

    void tick(const traceEvent& e)
    {
        const std::int32_t id = e.value;
        const std::vector<timerScheduler::runningTimer> running = timers_.running();
        const auto timer = std::find_if(running.begin(), running.end(),
                                        [id](const timerScheduler::runningTimer& t) { return t.id == id; });
        const std::string name = "timer " + std::to_string(id);
        if (timer == running.end()) {
            add(e.line, "the real host ticked " + name + ", which ours does not run (never started, or stopped)");
            return;
        }
        const std::int64_t gap = e.ms - lastTick_[id].ms;
        const std::int64_t off = gap - timer->interval;
        lastTick_[id] = {e.ms, e.line};
        if (off > setup_.tickToleranceMs && gap >= 2 * timer->interval - setup_.tickToleranceMs) {
            add(e.line, name + " ticked " + std::to_string(gap) +
                            " ms after its last tick or start; ours would have "
                            "ticked " +
                            std::to_string(gap / timer->interval - (gap % timer->interval == 0 ? 1 : 0)) +
                            " more time(s) before (interval " + std::to_string(timer->interval) + " ms)");
        } else if (off > setup_.tickToleranceMs || -off > setup_.tickToleranceMs) {
            add(e.line, name + " ticked " + std::to_string(off > 0 ? off : -off) + " ms " +
                            (off > 0 ? "late" : "early") + ": " + std::to_string(gap) +
                            " ms after its last tick or start, interval " + std::to_string(timer->interval) + " ms");
        }
    }

    const compareSetup& setup_;
    std::vector<traceDifference>& out_;
    panelModel panels_;
    routerModel router_;
    timerScheduler timers_;
    commandInterpreter interpreter_;
    std::vector<raisedTally> raised_;
    std::vector<const traceEvent*> delivered_;
    std::map<std::int32_t, lastTick> lastTick_;
    std::size_t commandLine_ = 0;
    std::string command_;
    std::int64_t lastMs_ = 0;
};

}  // namespace

std::vector<traceDifference> compareTrace(const traceFile& trace, const compareSetup& setup)
{
    std::vector<traceDifference> differences;
    for (std::int32_t instance = 1; instance <= trace.instances; ++instance) {
        instanceComparison comparison(setup, differences);
        for (const traceEvent& e : trace.events) {
            if (e.instance == instance) {
                comparison.take(e);
            }
        }
        comparison.finish();
    }
    std::stable_sort(differences.begin(), differences.end(),
                     [](const traceDifference& a, const traceDifference& b) { return a.line < b.line; });
    return differences;
}

}  // namespace panel_host
