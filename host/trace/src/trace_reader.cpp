#include "trace_reader.h"

#include "input_rules.h"
#include "notify_codes.h"
#include "host_text.h"
#include "trace_format.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <deque>
#include <fstream>
#include <limits>
#include <map>
#include <new>
#include <sstream>

namespace panel_host {

namespace {

// The first line of the traces before the format's version 2, still read.
constexpr const char* versionOneLine = "morv-trace 1";

// Why a field or a line cannot be read, and where (0-based byte offset).
struct traceProblem {
    std::size_t at = 0;
    std::string reason;
};

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
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
    const std::string& line() const { return line_; }

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

    // The rest of the current word, from where the reader is.
    std::string wordHere()
    {
        const std::size_t end = std::min(line_.find(' ', at_), line_.size());
        std::string w = line_.substr(at_, end - at_);
        at_ = end;
        return w;
    }

    bool word(std::string& w, const char* what)
    {
        if (!separator(what)) {
            return false;
        }
        w = wordHere();
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

    // INT: plain decimal with an optional '-', within [min, max]; directly
    // after a key when `keyed`.
    bool integer(std::int64_t min, std::int64_t max, std::int64_t& value, const char* what, bool keyed = false)
    {
        if (!keyed && !separator(what)) {
            return false;
        }
        const std::size_t start = at_;
        const std::string w = wordHere();
        std::string unused;
        if (!readWholeNumber(w, min, max, value, unused)) {
            return fail(start, std::string(what) + " \"" + excerpt(w) + "\" is not a whole number within the " +
                                   (max > std::numeric_limits<std::int32_t>::max() ? "pointer-sized" : "32-bit") +
                                   " signed range");
        }
        return true;
    }
    bool integer(std::int32_t& value, const char* what, bool keyed = false)
    {
        std::int64_t wide = 0;
        if (!integer(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), wide, what,
                     keyed)) {
            return false;
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
        const std::string w = wordHere();
        if (w == traceWord::null) {
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
        std::from_chars(w.data() + 2, w.data() + w.size(), number, 16);
        value = number;
        return true;
    }

    // TEXT: null, or a double-quoted text with \\, \" and \xNN escapes.
    bool text(traceText& value, const char* what, bool keyed = false)
    {
        if (!keyed && !separator(what)) {
            return false;
        }
        std::size_t at = at_;
        std::string reason;
        if (!readQuotedBytesOrNull(line_, at, what, value, reason)) {
            return fail(at, reason);
        }
        at_ = at;
        return true;
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
               end - start == std::strlen(wanted);
    }

    // The rest of the line after one blank, handed to another reader.
    bool rest(std::size_t& from, const char* what)
    {
        if (!separator(what)) {
            return false;
        }
        from = at_;
        at_ = line_.size();
        return true;
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
    int since;         // the first version that has it
};

constexpr eventName eventNames[] = {
    {traceEventWord::trace, traceEvent::kind::trace, true, 1},
    {traceEventWord::innerLoaded, traceEvent::kind::innerLoaded, true, 1},
    {traceEventWord::innerFailed, traceEvent::kind::innerFailed, true, 1},
    {traceEventWord::load, traceEvent::kind::load, false, 1},
    {traceEventWord::created, traceEvent::kind::created, false, 1},
    {traceEventWord::notify, traceEvent::kind::notify, false, 1},
    {traceEventWord::returned, traceEvent::kind::returned, false, 1},
    {traceEventWord::send, traceEvent::kind::send, false, 1},
    {traceEventWord::reply, traceEvent::kind::reply, false, 2},
    {traceEventWord::destroy, traceEvent::kind::destroy, false, 1},
    {traceEventWord::destroyed, traceEvent::kind::destroyed, false, 1},
    {traceEventWord::stop, traceEvent::kind::stop, true, 1},
    {traceEventWord::unload, traceEvent::kind::unload, true, 1},
};

const eventName& nameOf(traceEvent::kind what)
{
    return *std::find_if(std::begin(eventNames), std::end(eventNames),
                         [what](const eventName& n) { return n.what == what; });
}

// The fields of one line of a trace of `version`.
class eventFields {
public:
    eventFields(fieldReader& r, traceEvent& e, int version) : r_(r), e_(e), version_(version) {}

    bool read()
    {
        using k = traceEvent::kind;
        switch (e_.what) {
        case k::trace:
            return readTrace();
        case k::innerLoaded:
            return r_.text(e_.text, "the inner module's path");
        case k::innerFailed:
            return r_.text(e_.text, "the inner module's path") && reason("the reason");
        case k::load:
            return r_.key(traceKey::host) && r_.pointer(e_.pointer, "host", true) && r_.key(traceKey::path) &&
                   r_.text(e_.text, "path", true);
        case k::created:
            return r_.pointer(e_.pointer, "the script object");
        case k::notify:
            return r_.integer(e_.code, "the notification code") && readPayload();
        case k::returned:
            // The text is written for a query's result; other results are not read.
            return r_.pointer(e_.pointer, "the returned pointer") &&
                   (!e_.pointer || r_.atEnd() || r_.text(e_.text, "the returned text"));
        case k::send:
            return readSend();
        case k::reply:
            return r_.pointer(e_.pointer, "the reply's pointer") &&
                   (!e_.pointer || r_.atEnd() || r_.text(e_.reply, "the reply text"));
        case k::stop:
            return reason("the reason");
        case k::destroy:
        case k::destroyed:
        case k::unload:
            return true;
        }
        return true;
    }

private:
    bool reason(const char* what)
    {
        traceText text;
        if (!r_.text(text, what)) {
            return false;
        }
        e_.reason = text.value_or("");
        return true;
    }

    bool readTrace()
    {
        std::int64_t number = 0;
        if (!(r_.key(traceKey::module) && r_.text(e_.text, "module", true) && r_.key(traceKey::inner) &&
              r_.text(e_.inner, "inner", true) && r_.key(traceKey::pid) &&
              r_.integer(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), number,
                         "pid", true))) {
            return false;
        }
        e_.pid = number;
        if (!(r_.key(traceKey::cap) && r_.integer(std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max(), number, "cap", true))) {
            return false;
        }
        e_.cap = number;
        if (version_ < 2) {
            return true;
        }
        const std::size_t at = r_.at() + 1;
        if (!r_.key(traceKey::clock)) {
            return false;
        }
        const std::string clock = r_.wordHere();
        if (clock != traceWord::systemClock && clock != traceWord::hostClock) {
            return r_.fail(at + 6, std::string("the clock is ") + traceWord::systemClock + " or " +
                                       traceWord::hostClock + ", not \"" + excerpt(clock) + "\"");
        }
        e_.hostClock = clock == traceWord::hostClock;
        return true;
    }

    // v1 "0 TEXT -> PTR [TEXT]", which is a send and its reply; v2 "0 TEXT";
    // other codes "CODE PTR".
    bool readSend()
    {
        if (!r_.integer(e_.code, "the send code")) {
            return false;
        }
        if (e_.code != sendExecute) {
            return r_.pointer(e_.pointer, "the pointer sent");
        }
        if (!r_.text(e_.text, "the command text")) {
            return false;
        }
        if (version_ >= 2) {
            return true;
        }
        return r_.literal(traceWord::arrow) && r_.pointer(e_.pointer, "the reply's pointer") &&
               (!e_.pointer || r_.text(e_.reply, "the reply text"));
    }

    bool readButton()
    {
        if (!(r_.key(traceKey::panel) && r_.text(e_.panel, "panel", true) && r_.key(traceKey::control) &&
              r_.text(e_.control, "control", true))) {
            return false;
        }
        if (version_ < 2) {
            // The event rebuilt as one text: the record is its split.
            traceText text;
            if (!(r_.key(traceKey::event) && r_.text(text, "event", true))) {
                return false;
            }
            e_.event = text ? std::optional<buttonEvent>(buttonEvent::split(*text)) : std::nullopt;
            return true;
        }
        std::size_t from = 0;
        if (!r_.rest(from, "the event's fields")) {
            return false;
        }
        std::size_t problemAt = 0;
        std::string problem;
        return readButtonEvent(r_.line(), from, e_.event, problemAt, problem) || r_.fail(problemAt, problem);
    }

    bool readPayload()
    {
        using payload = traceEvent::payload;
        struct payloadForm {
            std::int32_t code;
            const char* word;
            payload carried;
        };
        static constexpr payloadForm forms[] = {
            {notifyTally, traceWord::tally, payload::tally},         {notifyButton, traceWord::button, payload::button},
            {notifyQuery, traceWord::query, payload::query},         {notifyTimer, traceWord::timer, payload::timer},
            {notifyRelease, traceWord::giveback, payload::giveback},
        };
        const char* wanted = traceWord::payload;
        e_.carried = payload::other;
        for (const payloadForm& f : forms) {
            if (f.code == e_.code) {
                wanted = f.word;
                e_.carried = f.carried;
            }
        }
        // A null record of a tally or a button is not read: "payload null".
        if ((e_.code == notifyTally || e_.code == notifyButton) && r_.peek(traceWord::payload)) {
            wanted = traceWord::payload;
            e_.carried = payload::other;
        }
        if (!r_.literal(wanted)) {
            return false;
        }
        switch (e_.carried) {
        case payload::tally:
            return r_.key(traceKey::device) && r_.integer(e_.device, "device", true) && r_.key(traceKey::index) &&
                   r_.integer(e_.index, "index", true) && r_.key(traceKey::value) &&
                   r_.integer(e_.value, "value", true) && r_.key(traceKey::text) && r_.text(e_.text, "text", true);
        case payload::button:
            return readButton();
        case payload::query:
            return r_.text(e_.text, "the query text");
        case payload::timer:
            if (version_ < 2) {
                std::int32_t id = 0;
                const bool read = r_.integer(id, "the timer id");
                e_.timer = id;
                return read;
            }
            return r_.integer(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(),
                              e_.timer, "the timer payload");
        case payload::giveback:
        case payload::other:
        case payload::none:
            break;
        }
        return r_.pointer(e_.pointer, "the payload");
    }

    fieldReader& r_;
    traceEvent& e_;
    int version_;
};

// MS THREAD INSTANCE EVENT: the event's kind and its common fields.
bool readHead(fieldReader& r, traceEvent& e, int version)
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
        if (word == n.name && version >= n.since) {
            e.what = n.what;
            return true;
        }
    }
    return r.fail(at, "unknown event \"" + excerpt(word) + "\"");
}

}  // namespace

