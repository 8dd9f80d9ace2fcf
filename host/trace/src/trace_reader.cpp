#include "trace_reader.h"

#include "input_rules.h"
#include "line_reader.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>

namespace panel_host {

namespace {

constexpr const char* versionLine = "morv-trace 1";
constexpr const char* versionWord = "morv-trace ";

// Why a field or a line cannot be read, and where (0-based byte offset).
struct traceProblem {
    std::size_t at = 0;
    std::string reason;
};

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

int hexValue(char c)
{
    return c <= '9' ? c - '0' : c - 'a' + 10;
}

// Reads the fields of one event line, left to right, each after exactly one
// blank. Every reader returns false with `problem` set.
class fieldReader {
public:
    explicit fieldReader(const std::string& line) : line_(line) {}

    traceProblem problem;

    bool fail(std::size_t at, std::string reason)
    {
        problem = {at, std::move(reason)};
        return false;
    }
    bool atEnd() const { return at_ >= line_.size(); }
    std::size_t at() const { return at_; }

    // The blank before the next field (none before the first).
    bool separator(const char* what)
    {
        if (at_ == 0) {
            return true;
        }
        if (atEnd()) {
            return fail(at_, std::string("expected ") + what + " after a blank, found the line end");
        }
        if (line_[at_] != ' ') {
            return fail(at_, std::string("expected a blank before ") + what);
        }
        ++at_;
        if (atEnd() || line_[at_] == ' ') {
            return fail(at_, std::string("expected ") + what + " after one blank");
        }
        return true;
    }

    bool word(std::string& w, const char* what)
    {
        if (!separator(what)) {
            return false;
        }
        const std::size_t end = std::min(line_.find(' ', at_), line_.size());
        w = line_.substr(at_, end - at_);
        at_ = end;
        return true;
    }

    // "key=" before a value.
    bool key(const char* name)
    {
        const std::string wanted = std::string(name) + "=";
        if (!separator(wanted.c_str())) {
            return false;
        }
        if (line_.compare(at_, wanted.size(), wanted) != 0) {
            return fail(at_, "expected " + wanted);
        }
        at_ += wanted.size();
        return true;
    }

    bool unsignedNumber(std::uint64_t max, std::uint64_t& value, const char* what)
    {
        const std::size_t start = at_;
        std::string w;
        if (!word(w, what)) {
            return false;
        }
        const char* end = w.data() + w.size();
        const auto [ptr, ec] = std::from_chars(w.data(), end, value);
        if (w.empty() || ptr != end || ec != std::errc() || value > max) {
            return fail(start == 0 ? 0 : start + 1, std::string(what) + " \"" + excerpt(w) +
                                                        "\" is not a whole number from 0 to " + std::to_string(max));
        }
        return true;
    }

    // INT: plain decimal with an optional '-', within the 32-bit range;
    // directly after a key when `keyed`.
    bool integer(std::int32_t& value, const char* what, bool keyed = false)
    {
        const std::size_t start = keyed ? at_ : at_ + 1;
        std::string w;
        if (keyed) {
            const std::size_t end = std::min(line_.find(' ', at_), line_.size());
            w = line_.substr(at_, end - at_);
            at_ = end;
        } else if (!word(w, what)) {
            return false;
        }
        std::int64_t wide = 0;
        std::string unused;
        if (!readWholeNumber(w, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
                             wide, unused)) {
            return fail(start, std::string(what) + " \"" + excerpt(w) +
                                   "\" is not a whole number within the 32-bit signed range");
        }
        value = static_cast<std::int32_t>(wide);
        return true;
    }

    // PTR: null, or 0x and lowercase hex digits without leading zeros.
    bool pointer(tracePointer& value, const char* what, bool keyed = false)
    {
        if (!keyed && !separator(what)) {
            return false;
        }
        const std::size_t start = at_;
        const std::size_t end = std::min(line_.find(' ', at_), line_.size());
        const std::string w = line_.substr(at_, end - at_);
        at_ = end;
        if (w == "null") {
            value.reset();
            return true;
        }
        const bool form = w.size() > 2 && w.size() <= 18 && w.compare(0, 2, "0x") == 0 && w[2] != '0' &&
                          std::all_of(w.begin() + 2, w.end(), isHexDigit);
        if (!form) {
            return fail(start, std::string(what) + " \"" + excerpt(w) +
                                   "\" is not a pointer (null, or 0x and lowercase hex digits without leading zeros)");
        }
        std::uint64_t number = 0;
        for (std::size_t i = 2; i < w.size(); ++i) {
            number = number * 16 + static_cast<std::uint64_t>(hexValue(w[i]));
        }
        value = number;
        return true;
    }

