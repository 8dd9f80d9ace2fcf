#pragma once

#include "text_builder.h"
#include "trace_line.h"

#include <stddef.h>
#include <stdint.h>

// The trace file of the loaded tracing module: its first line, the event
// lines, the size cap and the stop. Each line is formatted straight into a
// mapping of the file (platform.h), so it is the file's as soon as it is
// written, whatever ends the process after: nothing waits in a buffer, and
// no line costs a system call but the few that grow the file. Space is
// allocated on the disk before it is used, with room kept for the last
// line; when the disk or the cap has no room for a line, the trace ends with
// a "stop" line giving the reason, and every call here then does nothing, so
// the tracing module forwards on as before. Thread-safe: each call takes the
// trace's lock (platform.h); none calls out of the module but to the C
// library, the system and the debug output.

// Smallest cap a setting may choose: room for the first lines and the stop.
constexpr uint32_t minimumTraceCap = 1024u;

// Creates `path` (replacing a file of that name) and writes the first line;
// the clock of the trace starts here. False with the reason added when the
// file cannot be created or written.
bool startTraceFile(const char* path, uint32_t cap, textBuilder& reason);

// True while the trace is open and not stopped.
bool traceActive();

// Whether the times are the host program's clock (trace_format.h,
// traceHostClockSymbol) rather than the system's.
bool traceOnHostClock();

// Writes one event line "MS THREAD instance event fields..." on the calling
// thread. A line that would take the trace past its cap, or that the disk
// has no room for, stops the trace instead.
void traceEvent(int32_t instance, const char* event, const traceField* fields, size_t count);

// The number of the next script instance (1, 2, 3 ... in the order asked),
// with its "load" line written under the same lock, so that instances load
// in the trace in the order of their numbers. 0 when no trace is written.
int32_t traceLoad(const void* host, const char* path);

// Ends the trace early: a last "stop" line giving `reason`, the file closed;
// the reason also goes to the debug output.
void stopTrace(const char* reason);

// Ends the trace at the module's unload: the "unload" line, the file closed.
// Takes no lock (the loader calls it when no call into the module runs).
void endTraceAtUnload();
