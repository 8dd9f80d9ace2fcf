#include "trace_scenario.h"

#include "host_text.h"
#include "input_rules.h"
#include "notify_codes.h"
#include "scenario_line.h"

#include <deque>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <utility>

namespace panel_host {

namespace {

using lineKind = scenarioLine::kind;

// Bytes that a scenario line reads otherwise inside a double-quoted field
// that does not start a word: '#' may start a comment, an apostrophe hides
// one.
constexpr const char* scenarioSpecialBytes = "#'";

// Texts go into the scenario as traces hold them, without a code page: bare
// where the bare form holds them, else quoted with \xNN for every byte
// outside printable ASCII, so they are the same bytes in every code page.
std::string textField(const std::string& bytes)
{
    return scenarioText(bytes, std::nullopt);
}

std::string textOrNull(const traceText& bytes)
{
    return scenarioTextOrNull(bytes, std::nullopt);
}

std::string wordOrNull(const traceText& bytes)
{
    return bytes ? scenarioWord(*bytes, std::nullopt) : "null";
}

// What a scenario line carries to the host, in host bytes: its words (null
// where it says null), its text (null where it says null or has none) and
// whether it says null in the text's place.
struct lineMeaning {
    lineKind what = lineKind::blank;
    std::vector<traceText> words;
    traceText rest;
    bool restIsNull = false;
    std::int32_t instance = 1;

    bool operator==(const lineMeaning& other) const
    {
        return what == other.what && words == other.words && rest == other.rest && restIsNull == other.restIsNull &&
               instance == other.instance;
    }
};

// A line as it reads, its texts as host bytes (the same in every code page
// for the lines written here); nothing when it does not read.
std::optional<lineMeaning> meaningOf(const std::string& source)
{
    const scenarioLineParse parsed = parseScenarioLine(source, 1);
    if (!parsed.ok) {
        return std::nullopt;
    }
    const scenarioLine& line = parsed.line;
    const auto bytesOf = [](const std::string& text) {
        std::string bytes;
        std::string problem;
        return textToHostBytes(text, codePage::windows1252, bytes, problem) ? traceText(bytes) : std::nullopt;
    };
    lineMeaning meaning{
        line.what, {}, line.hasRest ? bytesOf(line.rest) : std::nullopt, line.restIsNull, line.instance};
    for (std::size_t i = 0; i < line.words.size(); ++i) {
        meaning.words.push_back(line.nullWords[i] ? std::nullopt : bytesOf(line.words[i]));
    }
    return meaning;
}

// A scenario line as it should read.
struct plannedLine {
    std::string source;
    lineMeaning meaning;
};

plannedLine planned(std::string source, lineKind what, traceText rest = std::nullopt, bool restIsNull = false,
                    std::vector<traceText> words = {})
{
    return {std::move(source), {what, std::move(words), std::move(rest), restIsNull}};
}

// The line for script instance `instance`: "@N LINE" from the second on.
plannedLine addressed(plannedLine line, std::int32_t instance)
{
    if (instance > 1) {
        line.source = "@" + std::to_string(instance) + " " + line.source;
        line.meaning.instance = instance;
    }
    return line;
}

// `keyword TEXT|null` for a text that may be null.
plannedLine textOrNullLine(const std::string& keyword, lineKind what, const traceText& text)
{
    return planned(keyword + " " + textOrNull(text), what, text, !text);
}

class scenarioWriter {
public:
    scenarioWriter(const std::function<void(const traceScenarioLine&)>& sink, const std::string& traceName,
                   std::string& error)
        : sink_(sink), traceName_(traceName), error_(error)
    {
    }

    // Adds a line once it reads back as meant: the form, the words and the
    // text it carries, untouched by comments and blanks.
    bool add(const plannedLine& line, std::size_t traceLine)
    {
        if (!readsAsMeant(line, traceLine)) {
            return false;
        }
        sink_({line.source, traceLine});
        return true;
    }
    bool comment(const std::string& text) { return add(planned("# " + shownText(text), lineKind::blank), 0); }