    // TEXT: null, or a double-quoted text with \\, \" and \xNN escapes.
    bool text(traceText& value, const char* what, bool keyed = false)
    {
        if (!keyed && !separator(what)) {
            return false;
        }
        if (line_.compare(at_, 4, "null") == 0 && (at_ + 4 == line_.size() || line_[at_ + 4] == ' ')) {
            at_ += 4;
            value.reset();
            return true;
        }
        if (atEnd() || line_[at_] != '"') {
            return fail(at_, std::string("expected ") + what + ": null or a text in double quotes");
        }
        std::string decoded;
        for (std::size_t i = at_ + 1; i < line_.size(); ++i) {
            const char c = line_[i];
            if (c == '"') {
                at_ = i + 1;
                value = std::move(decoded);
                return true;
            }
            if (c != '\\') {
                decoded += c;
                continue;
            }
            const char next = i + 1 < line_.size() ? line_[i + 1] : '\0';
            if (next == '\\' || next == '"') {
                decoded += next;
                ++i;
            } else if (next == 'x' && i + 3 < line_.size() && isHexDigit(line_[i + 2]) && isHexDigit(line_[i + 3])) {
                decoded += static_cast<char>(hexValue(line_[i + 2]) * 16 + hexValue(line_[i + 3]));
                i += 3;
            } else {
                return fail(i, "a backslash starts \\\\, \\\" or \\x and two lowercase hex digits");
            }
        }
        return fail(line_.size(), std::string(what) + " has no closing double quote");
    }

    // A fixed word ("->", "tally").
    bool literal(const char* wanted)
    {
        const std::size_t start = at_ + 1;
        std::string w;
        if (!word(w, (std::string("\"") + wanted + "\"").c_str())) {
            return false;
        }
        return w == wanted || fail(start, std::string("expected \"") + wanted + "\", found \"" + excerpt(w) + "\"");
    }

    // Whether the next field is this word.
    bool peek(const char* wanted) const
    {
        const std::size_t start = at_ + 1;
        const std::size_t end = std::min(line_.find(' ', start), line_.size());
        return start <= line_.size() && line_.compare(start, end - start, wanted) == 0 &&
               end - start == std::string(wanted).size();
    }