// What the reader's state holds: named, as a class outside this file holds
// them (GCC's subobject linkage).
namespace traceReading {

// The order of a trace, event by event: time never goes back; the trace
// event comes first (or a stop); instances are loaded in the order of their
// numbers and used only from their load on, and after their destroyed only
// to end the calls still open; on each thread every call ends before the
// call around it; nothing follows unload or stop.
class traceOrder {
public:
    // "" when `e` may come here; fills in its place among the calls.
    std::string take(traceEvent& e)
    {
        if (e.ms < lastMs_) {
            return "lines out of order: " + std::to_string(e.ms) + " ms after " + std::to_string(lastMs_) +
                   " ms on the line before";
        }
        lastMs_ = e.ms;
        const eventName& name = nameOf(e.what);
        const bool first = events_++ == 0;
        if (first && e.what != traceEvent::kind::trace && e.what != traceEvent::kind::stop) {
            return std::string("expected the trace event first, found ") + name.name;
        }
        if (!first && e.what == traceEvent::kind::trace) {
            return "a second trace event";
        }
        if (name.moduleLevel != (e.instance == 0)) {
            return std::string(name.name) + (name.moduleLevel ? " belongs to instance 0" : " needs an instance from 1");
        }
        if (name.moduleLevel) {
            ended_ = e.what == traceEvent::kind::unload || e.what == traceEvent::kind::stop;
            return {};
        }
        if (const std::string problem = checkInstance(e); !problem.empty()) {
            return problem;
        }
        return placeInCalls(e);
    }