    bool answer(const traceEvent& reply)
    {
        return add(textOrNullLine("answer", lineKind::answer, reply.pointer ? reply.reply : std::nullopt), reply.line);
    }
    // A check line; one for an instance not made yet makes it.
    bool expect(const traceText& command, std::size_t traceLine, std::int32_t instance = 1)
    {
        return add(addressed(textOrNullLine("expect", lineKind::expect, command), instance), traceLine);
    }
    bool expectNothing(std::size_t traceLine, std::int32_t instance = 1)
    {
        return add(addressed(planned("expect nothing", lineKind::expectNothing), instance), traceLine);
    }
    bool result(const traceEvent& returned)
    {
        return add(
            textOrNullLine("expect result", lineKind::expectResult, returned.pointer ? returned.text : std::nullopt),
            returned.line);
    }
    // How the host was set up at the load: passive, or no host object at
    // all, and the path as recorded.
    bool setUp(const traceEvent& load)
    {
        const plannedLine host = load.pointer ? planned("host passive", lineKind::hostSetting)
                                              : planned("host null", lineKind::nullHostSetting);
        return add(host, load.line) && add(textOrNullLine("path", lineKind::pathSetting, load.text), load.line);
    }
    // The raw line that delivers a notification, or unload for a deletion.
    std::optional<plannedLine> actionOf(const traceEvent& e)
    {
        if (e.what == traceEvent::kind::destroy) {
            return planned("unload", lineKind::unload);
        }
        const auto n = [](std::int64_t v) { return std::to_string(v); };
        switch (e.carried) {
        case traceEvent::payload::tally: {
            const std::string text = e.text.value_or("");
            return planned("tally " + n(e.device) + " " + n(e.index) + " " + n(e.value) + " " + textField(text),
                           lineKind::tally, text);
        }
        case traceEvent::payload::button:
            return buttonLine(e);
        case traceEvent::payload::query:
            return textOrNullLine("query", lineKind::query, e.text);
        case traceEvent::payload::timer:
            if (e.timer < std::numeric_limits<std::int32_t>::min() ||
                e.timer > std::numeric_limits<std::int32_t>::max()) {
                fail(e.line, "tick " + n(e.timer), "a timer id within 32 bits");
                return std::nullopt;
            }
            return planned("tick " + n(e.timer), lineKind::tick);
        case traceEvent::payload::giveback:
        case traceEvent::payload::other:
        case traceEvent::payload::none:
            break;
        }
        // Any other code, and a null record of any code.
        return e.pointer ? planned("notify " + n(e.code), lineKind::notifyCode)
                         : planned("notify " + n(e.code) + " null", lineKind::notifyCode, std::nullopt, true);
    }
    // The action for script instance `instance`.
    bool action(const traceEvent& e, std::int32_t instance)
    {
        const std::optional<plannedLine> line = actionOf(e);
        return line && add(addressed(*line, instance), e.line);
    }
    // "during N LINE": the host acts from inside the script's Nth command.
    bool during(std::size_t command, const traceEvent& e, std::int32_t instance)
    {
        std::optional<plannedLine> line = actionOf(e);
        if (line) {
            line = addressed(*line, instance);
        }
        if (!line || !readsAsMeant(*line, e.line)) {
            return false;
        }
        return add(planned("during " + std::to_string(command) + " " + line->source, lineKind::during, line->source),
                   e.line);
    }

private:
    // A button whose event a text builds exactly (or a null event) is a
    // button line; any other record goes field by field.
    static plannedLine buttonLine(const traceEvent& e)
    {
        const std::string fields = wordOrNull(e.panel) + " " + wordOrNull(e.control) + " ";
        const std::vector<traceText> words{e.panel, e.control};
        const traceText eventText = e.event ? e.event->text() : std::nullopt;
        if (eventText || !e.event) {
            return planned("button " + fields + textOrNull(eventText), lineKind::button, eventText, !eventText, words);
        }
        const std::string record = writtenButtonEvent(e.event, std::nullopt, scenarioSpecialBytes);
        return planned("button-record " + fields + record, lineKind::buttonRecord, record, false, words);
    }

    bool readsAsMeant(const plannedLine& line, std::size_t traceLine)
    {
        const std::optional<lineMeaning> read = meaningOf(line.source);
        return (read && *read == line.meaning) ||
               fail(traceLine, line.source, "it would not read back as the recorded texts");
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
};

// One call into the script from the host (the export, a notify, the
// destructor) with everything that happened inside it: the commands, and
// what the host did from inside a command.
struct recordedCall {
    traceEvent cause;  // load, notify or destroy
    struct command {
        std::size_t sendLine = 0;
        traceText text;
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

// Follows the events of one instance, or of every instance (0), into
// calls, and writes each call as soon as it and every call before it are
// closed. With every instance, a call of one made from inside a command of
// another is part of the outer call, and lines name their instance.
class callCollector {
public:
    callCollector(scenarioWriter& writer, std::int32_t instance) : writer_(writer), instance_(instance) {}

