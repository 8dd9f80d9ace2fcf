#include "trace_compare.h"

#include "command_interpreter.h"
#include "command_text.h"
#include "host_models.h"
#include "notify_codes.h"
#include "notification.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <utility>

namespace panel_host {

namespace {

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

// Every instance of the trace on one emulated host, as the real host has
// them: one router and one clock, an interpreter (panels, timers,
// registrations) per instance. The recorded events go to it in trace order.
class hostComparison {
public:
    hostComparison(const compareSetup& setup, std::vector<traceDifference>& out)
        : setup_(setup), out_(out), models_(setup.devices)
    {
        models_.router().setTallySink([this](const tallyData& t) {
            raised_.push_back({t, commandLine_, command_, false});
        });
    }

    void take(const traceEvent& e)
    {
        lastMs_ = std::max(lastMs_, e.ms);
        if (e.instance == 0) {
            return;
        }
        if (e.what == traceEvent::kind::load) {
            models_.addInstance(setup_.layouts);
        } else if (e.what == traceEvent::kind::send && e.code == sendExecute && e.text) {
            command(e);
        } else if (e.what == traceEvent::kind::reply && e.code == sendExecute && e.text) {
            reply(e);
        } else if (e.what == traceEvent::kind::notify && e.carried == traceEvent::payload::tally) {
            delivered_.push_back({e.line, {e.device, e.index, e.value, e.text.value_or(""), e.instance}});
        } else if (e.what == traceEvent::kind::notify && e.carried == traceEvent::payload::timer) {
            tick(e);
        }
    }

    // Tallies on both sides that found no partner, and timers that should
    // have ticked by the end of the trace.
    void finish()
    {
        for (const deliveredTally& real : delivered_) {
            const tallyData& t = real.tally;
            const auto partner = std::find_if(raised_.begin(), raised_.end(), [&real, &t](const raisedTally& ours) {
                return !ours.matched && ours.line < real.line && ours.tally.instance == t.instance &&
                       ours.tally.device == t.device && ours.tally.index == t.index && ours.tally.value == t.value &&
                       ours.tally.text == t.text;
            });
            if (partner != raised_.end()) {
                partner->matched = true;
            } else {
                add(real.line, "the real host delivered " + tallyText(t) + ", which ours would not have raised");
            }
        }
        for (const raisedTally& ours : raised_) {
            if (!ours.matched) {
                add(ours.line, "ours would have raised " + tallyText(ours.tally) + " after " +
                                   scenarioText(ours.command, setup_.page) + "; the real host delivered none");
            }
        }
        for (const timerScheduler::runningTimer& timer : models_.timers().running()) {
            const lastTick& last = lastTick_[{timer.instance, timer.id}];
            const std::int64_t since = lastMs_ - last.ms;
            if (since > timer.interval + setup_.tickToleranceMs) {
                add(last.line, timerName(timer.instance, timer.id) + " runs every " + std::to_string(timer.interval) +
                                   " ms, but the real host did not tick it in the last " + std::to_string(since) +
                                   " ms of the trace");
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

    // With several instances, texts name the one they concern.
    std::string ofInstance(std::int32_t instance) const
    {
        return models_.instanceCount() > 1 ? " of instance " + std::to_string(instance) : std::string();
    }
    std::string tallyText(const tallyData& t) const
    {
        return notification::tally(t.device, t.index, t.value, t.text).describe(setup_.page) +
               (models_.instanceCount() > 1 ? " to instance " + std::to_string(t.instance) : std::string());
    }
    std::string timerName(std::int32_t instance, std::int32_t id) const
    {
        return "timer " + std::to_string(id) + ofInstance(instance);
    }

    // Ours carries each command out when it is sent, in the order sent, by
    // the interpreter of the instance that sent it; its reply waits for the
    // recorded one.
    void command(const traceEvent& e)
    {
        commandLine_ = e.line;
        command_ = *e.text;
        const interpretation ours =
            models_.interpreter(e.instance).execute(withOurLayoutFolder(*e.text, setup_.layoutFolder));
        ourReplies_[e.line] = ours.reply;
        if (ours.parsed && ours.code == commandCode::ET) {
            const commandParse parse = parseCommandText(*e.text);
            lastTick_[{e.instance, parse.command.numbers[0]}] = {e.ms, e.line};
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
            add(e.openedOn, "the reply to " + scenarioText(*e.text, setup_.page) + ": the real host answered " +
                                quotedTextOrNull(recorded, setup_.page) + ", ours answers " +
                                quotedTextOrNull(ours->second, setup_.page));
        }
        ourReplies_.erase(ours);
    }

    void tick(const traceEvent& e)
    {
        // The script reads the payload's low 32 bits.
        const auto id = static_cast<std::int32_t>(static_cast<std::uint32_t>(e.timer));
        const std::vector<timerScheduler::runningTimer> running = models_.timers().running();
        const auto timer = std::find_if(
            running.begin(), running.end(),
            [&e, id](const timerScheduler::runningTimer& t) { return t.instance == e.instance && t.id == id; });
        const std::string name = timerName(e.instance, id);
        if (timer == running.end()) {
            add(e.line, "the real host ticked " + name + ", which ours does not run (never started, or stopped)");
            return;
        }
        lastTick& last = lastTick_[{e.instance, id}];
        const std::int64_t gap = e.ms - last.ms;
        const std::int64_t off = gap - timer->interval;
        last = {e.ms, e.line};
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
    hostModels models_;
    std::vector<raisedTally> raised_;
    std::vector<deliveredTally> delivered_;
    // Our replies to the commands sent and not yet answered, by send line.
    std::map<std::size_t, std::optional<std::string>> ourReplies_;
    // By instance and timer id.
    std::map<std::pair<std::int32_t, std::int32_t>, lastTick> lastTick_;
    std::size_t commandLine_ = 0;
    std::string command_;
    std::int64_t lastMs_ = 0;
};

}  // namespace

std::vector<traceDifference> compareTrace(const traceSource& source, const compareSetup& setup)
{
    std::vector<traceDifference> differences;
    hostComparison comparison(setup, differences);
    traceReader reader(source);
    for (traceEvent e; reader.next(e);) {
        comparison.take(e);
    }
    comparison.finish();
    std::stable_sort(differences.begin(), differences.end(),
                     [](const traceDifference& a, const traceDifference& b) { return a.line < b.line; });
    return differences;
}

}  // namespace panel_host