    bool ended() const { return ended_; }
    std::int32_t instances() const { return static_cast<std::int32_t>(instances_.size()); }

private:
    struct openCall {
        traceEvent::kind what;
        std::int32_t instance;
        std::size_t line;
        std::int32_t code;
        traceText command;  // a send 0's
    };
    struct instanceState {
        std::size_t destroyedOn = 0;
        std::size_t openCalls = 0;
    };

    std::string checkInstance(const traceEvent& e)
    {
        if (e.what == traceEvent::kind::load) {
            if (e.instance != instances() + 1) {
                return "instance " + std::to_string(e.instance) + " is loaded after instance " +
                       std::to_string(instances()) + ": instances count from 1 in the order of their load";
            }
            instances_.emplace_back();
            return {};
        }
        if (e.instance > instances()) {
            return "instance " + std::to_string(e.instance) + " has no load before it";
        }
        const instanceState& state = instances_[static_cast<std::size_t>(e.instance - 1)];
        if (state.destroyedOn != 0 && state.openCalls == 0) {
            return "instance " + std::to_string(e.instance) + " was destroyed on line " +
                   std::to_string(state.destroyedOn);
        }
        return {};
    }

    static bool opens(traceEvent::kind what)
    {
        using k = traceEvent::kind;
        return what == k::load || what == k::notify || what == k::send || what == k::destroy;
    }

