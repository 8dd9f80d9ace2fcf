#include "trace_scenario.h"

#include "input_rules.h"
#include "notify_codes.h"
#include "scenario_line.h"

#include <deque>
#include <iterator>
#include <limits>
#include <map>
#include <optional>

namespace panel_host {

namespace {

using lineKind = scenarioLine::kind;

// Bytes that a scenario line reads otherwise inside a double-quoted field:
// '#' may start a comment, an apostrophe hides one.
constexpr const char* scenarioSpecialBytes = "#'";

// A scenario line as it should read: its source, form, words and text.
struct plannedLine {
    std::string source;
    lineKind what = lineKind::blank;
    std::vector<std::string> words;
    std::string rest;
    bool nullText = false;  // it says null ("answer null")
};

class scenarioWriter {
public:
    scenarioWriter(const std::function<void(const traceScenarioLine&)>& sink, const std::string& traceName,
                   std::string& error)
        : sink_(sink), traceName_(traceName), error_(error)
    {
    }

    // Adds a line once it reads back as meant: the words and the text it
    // carries, untouched by comments, blanks and control characters.
    bool add(const plannedLine& line, std::size_t traceLine)
    {
        if (!readsAsMeant(line, traceLine)) {
            return false;
        }
        sink_({line.source, traceLine});
        ++written_;
        return true;
    }
    bool comment(const std::string& text) { return add({"# " + shownText(text), lineKind::blank, {}, {}, false}, 0); }

    bool answer(const traceEvent& reply)
    {
        if (!reply.pointer) {
            return add({"answer null", lineKind::answer, {}, "null", true}, reply.line);
        }
        const std::string text = reply.reply.value_or("");
        return add({"answer " + text, lineKind::answer, {}, text, false}, reply.line);
    }
    bool expect(const std::string& command, std::size_t traceLine)
    {
        return add({"expect " + command, lineKind::expect, {}, command, false}, traceLine);
    }
    bool result(const traceEvent& returned)
    {
        if (!returned.pointer) {
            return add({"expect result null", lineKind::expectResult, {}, "null", true}, returned.line);
        }
        const std::string text = returned.text.value_or("");
        return add({"expect result " + text, lineKind::expectResult, {}, text, false}, returned.line);
    }
    // The raw line that delivers a notification, or unload for a deletion.
    std::optional<plannedLine> actionOf(const traceEvent& e)
    {
        if (e.what == traceEvent::kind::destroy) {
            return plannedLine{"unload", lineKind::unload, {}, {}, false};
        }
        const auto n = [](std::int64_t v) { return std::to_string(v); };
        const std::string text = e.text.value_or("");
        switch (e.carried) {
        case traceEvent::payload::tally:
            return plannedLine{
                "tally " + n(e.device) + " " + n(e.index) + " " + n(e.value) + (text.empty() ? "" : " " + text),
                lineKind::tally,
                {},
                text,
                false};
        case traceEvent::payload::button:
            return buttonLine(e);
        case traceEvent::payload::query:
            // An empty query text is sent as a null payload.
            return plannedLine{text.empty() ? "query" : "query " + text, lineKind::query, {}, text, false};
        case traceEvent::payload::timer:
            if (e.timer < std::numeric_limits<std::int32_t>::min() ||
                e.timer > std::numeric_limits<std::int32_t>::max()) {
                fail(e.line, "tick " + n(e.timer), "a timer id within 32 bits");
                return std::nullopt;
            }
            return plannedLine{"tick " + n(e.timer), lineKind::tick, {}, {}, false};
        case traceEvent::payload::giveback:
        case traceEvent::payload::other:
        case traceEvent::payload::none:
            break;
        }
        return plannedLine{"notify " + n(e.code), lineKind::notifyCode, {}, {}, false};
    }
    bool action(const traceEvent& e)
    {
        const std::optional<plannedLine> line = actionOf(e);
        return line && add(*line, e.line);
    }
    // "during N LINE": the host acts from inside the script's Nth command.
    bool during(std::size_t command, const traceEvent& e)
    {
        const std::optional<plannedLine> line = actionOf(e);
        if (!line || !readsAsMeant(*line, e.line)) {
            return false;
        }
        return add(
            {"during " + std::to_string(command) + " " + line->source, lineKind::during, {}, line->source, false},
            e.line);
    }

private:
    // A button whose event a text builds exactly is a button line; any
    // other record goes field by field.
    static plannedLine buttonLine(const traceEvent& e)
    {
        const std::string panel = e.panel.value_or("");
        const std::string control = e.control.value_or("");
        const std::optional<std::string> eventText = e.event ? e.event->text() : std::nullopt;
        if (eventText && e.panel && e.control) {
            return {"button " + panel + " " + control + " " + *eventText,
                    lineKind::button,
                    {panel, control},
                    *eventText,
                    false};
        }
        const std::string fields = writtenButtonEvent(e.event, std::nullopt, scenarioSpecialBytes);
        return {"button-record " + panel + " " + control + " " + fields,
                lineKind::buttonRecord,
                {panel, control},
                fields,
                false};
    }

