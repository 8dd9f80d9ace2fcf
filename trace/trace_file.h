#pragma once

#include "text_builder.h"
#include "trace_line.h"

#include <stddef.h>
#include <stdint.h>

// The trace file of the loaded tracing module: its first line, the event
// lines, the size cap and the stop. Lines are collected in a buffer and
// written at flushTrace() and when the buffer is full. Any failure (a write
// that fails, the cap, memory) ends the trace with a last "stop" line when
// that can still be written; after that every call here does nothing, so the
// tracing module forwards on as before. Thread-safe: each call takes the
// trace's lock (platform.h); none calls out of the module but to the C
// library and the debug output.

// Smallest cap a setting may choose: room for the first lines and the stop.
constexpr uint32_t minimumTraceCap = 1024u;

// Creates `path` (replacing a file of that name) and writes the first line;
// the clock of the trace starts here. False with the reason added when the
// file cannot be created or written.
bool startTraceFile(const char* path, uint32_t cap, textBuilder& reason);

// True while the trace is open and not stopped.
bool traceActive();

// Adds one event line "MS THREAD instance event fields..." on the calling
// thread. A line that would take the trace past its cap stops the trace
// instead.
void traceEvent(int32_t instance, const char* event, const traceField* fields, size_t count);

// Writes the collected lines to the file and flushes it.
void flushTrace();

// Ends the trace early: a last "stop" line giving `reason`, written and
// flushed, the file closed; the reason also goes to the debug output.
void stopTrace(const char* reason);

// Ends the trace at the module's unload: the "unload" line, the file closed.
// Takes no lock (the loader calls it when no call into the module runs).
void endTraceAtUnload();