    // The kind of call an event that ends one ends.
    static traceEvent::kind endedCall(traceEvent::kind what)
    {
        using k = traceEvent::kind;
        switch (what) {
        case k::created:
            return k::load;
        case k::returned:
            return k::notify;
        case k::reply:
            return k::send;
        case k::destroyed:
        case k::trace:
        case k::innerLoaded:
        case k::innerFailed:
        case k::load:
        case k::notify:
        case k::send:
        case k::destroy:
        case k::stop:
        case k::unload:
            break;
        }
        return k::destroy;
    }

    static std::size_t innerCallOf(const std::vector<openCall>& calls, std::int32_t instance)
    {
        const auto inner = std::find_if(calls.rbegin(), calls.rend(),
                                        [instance](const openCall& call) { return call.instance == instance; });
        return inner != calls.rend() ? inner->line : 0;
    }

    std::string placeInCalls(traceEvent& e)
    {
        std::vector<openCall>& calls = threads_[e.thread];
        instanceState& state = instances_[static_cast<std::size_t>(e.instance - 1)];
        if (opens(e.what)) {
            e.depth = calls.size();
            e.enclosedBy = calls.empty() ? 0 : calls.back().line;
            e.innerCall = innerCallOf(calls, e.instance);
            calls.push_back({e.what, e.instance, e.line, e.code, e.text});
            ++state.openCalls;
            return {};
        }
        const traceEvent::kind wanted = endedCall(e.what);
        if (calls.empty() || calls.back().what != wanted || calls.back().instance != e.instance) {
            return std::string(nameOf(e.what).name) + " of instance " + std::to_string(e.instance) +
                   " ends no call: on thread " + std::to_string(e.thread) + " " +
                   (calls.empty()
                        ? std::string("no call is open")
                        : "the open call is the " + std::string(nameOf(calls.back().what).name) + " of instance " +
                              std::to_string(calls.back().instance) + " on line " + std::to_string(calls.back().line)) +
                   ", not a " + nameOf(wanted).name + " of instance " + std::to_string(e.instance);
        }
        const openCall call = std::move(calls.back());
        calls.pop_back();
        --state.openCalls;
        e.depth = calls.size();
        e.openedOn = call.line;
        e.innerCall = innerCallOf(calls, e.instance);
        if (e.what == traceEvent::kind::returned) {
            e.code = call.code;
        } else if (e.what == traceEvent::kind::reply) {
            e.code = call.code;
            e.text = call.command;
            if (call.code == sendExecute && e.pointer && !e.reply) {
                return "the reply to a command gives the reply's text after its pointer";
            }
            if ((call.code != sendExecute || !e.pointer) && e.reply) {
                return "only the reply to a command (send 0) that is not null has a text";
            }
        } else if (e.what == traceEvent::kind::destroyed) {
            state.destroyedOn = e.line;
        }
        if (calls.empty()) {
            threads_.erase(e.thread);
        }
        return {};
    }