    bool readsAsMeant(const plannedLine& planned, std::size_t traceLine)
    {
        const scenarioLineParse parsed = parseScenarioLine(planned.source, static_cast<int>(written_ + 1));
        const scenarioLine& line = parsed.line;
        const bool meant = parsed.ok && line.what == planned.what && line.words == planned.words &&
                           line.rest == planned.rest && line.hasRest == (!planned.nullText && !planned.rest.empty());
        return meant || fail(traceLine, planned.source,
                             "no control characters, no blanks at either end of a text or in a panel or control "
                             "name, no \" #\", no text \"null\"");
    }

    bool fail(std::size_t traceLine, const std::string& source, const std::string& rules)
    {
        error_ = shownPath(traceName_) + ":" + std::to_string(traceLine) + ": \"" + excerpt(source, 60) +
                 "\" cannot be written as a scenario line (" + rules + ")";
        return false;
    }

    const std::function<void(const traceScenarioLine&)>& sink_;
    const std::string& traceName_;
    std::string& error_;
    std::size_t written_ = 0;
};

// One call into the script from the host (the export, a notify, the
// destructor) with everything that happened inside it: the commands, and
// what the host did from inside a command.
struct recordedCall {
    traceEvent cause;  // load, notify or destroy
    struct command {
        std::size_t sendLine = 0;
        std::string text;
        std::optional<traceEvent> reply;
    };
    std::vector<command> commands;
    // A notification delivered, or a deletion, inside command N (from 1).
    std::vector<std::pair<std::size_t, traceEvent>> nested;
    std::optional<traceEvent> returned;  // a query's result
    // The call returned (created, returned, destroyed). One the trace ends
    // in (it stopped, or the process ended) may have sent more.
    bool closed = false;
};

// Follows one instance's events into calls, and writes each call as soon as
// it and every call before it are closed.
class callCollector {
public:
    callCollector(scenarioWriter& writer, std::int32_t instance) : writer_(writer), instance_(instance) {}

    bool take(const traceEvent& e)
    {
        if (e.instance != instance_) {
            return true;
        }
        using k = traceEvent::kind;
        switch (e.what) {
        case k::load:
        case k::notify:
        case k::destroy:
            begin(e);
            break;
        case k::send:
            sent(e);
            break;
        case k::reply:
            replied(e);
            break;
        case k::created:
        case k::returned:
        case k::destroyed:
            ended(e);
            break;
        case k::trace:
        case k::innerLoaded:
        case k::innerFailed:
        case k::stop:
        case k::unload:
            break;
        }
        return writeClosed();
    }

    // The calls left when the trace ends.
    bool finish()
    {
        while (!calls_.empty()) {
            if (!write(calls_.front())) {
                return false;
            }
            calls_.pop_front();
        }
        return true;
    }

private:
    // An open call of the instance: the recorded call it is part of, and
    // for a command its number in it (0: a give-back or another code).
    struct openFrame {
        recordedCall* call = nullptr;
        std::size_t command = 0;
    };

    // The frame of the call an event sits in; a command outside any call of
    // its thread (a thread of the module's own) goes with the last call.
    openFrame around(const traceEvent& e)
    {
        const auto frame = frames_.find(e.innerCall);
        if (frame != frames_.end()) {
            return frame->second;
        }
        return {calls_.empty() ? nullptr : &calls_.back(), 0};
    }