    bool end()
    {
        return atEnd() || fail(at_, "unexpected \"" + excerpt(line_.substr(at_)) + "\" at the end of the event");
    }

private:
    const std::string& line_;
    std::size_t at_ = 0;
};

struct eventName {
    const char* name;
    traceEvent::kind what;
    bool moduleLevel;  // instance 0; the others belong to an instance from 1
};

constexpr eventName eventNames[] = {
    {"trace", traceEvent::kind::trace, true},
    {"inner-loaded", traceEvent::kind::innerLoaded, true},
    {"inner-failed", traceEvent::kind::innerFailed, true},
    {"load", traceEvent::kind::load, false},
    {"created", traceEvent::kind::created, false},
    {"notify", traceEvent::kind::notify, false},
    {"returned", traceEvent::kind::returned, false},
    {"send", traceEvent::kind::send, false},
    {"destroy", traceEvent::kind::destroy, false},
    {"destroyed", traceEvent::kind::destroyed, false},
    {"stop", traceEvent::kind::stop, true},
    {"unload", traceEvent::kind::unload, true},
};

// The fields of a notify after its code.
bool readNotifyPayload(fieldReader& r, traceEvent& e)
{
    using payload = traceEvent::payload;
    struct payloadForm {
        std::int32_t code;
        const char* word;
        payload carried;
    };
    static constexpr payloadForm forms[] = {
        {1, "tally", payload::tally}, {2, "button", payload::button},     {3, "query", payload::query},
        {4, "timer", payload::timer}, {5, "giveback", payload::giveback},
    };
    const char* wanted = "payload";
    e.carried = payload::other;
    for (const payloadForm& f : forms) {
        if (f.code == e.code) {
            wanted = f.word;
            e.carried = f.carried;
        }
    }
    // A null record of a tally or a button is not read: "payload null".
    if ((e.code == 1 || e.code == 2) && r.peek("payload")) {
        wanted = "payload";
        e.carried = payload::other;
    }
    if (!r.literal(wanted)) {
        return false;
    }
    switch (e.carried) {
    case payload::tally:
        return r.key("device") && r.integer(e.device, "device", true) && r.key("index") &&
               r.integer(e.index, "index", true) && r.key("value") && r.integer(e.value, "value", true) &&
               r.key("text") && r.text(e.text, "text", true);
    case payload::button:
        return r.key("panel") && r.text(e.panel, "panel", true) && r.key("control") &&
               r.text(e.control, "control", true) && r.key("event") && r.text(e.event, "event", true);
    case payload::query:
        return r.text(e.text, "the query text");
    case payload::timer:
        return r.integer(e.value, "the timer id");
    default:
        return r.pointer(e.pointer, "the payload");
    }
}

bool readSend(fieldReader& r, traceEvent& e)
{
    if (!r.integer(e.code, "the send code")) {
        return false;
    }
    if (e.code != 0) {
        return r.pointer(e.pointer, "the pointer sent");
    }
    if (!r.text(e.text, "the command text") || !r.literal("->")) {
        return false;
    }
    if (!r.pointer(e.pointer, "the reply's pointer")) {
        return false;
    }
    return !e.pointer || r.text(e.reply, "the reply text");
}

bool readReason(fieldReader& r, traceEvent& e, const char* what)
{
    traceText reason;
    if (!r.text(reason, what)) {
        return false;
    }
    e.reason = reason.value_or("");
    return true;
}

bool readFields(fieldReader& r, traceEvent& e)
{
    using k = traceEvent::kind;
    std::int32_t number = 0;
    switch (e.what) {
    case k::trace:
        if (!(r.key("module") && r.text(e.text, "module", true) && r.key("inner") && r.text(e.inner, "inner", true) &&
              r.key("pid") && r.integer(number, "pid", true))) {
            return false;
        }
        e.pid = number;
        if (!(r.key("cap") && r.integer(number, "cap", true))) {
            return false;
        }
        e.cap = number;
        return true;
    case k::innerLoaded:
        return r.text(e.text, "the inner module's path");
    case k::innerFailed:
        return r.text(e.text, "the inner module's path") && readReason(r, e, "the reason");
    case k::load:
        return r.key("host") && r.pointer(e.pointer, "host", true) && r.key("path") && r.text(e.text, "path", true);
    case k::created:
        return r.pointer(e.pointer, "the script object");
    case k::notify:
        return r.integer(e.code, "the notification code") && readNotifyPayload(r, e);
    case k::returned:
        // The text is written for a query's result; other results are not read.
        return r.pointer(e.pointer, "the returned pointer") &&
               (!e.pointer || r.atEnd() || r.text(e.text, "the returned text"));
    case k::send:
        return readSend(r, e);
    case k::stop:
        return readReason(r, e, "the reason");
    default:
        return true;
    }
}

// MS THREAD INSTANCE EVENT: the event's kind and its common fields.
bool readHead(fieldReader& r, traceEvent& e, const eventName*& name)
{
    std::uint64_t ms = 0;
    std::uint64_t instance = 0;
    if (!r.unsignedNumber(static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()), ms, "the time") ||
        !r.unsignedNumber(std::numeric_limits<std::uint64_t>::max(), e.thread, "the thread") ||
        !r.unsignedNumber(static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()), instance,
                          "the instance")) {
        return false;
    }
    e.ms = static_cast<std::int64_t>(ms);
    e.instance = static_cast<std::int32_t>(instance);
    const std::size_t at = r.at() + 1;
    std::string word;
    if (!r.word(word, "the event")) {
        return false;
    }
    for (const eventName& n : eventNames) {
        if (word == n.name) {
            name = &n;
            e.what = n.what;
            return true;
        }
    }
    return r.fail(at, "unknown event \"" + excerpt(word) + "\"");
}

// The order of a trace, line by line: time never goes back, the trace event
// comes first, instances are loaded in order and used only between their
// load and their destroyed, and nothing follows unload or stop.
class orderCheck {
public:
    std::string check(const traceEvent& e, const eventName& name, std::size_t eventCount)
    {
        if (e.ms < lastMs_) {
            return "lines out of order: " + std::to_string(e.ms) + " ms after " + std::to_string(lastMs_) +
                   " ms on the line before";
        }
        lastMs_ = e.ms;
        if ((eventCount == 0) != (e.what == traceEvent::kind::trace)) {
            return eventCount == 0 ? std::string("expected the trace event first, found ") + name.name
                                   : std::string("a second trace event");
        }
        if (name.moduleLevel != (e.instance == 0)) {
            return std::string(name.name) + (name.moduleLevel ? " belongs to instance 0" : " needs an instance from 1");
        }
        if (name.moduleLevel) {
            return {};
        }
        if (e.what == traceEvent::kind::load) {
            if (e.instance != instances_ + 1) {
                return "instance " + std::to_string(e.instance) + " is loaded after instance " +
                       std::to_string(instances_) + ": instances count from 1 in the order of their load";
            }
            instances_ = e.instance;
            return {};
        }
        if (e.instance > instances_) {
            return "instance " + std::to_string(e.instance) + " has no load before it";
        }
        if (const auto gone = destroyedOn_.find(e.instance); gone != destroyedOn_.end()) {
            return "instance " + std::to_string(e.instance) + " was destroyed on line " + std::to_string(gone->second);
        }
        if (e.what == traceEvent::kind::destroyed) {
            destroyedOn_[e.instance] = e.line;
        }
        return {};
    }
    std::int32_t instances() const { return instances_; }

private:
    std::int64_t lastMs_ = 0;
    std::int32_t instances_ = 0;
    std::map<std::int32_t, std::size_t> destroyedOn_;
};