    std::int64_t lastMs_ = 0;
    std::size_t events_ = 0;
    bool ended_ = false;
    std::vector<instanceState> instances_;
    std::map<std::uint64_t, std::vector<openCall>> threads_;
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

// The lines of a stream, read in blocks. A NUL byte ends the reading when
// only NUL bytes follow it to the end of the stream (space a writer
// allocated and never wrote); those are counted, not kept.
class lineSplitter {
public:
    explicit lineSplitter(std::istream& in) : in_(in) {}

    enum class status {
        line,     // a whole line
        partial,  // the stream ended inside the line (`line` holds what there was, `zeros` the NULs after)
        nul,      // a NUL inside a line that goes on: `line` holds the line up to it
        end,
    };

    // The next line without its line feed.
    status next(std::string& line, std::uint64_t& zeros)
    {
        line.clear();
        zeros = 0;
        for (;;) {
            if (at_ == filled_ && !refill()) {
                return line.empty() ? status::end : status::partial;
            }
            const char* const begin = buffer_.data() + at_;
            const std::size_t available = filled_ - at_;
            const char* const stop =
                std::find_if(begin, begin + available, [](char c) { return c == '\n' || c == '\0'; });
            const std::size_t length = static_cast<std::size_t>(stop - begin);
            line.append(begin, length);
            at_ += length;
            if (length == available) {
                continue;
            }
            if (*stop == '\n') {
                ++at_;
                return status::line;
            }
            return onlyZerosFollow(zeros) ? status::partial : status::nul;
        }
    }

private:
    // From a NUL at the read position: whether nothing but NULs follows.
    bool onlyZerosFollow(std::uint64_t& zeros)
    {
        for (;;) {
            const char* const begin = buffer_.data() + at_;
            const char* const end = buffer_.data() + filled_;
            const char* const other = std::find_if(begin, end, [](char c) { return c != '\0'; });
            zeros += static_cast<std::uint64_t>(other - begin);
            at_ += static_cast<std::size_t>(other - begin);
            if (other != end) {
                return false;
            }
            if (!refill()) {
                return true;
            }
        }
    }

    bool refill()
    {
        in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
        filled_ = static_cast<std::size_t>(in_.gcount());
        at_ = 0;
        return filled_ > 0;
    }

    std::istream& in_;
    std::vector<char> buffer_ = std::vector<char>(64 * 1024);
    std::size_t at_ = 0;
    std::size_t filled_ = 0;
};

std::string versionProblem(const std::string& line);

// Why a file that ends inside its first line is no trace.
std::string firstLineProblem(const std::string& cut, std::uint64_t zeros)
{
    if (cut.empty()) {
        return zeros == 0 ? std::string("an empty file, not a trace (its first line is \"") + traceVersionLine + "\")"
                          : std::string("not a trace: the file holds only zero bytes");
    }
    const bool started =
        std::string(traceVersionLine).rfind(cut, 0) == 0 || std::string(versionOneLine).rfind(cut, 0) == 0;
    return started ? "the trace ends inside its first line (\"" + excerpt(cut) + "\"): nothing of it can be read"
                   : versionProblem(cut) + " (and it has no line end)";
}

std::string versionProblem(const std::string& line)
{
    if (line.rfind(traceVersionPrefix, 0) == 0) {
        return "unsupported trace version " + excerpt(line.substr(std::strlen(traceVersionPrefix)));
    }
    return "not a trace: the first line is \"" + excerpt(line) + "\", not \"" + traceVersionLine + "\"";
}

}  // namespace traceReading

using traceReading::byteName;
using traceReading::findUnprintable;
using traceReading::firstLineProblem;
using traceReading::lineSplitter;
using traceReading::traceOrder;
using traceReading::versionProblem;

traceSource traceSource::file(std::string path)
{
    traceSource source;
    source.name_ = std::move(path);
    return source;
}

traceSource traceSource::text(std::string name, std::string text)
{
    traceSource source;
    source.name_ = std::move(name);
    source.text_ = std::make_shared<const std::string>(std::move(text));
    return source;
}

std::unique_ptr<std::istream> traceSource::open(std::string& error) const
{
    if (text_ != nullptr) {
        return std::make_unique<std::istringstream>(*text_);
    }
    // Any size: a trace is read as a stream.
    if (std::string problem = fileProblem(name_, "trace", std::numeric_limits<std::uint64_t>::max());
        !problem.empty()) {
        error = std::move(problem);
        return nullptr;
    }
    auto in = std::make_unique<std::ifstream>(name_, std::ios::binary);
    if (!*in) {
        error = shownPath(name_) + ": the trace cannot be opened";
        return nullptr;
    }
    return in;
}

class traceReader::state {
public:
    explicit state(const traceSource& source) : name_(source.name())
    {
        std::string error;
        in_ = source.open(error);
        if (in_ == nullptr) {
            error_ = std::move(error);
            failed_ = true;
            return;
        }
        lines_ = std::make_unique<lineSplitter>(*in_);
    }

