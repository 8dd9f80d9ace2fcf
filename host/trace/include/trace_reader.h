#pragma once

#include "button_event.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace panel_host {

// A trace of what crossed the boundary between a real panel host and a
// module, as the tracing module writes it: a first line "morv-trace 2" (or
// 1, an older trace), then one event per line (see "Trace files" in
// host/README.md). It is read event by event, as a stream: a trace may be
// as large as the tracing module's cap allows.

// A TEXT field: std::nullopt for a null pointer.
using traceText = std::optional<std::string>;
// A PTR field: std::nullopt for null.
using tracePointer = std::optional<std::uint64_t>;

struct traceEvent {
    // A version-1 "send 0" line, which held the reply too, is read as a send
    // and a reply, both of its line.
    enum class kind {
        trace,        // module, inner (texts); pid, cap, clock
        innerLoaded,  // text: the inner module's path
        innerFailed,  // text: path; reason
        load,         // pointer: the host object; text: the path
        created,      // pointer: what the export returned
        notify,       // code, payload by code (below)
        returned,     // code of its notify; pointer and text: what notify returned
        send,         // code; 0: text (the command); other codes: pointer (the pointer sent)
        reply,        // code and text of its send; pointer and (code 0) reply: what the host returned
        destroy,
        destroyed,
        stop,  // reason
        unload,
    };
    // What a notify carried, by its code; a null record of a tally or a
    // button is "other" (written as its pointer, null).
    enum class payload { none, tally, button, query, timer, giveback, other };

    kind what = kind::unload;
    std::size_t line = 0;  // in the file, from 1
    std::int64_t ms = 0;
    std::uint64_t thread = 0;
    std::int32_t instance = 0;

    // Calls nest on their thread (a notification the host delivers from
    // inside a command): how many calls of the thread are open around this
    // event, and for an event that ends a call (created, returned, reply,
    // destroyed) the line of the event that began it (load, notify, send,
    // destroy); for an event that begins one, the line that began the call
    // around it (0: none).
    std::size_t depth = 0;
    std::size_t openedOn = 0;
    std::size_t enclosedBy = 0;
    // The line that began the innermost call of the same instance open
    // around this event on its thread (not counting the call the event
    // begins or ends); 0 when none is.
    std::size_t innerCall = 0;

    std::int32_t code = 0;  // notify, returned, send, reply
    payload carried = payload::none;
    std::int32_t device = 0;           // tally
    std::int32_t index = 0;            // tally
    std::int32_t value = 0;            // tally
    std::int64_t timer = 0;            // timer: the payload, pointer-sized (the script reads its low 32 bits)
    traceText panel, control;          // button
    std::optional<buttonEvent> event;  // button: its event (std::nullopt: a null event pointer)
    // trace: the tracing module's path; inner-loaded, inner-failed and load:
    // the path; tally: its text; query: its text; returned: the text (a
    // query's result; other results are written without it); send 0 and
    // its reply: the command.
    traceText text;
    traceText reply;     // reply to a send 0: the host's reply text
    traceText inner;     // trace: the inner module's path
    std::string reason;  // inner-failed, stop
    // load: the host; created; giveback and other payloads; returned;
    // send other than 0: the pointer sent; reply: what the host returned.
    tracePointer pointer;
    std::int64_t pid = 0;    // trace
    std::int64_t cap = 0;    // trace
    bool hostClock = false;  // trace: times are the host's clock (a virtual one), not the system's
};

// What a whole trace is, known once it has been read to its end.
struct traceSummary {
    int version = 0;
    // The times are the host's own clock (panel-host's virtual clock), not
    // the system's.
    bool hostClock = false;
    // The script instances, 1 up to this number.
    std::int32_t instances = 0;
    // The last event is "unload" or "stop"; otherwise the process ended
    // while the trace was being written (a crash, a kill, a full disk).
    bool complete = false;
    // When not complete: where and why the trace ends, one line.
    std::string endNote;
};

// A trace to read: a file, or a text (tests, the fuzz target).
class traceSource {
public:
    static traceSource file(std::string path);
    static traceSource text(std::string name, std::string text);

    // The name errors give it.
    const std::string& name() const { return name_; }
    // Opens it from its start; null with `error` (one line) when it cannot.
    std::unique_ptr<std::istream> open(std::string& error) const;

private:
    std::string name_;
    std::shared_ptr<const std::string> text_;  // null: a file
};

// Reads a trace event by event, checking each line and the order of the
// events as it goes (one pass, little memory: the calls open on each thread
// and the state of each instance).
class traceReader {
public:
    explicit traceReader(const traceSource& source);
    ~traceReader();
    traceReader(const traceReader&) = delete;
    traceReader& operator=(const traceReader&) = delete;

    // The next event; false at the end of the trace, or when it cannot be
    // read further (then failed()).
    bool next(traceEvent& e);
    bool failed() const;
    // When failed: one line, "NAME:LINE[:COLUMN]: reason".
    const std::string& error() const;
    // Complete once next() returned false without a failure.
    const traceSummary& summary() const;

private:
    class state;
    std::unique_ptr<state> state_;
};

struct traceCheck {
    bool ok = false;
    std::string error;  // when !ok
    traceSummary summary;
};

// Reads the whole trace once: its summary, or why it cannot be read. The
// tools check a trace so before they show or use any of it.
traceCheck checkTrace(const traceSource& source);

// Every event of a trace in memory, for tests and small traces.
struct traceRead {
    bool ok = false;
    std::string error;  // when !ok: one line, "NAME:LINE[:COLUMN]: reason"
    std::vector<traceEvent> events;
    traceSummary summary;
};
traceRead readWholeTrace(const traceSource& source);

// A pointer as the file writes it: "null" or "0x2f0010".
std::string tracePointerText(const tracePointer& pointer);

// The name of an event as the file writes it ("inner-loaded").
const char* traceEventName(traceEvent::kind what);

}  // namespace panel_host
