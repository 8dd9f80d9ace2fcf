#pragma once

#include <stddef.h>
#include <stdint.h>

// The optional settings file beside the tracing module (<name>.trace.conf):
// lines of key=value, blanks around either ignored, '#' starts a comment
// line. Keys:
//   module=PATH  the module to trace (default <name>.traced.<ext>)
//   folder=PATH  the folder the trace goes to (default the module's own)
//   file=PATH    the trace file itself, replaced at each load (default a
//                new <name>-<process id>[-N].trace in the folder)
//   cap=BYTES    the size cap, 1024 to 2147483647 (default 64 MB)
// Relative paths are taken from the tracing module's folder.

constexpr size_t traceSettingPathSize = 1024;
constexpr uint32_t defaultTraceCap = 64u * 1024u * 1024u;

struct traceSettings {
    char module[traceSettingPathSize];  // empty: the default
    char folder[traceSettingPathSize];
    char file[traceSettingPathSize];
    uint32_t cap;
};

// Fills `settings` with the defaults, then reads the file at `path` when
// there is one (true when there was). Every line that is not understood, and
// every value out of range, is reported on the debug output with the file's
// path and the line number and leaves that setting at its default.
bool readTraceSettings(const char* path, traceSettings& settings);