    bool next(traceEvent& e)
    {
        if (!pending_.empty()) {
            e = std::move(pending_.front());
            pending_.pop_front();
            return true;
        }
        if (failed_ || done_) {
            return false;
        }
        try {
            return readNext(e);
        } catch (const std::bad_alloc&) {
            return fail(number_ + 1, 0, "the line is too long to read: memory ran out");
        }
    }

    bool failed_ = false;
    std::string error_;
    traceSummary summary_;

private:
    bool fail(std::size_t line, std::size_t column, const std::string& reason)
    {
        // Column 0: the whole line is meant.
        error_ = column == 0 ? shownPath(name_) + ":" + std::to_string(line) : placeName(name_, {line, column});
        error_ += ": " + reason;
        failed_ = true;
        return false;
    }

    bool readNext(traceEvent& e)
    {
        std::string line;
        for (;;) {
            std::uint64_t zeros = 0;
            const lineSplitter::status got = lines_->next(line, zeros);
            if (got == lineSplitter::status::end) {
                return finish(false, {}, 0);
            }
            ++number_;
            if (got == lineSplitter::status::partial) {
                return finish(true, line, zeros);
            }
            if (got == lineSplitter::status::nul) {
                const std::size_t bad = std::min(findUnprintable(line), line.size());
                return fail(number_, bad + 1,
                            (bad < line.size() ? byteName(line[bad]) : std::string("NUL")) +
                                " in the line; a trace holds printable ASCII only");
            }
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (const std::size_t bad = findUnprintable(line); bad != std::string::npos) {
                return fail(number_, bad + 1, byteName(line[bad]) + " in the line; a trace holds printable ASCII only");
            }
            if (number_ == 1) {
                if (!readVersion(line)) {
                    return false;
                }
                continue;
            }
            return readEvent(line, e);
        }
    }

    bool readVersion(const std::string& line)
    {
        if (line == versionOneLine) {
            summary_.version = 1;
        } else if (line == traceVersionLine) {
            summary_.version = 2;
        } else {
            return fail(1, 0, versionProblem(line));
        }
        return true;
    }

    bool readEvent(const std::string& line, traceEvent& e)
    {
        if (order_.ended()) {
            return fail(number_, 1,
                        std::string("an event after ") + traceEventName(lastWhat_) + ", which ends the trace");
        }
        e = traceEvent{};
        e.line = number_;
        fieldReader fields(line);
        if (!readHead(fields, e, summary_.version) || !eventFields(fields, e, summary_.version).read() ||
            !fields.end()) {
            return fail(number_, fields.problem.at + 1, fields.problem.reason);
        }
        if (e.what == traceEvent::kind::send && summary_.version < 2) {
            return readVersion1Send(e);
        }
        if (const std::string problem = order_.take(e); !problem.empty()) {
            return fail(number_, 0, problem);
        }
        if (e.what == traceEvent::kind::trace) {
            summary_.hostClock = e.hostClock;
        }
        lastWhat_ = e.what;
        return true;
    }