// Printable ASCII only: every text of a trace is escaped.
std::size_t findUnprintable(const std::string& line)
{
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x20 || c > 0x7E) {
            return i;
        }
    }
    return std::string::npos;
}

std::string byteName(char c)
{
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
        return controlCharacterName(c);
    }
    static const char digits[] = "0123456789ABCDEF";
    const auto b = static_cast<unsigned char>(c);
    return std::string("byte 0x") + digits[b >> 4] + digits[b & 15];
}

std::string versionProblem(const std::string& line)
{
    if (line.rfind(versionWord, 0) == 0) {
        return "unsupported trace version " + excerpt(line.substr(std::string(versionWord).size()));
    }
    return "not a trace: the first line is \"" + excerpt(line) + "\", not \"" + versionLine + "\"";
}

}  // namespace

std::string tracePointerText(const tracePointer& pointer)
{
    if (!pointer) {
        return "null";
    }
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint64_t v = *pointer; v != 0; v /= 16) {
        hex.insert(hex.begin(), digits[v % 16]);
    }
    return "0x" + (hex.empty() ? std::string("0") : hex);
}

const char* traceEventName(traceEvent::kind what)
{
    for (const eventName& n : eventNames) {
        if (n.what == what) {
            return n.name;
        }
    }
    return "?";
}

traceRead parseTrace(const std::string& text, const std::string& name)
{
    traceRead result;
    const auto fail = [&result, &name](std::size_t line, std::size_t column, const std::string& reason) {
        // Column 0: the whole line is meant.
        result.error = column == 0 ? shownPath(name) + ":" + std::to_string(line) : placeName(name, {line, column});
        result.error += ": " + reason;
        return result;
    };
    if (text.empty()) {
        return fail(1, 0, std::string("an empty file, not a trace (its first line is \"") + versionLine + "\")");
    }
    lineReader reader = lineReader::ofText(text);
    std::string line;
    orderCheck order;
    std::size_t number = 0;
    std::size_t consumed = 0;
    while (reader.read(0, line) == lineReader::status::line) {
        ++number;
        consumed += line.size() + 1;
        if (consumed > text.size()) {
            return fail(number, 0, "the last line has no line end: the trace is truncated");
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (const std::size_t bad = findUnprintable(line); bad != std::string::npos) {
            return fail(number, bad + 1, byteName(line[bad]) + " in the line; a trace holds printable ASCII only");
        }
        if (number == 1) {
            if (line != versionLine) {
                return fail(1, 0, versionProblem(line));
            }
            continue;
        }
        if (result.trace.complete) {
            return fail(number, 1,
                        std::string("an event after ") + traceEventName(result.trace.events.back().what) +
                            ", which ends the trace");
        }
        traceEvent e;
        e.line = number;
        fieldReader fields(line);
        const eventName* kind = nullptr;
        if (!readHead(fields, e, kind) || !readFields(fields, e) || !fields.end()) {
            return fail(number, fields.problem.at + 1, fields.problem.reason);
        }
        if (const std::string problem = order.check(e, *kind, result.trace.events.size()); !problem.empty()) {
            return fail(number, 0, problem);
        }
        result.trace.complete = e.what == traceEvent::kind::unload || e.what == traceEvent::kind::stop;
        result.trace.events.push_back(std::move(e));
    }
    if (result.trace.events.empty()) {
        return fail(number + 1, 0, "the trace has no events: its trace event is missing");
    }
    result.trace.instances = order.instances();
    result.ok = true;
    return result;
}

traceRead readTraceFile(const std::string& path)
{
    inputFile file = readInputFile(path, "trace");
    if (!file.ok) {
        traceRead failed;
        failed.error = file.error;
        return failed;
    }
    return parseTrace(file.text, path);
}

}  // namespace panel_host