    void begin(const traceEvent& e)
    {
        const auto frame = frames_.find(e.innerCall);
        const bool inCommand = frame != frames_.end() && frame->second.command != 0;
        // The host's own give-backs follow from the query lines.
        const bool giveBack = e.what == traceEvent::kind::notify && e.code == notifyRelease;
        if (inCommand) {
            if (!giveBack) {
                frame->second.call->nested.emplace_back(frame->second.command, e);
            }
            frames_[e.line] = {frame->second.call, 0};
        } else if (giveBack && frame != frames_.end()) {
            frames_[e.line] = {frame->second.call, 0};
        } else if (!giveBack) {
            calls_.push_back({e, {}, {}, std::nullopt, false});
            frames_[e.line] = {&calls_.back(), 0};
        }
    }
    void sent(const traceEvent& e)
    {
        const openFrame frame = around(e);
        if (frame.call == nullptr) {
            return;
        }
        std::size_t command = 0;
        if (e.code == sendExecute) {
            frame.call->commands.push_back({e.line, e.text.value_or(""), std::nullopt});
            command = frame.call->commands.size();
        }
        frames_[e.line] = {frame.call, command};
    }
    void replied(const traceEvent& e)
    {
        const auto frame = frames_.find(e.openedOn);
        if (frame == frames_.end()) {
            return;
        }
        if (frame->second.command != 0) {
            frame->second.call->commands[frame->second.command - 1].reply = e;
        }
        frames_.erase(frame);
    }
    void ended(const traceEvent& e)
    {
        const auto frame = frames_.find(e.openedOn);
        if (frame == frames_.end()) {
            return;  // the end of a give-back of the host
        }
        recordedCall& call = *frame->second.call;
        frames_.erase(frame);
        if (call.cause.line != e.openedOn) {
            return;  // the end of a call made from inside a command
        }
        call.closed = true;
        if (e.what == traceEvent::kind::returned && e.code == notifyQuery) {
            call.returned = e;
        }
    }

    bool writeClosed()
    {
        while (!calls_.empty() && calls_.front().closed) {
            if (!write(calls_.front())) {
                return false;
            }
            forget(&calls_.front());
            calls_.pop_front();
        }
        return true;
    }
    // Frames still open of a call written (a thread left it open).
    void forget(const recordedCall* call)
    {
        for (auto it = frames_.begin(); it != frames_.end();) {
            it = it->second.call == call ? frames_.erase(it) : std::next(it);
        }
    }

    bool write(const recordedCall& call)
    {
        for (const recordedCall::command& command : call.commands) {
            // A command the trace ends in has no reply: it is answered null.
            if (command.reply ? !writer_.answer(*command.reply)
                              : !writer_.add({"answer null", lineKind::answer, {}, "null", true}, command.sendLine)) {
                return false;
            }
        }
        for (const auto& [command, e] : call.nested) {
            if (!writer_.during(command, e)) {
                return false;
            }
        }
        if (call.cause.what != traceEvent::kind::load && !writer_.action(call.cause)) {
            return false;
        }
        for (const recordedCall::command& command : call.commands) {
            if (!writer_.expect(command.text, command.sendLine)) {
                return false;
            }
        }
        if (!call.closed) {
            return writer_.comment("the trace ends during this call: it may have sent more");
        }
        return writer_.add({"expect nothing", lineKind::expectNothing, {}, {}, false},
                           call.cause.what == traceEvent::kind::load ? 0 : call.cause.line) &&
               (!call.returned || writer_.result(*call.returned));
    }

    scenarioWriter& writer_;
    std::int32_t instance_;
    std::deque<recordedCall> calls_;           // in the order they began; written from the front
    std::map<std::size_t, openFrame> frames_;  // the instance's open calls, by the line that began each
};

}  // namespace

std::string traceScenario::text() const
{
    std::string all;
    for (const traceScenarioLine& line : lines) {
        all += line.text + "\n";
    }
    return all;
}

bool writeTraceScenario(const traceSource& source, const traceSummary& summary, std::int32_t instance,
                        const std::function<void(const traceScenarioLine&)>& sink, std::string& error)
{
    if (instance < 1 || instance > summary.instances) {
        error = shownPath(source.name()) + ": the trace has no instance " + std::to_string(instance);
        return false;
    }
    scenarioWriter writer(sink, source.name(), error);
    callCollector calls(writer, instance);
    traceReader reader(source);
    for (traceEvent e; reader.next(e);) {
        if (e.instance == instance && e.what == traceEvent::kind::load) {
            // A null path is handed over as an empty one.
            const std::string path = e.text.value_or("");
            if (!writer.comment("instance " + std::to_string(instance) + " of " + source.name() +
                                ": the recorded host's notifications and replies") ||
                !writer.add({"host passive", lineKind::hostSetting, {}, {}, false}, e.line) ||
                !writer.add({path.empty() ? "path" : "path " + path, lineKind::pathSetting, {}, path, false}, e.line)) {
                return false;
            }
        }
        if (!calls.take(e)) {
            return false;
        }
    }
    if (!calls.finish()) {
        return false;
    }
    return summary.complete || writer.comment(summary.endNote);
}

traceScenario traceToScenario(const traceSource& source, const traceSummary& summary, std::int32_t instance)
{
    traceScenario scenario;
    scenario.ok = writeTraceScenario(
        source, summary, instance, [&scenario](const traceScenarioLine& line) { scenario.lines.push_back(line); },
        scenario.error);
    return scenario;
}

}  // namespace panel_host
