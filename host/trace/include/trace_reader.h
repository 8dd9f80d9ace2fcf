#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace panel_host {

// A trace of what crossed the boundary between a real panel host and a
// module, as the tracing module writes it: a first line "morv-trace 1", then
// one event per line (see "Trace files" in host/README.md).

// A TEXT field: std::nullopt for a null pointer.
using traceText = std::optional<std::string>;
// A PTR field: std::nullopt for null.
using tracePointer = std::optional<std::uint64_t>;

struct traceEvent {
    enum class kind {
        trace,        // module, inner (texts); pid, cap
        innerLoaded,  // text: the inner module's path
        innerFailed,  // text: path; reason
        load,         // pointer: the host object; text: the path
        created,      // pointer: what the export returned
        notify,       // code, payload by code (below)
        returned,     // pointer and text: what notify returned
        send,         // code; 0: text, pointer and reply (the host's reply); other codes: pointer
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

    std::int32_t code = 0;  // notify and send
    payload carried = payload::none;
    std::int32_t device = 0;          // tally
    std::int32_t index = 0;           // tally
    std::int32_t value = 0;           // tally; timer: the id
    traceText panel, control, event;  // button
    // trace: the tracing module's path; inner-loaded, inner-failed and load:
    // the path; tally: its text; query: its text; returned: the text (a
    // query's result; other results are written without it); send 0: the
    // command.
    traceText text;
    traceText reply;     // send 0: the host's reply text
    traceText inner;     // trace: the inner module's path
    std::string reason;  // inner-failed, stop
    // load: the host; created; giveback and other payloads; returned;
    // send 0: the reply's pointer; send 5 and other codes: the pointer sent.
    tracePointer pointer;
    std::int64_t pid = 0;  // trace
    std::int64_t cap = 0;  // trace
};

struct traceFile {
    std::vector<traceEvent> events;
    // The last event is "unload" or "stop"; otherwise the process ended
    // while the trace was being written (a crash, a kill).
    bool complete = false;
    // The script instances, 1 up to this number.
    std::int32_t instances = 0;
};

struct traceRead {
    bool ok = false;
    std::string error;  // when !ok: one line, "NAME:LINE[:COLUMN]: reason"
    traceFile trace;
};

// Reads a trace strictly from `text`; `name` names it in the error.
traceRead parseTrace(const std::string& text, const std::string& name);
// Reads the file at `path` (by the input rules: a regular file of at most
// 64 MB) and parses it.
traceRead readTraceFile(const std::string& path);

// A pointer as the file writes it: "null" or "0x2f0010".
std::string tracePointerText(const tracePointer& pointer);

// The name of an event as the file writes it ("inner-loaded").
const char* traceEventName(traceEvent::kind what);

}  // namespace panel_host