    bool take(const traceEvent& e)
    {
        if (e.instance == 0 || (instance_ != 0 && e.instance != instance_)) {
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

    // The line of the call an event sits in: of its own instance, or with
    // every instance, of any.
    std::size_t outerCall(const traceEvent& e) const { return instance_ == 0 ? e.enclosedBy : e.innerCall; }
    // The instance a line goes to in the scenario: the replayed one is
    // instance 1 there.
    std::int32_t addressOf(const traceEvent& e) const { return instance_ == 0 ? e.instance : 1; }

    // The frame of the call an event sits in; a command outside any call of
    // its thread (a thread of the module's own) goes with the last call.
    openFrame around(const traceEvent& e)
    {
        const auto frame = frames_.find(outerCall(e));
        if (frame != frames_.end()) {
            return frame->second;
        }
        return {calls_.empty() ? nullptr : &calls_.back(), 0};
    }

    void begin(const traceEvent& e)
    {
        const auto frame = frames_.find(outerCall(e));
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
            frame.call->commands.push_back({e.line, e.text, std::nullopt});
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
            if (command.reply
                    ? !writer_.answer(*command.reply)
                    : !writer_.add(textOrNullLine("answer", lineKind::answer, std::nullopt), command.sendLine)) {
                return false;
            }
        }
        for (const auto& [command, e] : call.nested) {
            if (!writer_.during(command, e, addressOf(e))) {
                return false;
            }
        }
        const bool load = call.cause.what == traceEvent::kind::load;
        if (!load && !writer_.action(call.cause, addressOf(call.cause))) {
            return false;
        }
        // The first check of a load makes its instance.
        std::int32_t makes = load ? addressOf(call.cause) : 1;
        for (const recordedCall::command& command : call.commands) {
            if (!writer_.expect(command.text, command.sendLine, std::exchange(makes, 1))) {
                return false;
            }
        }
        if (!call.closed) {
            return writer_.comment("the trace ends during this call: it may have sent more");
        }
        return writer_.expectNothing(load ? 0 : call.cause.line, makes) &&
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

std::string whyNotReplayedTogether(const traceSource& source)
{
    std::optional<traceEvent> first;
    std::optional<std::uint64_t> thread;
    traceReader reader(source);
    for (traceEvent e; reader.next(e);) {
        const bool call = e.what == traceEvent::kind::load || e.what == traceEvent::kind::notify ||
                          e.what == traceEvent::kind::destroy;
        if (e.instance == 0 || !call) {
            continue;
        }
        if (thread && *thread != e.thread) {
            return "the host called them on several threads";
        }
        thread = e.thread;
        if (e.what != traceEvent::kind::load) {
            continue;
        }
        if (first && first->pointer.has_value() != e.pointer.has_value()) {
            return "some got a host object and some none";
        }
        if (first && first->text != e.text) {
            return "they got different paths";
        }
        if (!first) {
            first = e;
        }
    }
    return {};
}

bool writeTraceScenario(const traceSource& source, const traceSummary& summary, std::int32_t instance,
                        const std::function<void(const traceScenarioLine&)>& sink, std::string& error)
{
    if (instance < 0 || instance > summary.instances) {
        error = shownPath(source.name()) + ": the trace has no instance " + std::to_string(instance);
        return false;
    }
    scenarioWriter writer(sink, source.name(), error);
    callCollector calls(writer, instance);
    const std::string replayed =
        instance == 0 ? "every instance (@N: instance N)" : "instance " + std::to_string(instance);
    traceReader reader(source);
    bool setUp = false;
    for (traceEvent e; reader.next(e);) {
        if (!setUp && e.what == traceEvent::kind::load && (instance == 0 || e.instance == instance)) {
            setUp = true;
            if (!writer.comment(replayed + " of " + source.name() +
                                ": the recorded host's notifications and replies") ||
                !writer.setUp(e)) {
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
