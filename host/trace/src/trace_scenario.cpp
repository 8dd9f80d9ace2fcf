#include "trace_scenario.h"

#include "input_rules.h"
#include "scenario_line.h"

namespace panel_host {

namespace {

using lineKind = scenarioLine::kind;

class scenarioWriter {
public:
    scenarioWriter(traceScenario& out, const std::string& traceName) : out_(out), traceName_(traceName) {}

    // Adds a line and checks that it reads back as meant: the words and the
    // text it carries, untouched by comments, blanks and control characters.
    // `nullText`: the line says null ("answer null").
    bool add(const std::string& source, lineKind what, std::size_t traceLine,
             const std::vector<std::string>& words = {}, const std::string& rest = {}, bool nullText = false)
    {
        const scenarioLineParse parsed = parseScenarioLine(source, static_cast<int>(out_.lines.size() + 1));
        const scenarioLine& line = parsed.line;
        if (!parsed.ok || line.what != what || line.words != words || line.rest != rest ||
            line.hasRest != (!nullText && !rest.empty())) {
            out_.error = shownPath(traceName_) + ":" + std::to_string(traceLine) + ": \"" + excerpt(source, 60) +
                         "\" cannot be written as a scenario line (no control characters, no blanks at either end "
                         "of a text or in a panel or control name, no \" #\", no text \"null\")";
            return false;
        }
        out_.lines.push_back(source);
        out_.traceLines.push_back(traceLine);
        return true;
    }
    bool comment(const std::string& text) { return add("# " + shownText(text), lineKind::blank, 0); }

    bool answer(const traceEvent& send)
    {
        if (!send.pointer) {
            return add("answer null", lineKind::answer, send.line, {}, "null", true);
        }
        const std::string reply = send.reply.value_or("");
        return add("answer " + reply, lineKind::answer, send.line, {}, reply);
    }
    bool expect(const traceEvent& send)
    {
        const std::string command = send.text.value_or("");
        return add("expect " + command, lineKind::expect, send.line, {}, command);
    }
    bool action(const traceEvent& notify)
    {
        const auto n = [](std::int32_t v) { return std::to_string(v); };
        const std::string text = notify.text.value_or("");
        switch (notify.carried) {
        case traceEvent::payload::tally:
            return add("tally " + n(notify.device) + " " + n(notify.index) + " " + n(notify.value) +
                           (text.empty() ? "" : " " + text),
                       lineKind::tally, notify.line, {}, text);
        case traceEvent::payload::button: {
            const std::string panel = notify.panel.value_or("");
            const std::string control = notify.control.value_or("");
            const std::string event = notify.event.value_or("");
            return add("button " + panel + " " + control + " " + event, lineKind::button, notify.line, {panel, control},
                       event);
        }
        case traceEvent::payload::query:
            // An empty query text is sent as a null payload.
            return add(text.empty() ? "query" : "query " + text, lineKind::query, notify.line, {}, text);
        case traceEvent::payload::timer:
            return add("tick " + n(notify.value), lineKind::tick, notify.line);
        default:
            return add("notify " + n(notify.code), lineKind::notifyCode, notify.line);
        }
    }
    bool result(const traceEvent& returned)
    {
        if (!returned.pointer) {
            return add("expect result null", lineKind::expectResult, returned.line, {}, "null", true);
        }
        const std::string text = returned.text.value_or("");
        return add("expect result " + text, lineKind::expectResult, returned.line, {}, text);
    }

private:
    traceScenario& out_;
    const std::string& traceName_;
};

// The events of one call into the script (the export, a notify, the
// destructor): what started it and the commands sent during it.
struct recordedCall {
    const traceEvent* cause = nullptr;  // null: the export
    std::vector<const traceEvent*> commands;
    const traceEvent* returned = nullptr;
    // The call returned (created, returned, destroyed). One the trace ends
    // in (it stopped, or the process ended) may have sent more.
    bool closed = false;
};

std::vector<recordedCall> callsOf(const traceFile& trace, std::int32_t instance)
{
    std::vector<recordedCall> calls;
    std::int32_t notifyCode = 0;  // of the last notify, whose result a returned is
    for (const traceEvent& e : trace.events) {
        if (e.instance != instance) {
            continue;
        }
        switch (e.what) {
        case traceEvent::kind::load:
            calls.push_back({});
            break;
        case traceEvent::kind::notify:
            notifyCode = e.code;
            // The host's give-backs are the emulator's own after each query.
            if (e.code != 5) {
                calls.push_back({&e, {}, nullptr});
            }
            break;
        case traceEvent::kind::destroy:
            calls.push_back({&e, {}, nullptr});
            break;
        case traceEvent::kind::send:
            if (e.code == 0 && !calls.empty()) {
                calls.back().commands.push_back(&e);
            }
            break;
        case traceEvent::kind::returned:
            if (notifyCode == 3 && !calls.empty()) {
                calls.back().returned = &e;
            }
            if (notifyCode != 5 && !calls.empty()) {
                calls.back().closed = true;
            }
            break;
        case traceEvent::kind::created:
        case traceEvent::kind::destroyed:
            if (!calls.empty()) {
                calls.back().closed = true;
            }
            break;
        default:
            break;
        }
    }
    return calls;
}

bool writeCall(scenarioWriter& writer, const recordedCall& call)
{
    for (const traceEvent* command : call.commands) {
        if (!writer.answer(*command)) {
            return false;
        }
    }
    if (call.cause != nullptr) {
        const bool acted = call.cause->what == traceEvent::kind::destroy
                               ? writer.add("unload", lineKind::unload, call.cause->line)
                               : writer.action(*call.cause);
        if (!acted) {
            return false;
        }
    }
    for (const traceEvent* command : call.commands) {
        if (!writer.expect(*command)) {
            return false;
        }
    }
    if (!call.closed) {
        return writer.comment("the trace ends during this call: it may have sent more");
    }
    const std::size_t line = call.cause != nullptr ? call.cause->line : 0;
    return writer.add("expect nothing", lineKind::expectNothing, line) &&
           (call.returned == nullptr || writer.result(*call.returned));
}

}  // namespace

std::string traceScenario::text() const
{
    std::string all;
    for (const std::string& line : lines) {
        all += line + "\n";
    }
    return all;
}

traceScenario traceToScenario(const traceFile& trace, std::int32_t instance, const std::string& traceName)
{
    traceScenario scenario;
    scenarioWriter writer(scenario, traceName);
    const traceEvent* load = nullptr;
    for (const traceEvent& e : trace.events) {
        load = load == nullptr && e.instance == instance && e.what == traceEvent::kind::load ? &e : load;
    }
    if (load == nullptr) {
        scenario.error = shownPath(traceName) + ": the trace has no instance " + std::to_string(instance);
        return scenario;
    }
    // A null path is handed over as an empty one.
    const std::string path = load->text.value_or("");
    if (!writer.comment("instance " + std::to_string(instance) + " of " + traceName +
                        ": the recorded host's notifications and replies") ||
        !writer.add("host passive", lineKind::hostSetting, load->line) ||
        !writer.add(path.empty() ? "path" : "path " + path, lineKind::pathSetting, load->line, {}, path)) {
        return scenario;
    }
    for (const recordedCall& call : callsOf(trace, instance)) {
        if (!writeCall(writer, call)) {
            return scenario;
        }
    }
    scenario.ok = true;
    return scenario;
}

}  // namespace panel_host