    // A version-1 send line held the host's reply: a send, then its reply.
    bool readVersion1Send(traceEvent& e)
    {
        traceEvent reply = e;
        reply.what = traceEvent::kind::reply;
        e.reply.reset();
        if (e.code == sendExecute) {
            e.pointer.reset();
        } else {
            reply.pointer.reset();
        }
        std::string problem = order_.take(e);
        if (problem.empty()) {
            problem = order_.take(reply);
        }
        if (!problem.empty()) {
            return fail(number_, 0, problem);
        }
        lastWhat_ = reply.what;
        pending_.push_back(std::move(reply));
        return true;
    }

    // The end of the file; with `partialLine`, after `cut` (the bytes of a
    // line without its line end) and `zeros` (NUL bytes of space the writer
    // had allocated).
    bool finish(bool partialLine, const std::string& cut, std::uint64_t zeros)
    {
        // A cut between a carriage return and its line feed keeps the return.
        const std::size_t checked = !cut.empty() && cut.back() == '\r' ? cut.size() - 1 : cut.size();
        if (const std::size_t bad = findUnprintable(cut.substr(0, checked)); bad != std::string::npos) {
            return fail(number_, bad + 1, byteName(cut[bad]) + " in the line; a trace holds printable ASCII only");
        }
        // The last line read whole.
        const std::size_t lastLine = partialLine ? number_ - 1 : number_;
        if (summary_.version == 0) {
            return fail(1, 0, firstLineProblem(cut, zeros));
        }
        done_ = true;
        summary_.instances = order_.instances();
        summary_.complete = order_.ended();
        if (summary_.complete) {
            return false;
        }
        std::string note = "the trace ends without unload or stop";
        if (!cut.empty()) {
            note += ", in the middle of line " + std::to_string(number_) + " (" + std::to_string(cut.size()) +
                    " bytes of it, not read)";
        } else {
            note += " after line " + std::to_string(lastLine);
        }
        if (zeros > 0) {
            note += "; the rest of the file, " + std::to_string(zeros) + " bytes reserved for it, was never written";
        }
        summary_.endNote = note + ": the process ended while it was being written (a crash, a kill" +
                           (cut.empty() ? std::string(")") : std::string(", a full disk)"));
        return false;
    }

    std::string name_;
    std::unique_ptr<std::istream> in_;
    std::unique_ptr<lineSplitter> lines_;
    std::size_t number_ = 0;
    bool done_ = false;
    traceOrder order_;
    traceEvent::kind lastWhat_ = traceEvent::kind::trace;
    std::deque<traceEvent> pending_;
};

traceReader::traceReader(const traceSource& source) : state_(std::make_unique<state>(source)) {}

traceReader::~traceReader() = default;

bool traceReader::next(traceEvent& e)
{
    return state_->next(e);
}

bool traceReader::failed() const
{
    return state_->failed_;
}

const std::string& traceReader::error() const
{
    return state_->error_;
}

const traceSummary& traceReader::summary() const
{
    return state_->summary_;
}

traceCheck checkTrace(const traceSource& source)
{
    traceReader reader(source);
    traceEvent e;
    while (reader.next(e)) {
    }
    traceCheck check;
    check.ok = !reader.failed();
    check.error = reader.error();
    check.summary = reader.summary();
    return check;
}

traceRead readWholeTrace(const traceSource& source)
{
    traceReader reader(source);
    traceRead read;
    for (traceEvent e; reader.next(e);) {
        read.events.push_back(std::move(e));
    }
    read.ok = !reader.failed();
    read.error = reader.error();
    read.summary = reader.summary();
    return read;
}

std::string tracePointerText(const tracePointer& pointer)
{
    if (!pointer) {
        return traceWord::null;
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
    return nameOf(what).name;
}

}  // namespace panel_host
