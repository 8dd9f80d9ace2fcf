#include "trace_compare.h"

#include "command_interpreter.h"
#include "command_text.h"
#include "input_rules.h"
#include "notify_codes.h"
#include "notification.h"
#include "timer_scheduler.h"
#include "transcript_printer.h"

#include <algorithm>
#include <filesystem>
#include <memory>
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
        if (e.what == traceEvent::kind::send && e.code == sendExecute && e.text) {
            command(e);
        } else if (e.what == traceEvent::kind::reply && e.code == sendExecute && e.text) {
            reply(e);
        } else if (e.what == traceEvent::kind::notify && e.carried == traceEvent::payload::tally) {
            delivered_.push_back({e.line, {e.device, e.index, e.value, e.text.value_or("")}});
        } else if (e.what == traceEvent::kind::notify && e.carried == traceEvent::payload::timer) {
            tick(e);
        }
    }

    // Tallies on both sides that found no partner, and timers that should
    // have ticked by the end.
    void finish()
    {
        for (const deliveredTally& real : delivered_) {
            const tallyData& t = real.tally;
            const auto partner = std::find_if(raised_.begin(), raised_.end(), [&real, &t](const raisedTally& ours) {
                return !ours.matched && ours.line < real.line && ours.tally.device == t.device &&
                       ours.tally.index == t.index && ours.tally.value == t.value && ours.tally.text == t.text;
            });
            if (partner != raised_.end()) {
                partner->matched = true;
            } else {
                add(real.line, "the real host delivered " + tallyText(t.device, t.index, t.value, t.text) +
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
    struct deliveredTally {
        std::size_t line = 0;
        tallyData tally;
    };

    void add(std::size_t line, std::string text) { out_.push_back({line, std::move(text)}); }

    // Ours carries each command out when it is sent, in the order sent;
    // its reply waits for the recorded one.
    void command(const traceEvent& e)
    {
        commandLine_ = e.line;
        command_ = *e.text;
        const interpretation ours = interpreter_.execute(withOurLayoutFolder(*e.text, setup_.layoutFolder));
        ourReplies_[e.line] = ours.reply;
        if (ours.parsed && ours.code == commandCode::ET) {
            const commandParse parse = parseCommandText(*e.text);
            lastTick_[parse.command.numbers[0]] = {e.ms, e.line};
        }
    }

    void reply(const traceEvent& e)
    {
        const auto ours = ourReplies_.find(e.openedOn);
        if (ours == ourReplies_.end()) {
            return;
        }
        const std::optional<std::string> recorded = e.pointer ? e.reply : std::nullopt;
        if (ours->second != recorded) {
            add(e.openedOn, "the reply to " + shownText(*e.text) + ": the real host answered " +
                                shownText(showReply(recorded)) + ", ours answers " +
                                shownText(showReply(ours->second)));
        }
        ourReplies_.erase(ours);
    }

    void tick(const traceEvent& e)
    {
        // The script reads the payload's low 32 bits.
        const auto id = static_cast<std::int32_t>(static_cast<std::uint32_t>(e.timer));
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
    std::vector<deliveredTally> delivered_;
    // Our replies to the commands sent and not yet answered, by send line.
    std::map<std::size_t, std::optional<std::string>> ourReplies_;
    std::map<std::int32_t, lastTick> lastTick_;
    std::size_t commandLine_ = 0;
    std::string command_;
    std::int64_t lastMs_ = 0;
};

}  // namespace

std::vector<traceDifference> compareTrace(const traceSource& source, const compareSetup& setup)
{
    std::vector<traceDifference> differences;
    // Each instance's host, from its load on.
    std::map<std::int32_t, std::unique_ptr<instanceComparison>> comparisons;
    traceReader reader(source);
    for (traceEvent e; reader.next(e);) {
        if (e.instance == 0) {
            continue;
        }
        std::unique_ptr<instanceComparison>& comparison = comparisons[e.instance];
        if (comparison == nullptr) {
            comparison = std::make_unique<instanceComparison>(setup, differences);
        }
        comparison->take(e);
    }
    for (auto& [instance, comparison] : comparisons) {
        comparison->finish();
    }
    std::stable_sort(differences.begin(), differences.end(),
                     [](const traceDifference& a, const traceDifference& b) { return a.line < b.line; });
    return differences;
}

}  // namespace panel_host
