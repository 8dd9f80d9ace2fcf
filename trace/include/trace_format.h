#pragma once

#include <stdint.h>

// The words of the trace format (host/README.md, "Trace files"): the version
// line, the event names, the field names and the fixed words, shared by the
// tracing module that writes traces, panel-host's reader and the reader's
// fuzz target. Freestanding: plain constants, no library.

// The version the tracing module writes; panel-host reads it and version 1.
constexpr int32_t traceFormatVersion = 2;
// The first line is this prefix and the version number.
constexpr char traceVersionPrefix[] = "morv-trace ";
constexpr char traceVersionLine[] = "morv-trace 2";

// Event names, the fourth word of every line after the first.
namespace traceEventWord {
constexpr char trace[] = "trace";
constexpr char innerLoaded[] = "inner-loaded";
constexpr char innerFailed[] = "inner-failed";
constexpr char load[] = "load";
constexpr char created[] = "created";
constexpr char notify[] = "notify";
constexpr char returned[] = "returned";
constexpr char send[] = "send";
constexpr char reply[] = "reply";  // version 2
constexpr char destroy[] = "destroy";
constexpr char destroyed[] = "destroyed";
constexpr char stop[] = "stop";
constexpr char unload[] = "unload";
}  // namespace traceEventWord

// Keys, written "key=" before their value.
namespace traceKey {
constexpr char module[] = "module";
constexpr char inner[] = "inner";
constexpr char pid[] = "pid";
constexpr char cap[] = "cap";
constexpr char clock[] = "clock";  // version 2
constexpr char host[] = "host";
constexpr char path[] = "path";
constexpr char device[] = "device";
constexpr char index[] = "index";
constexpr char value[] = "value";
constexpr char text[] = "text";
constexpr char panel[] = "panel";
constexpr char control[] = "control";
constexpr char event[] = "event";         // version 1: the button's event rebuilt as one text
constexpr char name[] = "name";           // version 2: the button's event, field by field
constexpr char hasValue[] = "has-value";  // version 2
constexpr char count[] = "count";         // version 2
constexpr char part[] = "part";           // version 2, once per part
}  // namespace traceKey

// Fixed words.
namespace traceWord {
constexpr char null[] = "null";
constexpr char arrow[] = "->";  // version 1: between a command and its reply
// What a notify's payload is, after its code.
constexpr char tally[] = "tally";
constexpr char button[] = "button";
constexpr char query[] = "query";
constexpr char timer[] = "timer";
constexpr char giveback[] = "giveback";
constexpr char payload[] = "payload";
// The clock of the times (clock=): the system's monotonic clock, or the
// host's own (panel-host's virtual clock).
constexpr char systemClock[] = "system";
constexpr char hostClock[] = "host";
}  // namespace traceWord

// The quoted form of a TEXT field, which panel-host's transcripts and
// scenarios share: in double quotes, the backslash and the double quote
// written after a backslash, and every byte outside printable ASCII as a
// backslash, 'x' and two lowercase hex digits.
namespace traceQuoting {
constexpr char quote = '"';
constexpr char escape = '\\';
constexpr char byteEscape = 'x';
constexpr char hexDigits[] = "0123456789abcdef";
constexpr unsigned char firstPlain = 0x20;
constexpr unsigned char lastPlain = 0x7E;
}  // namespace traceQuoting

// A program that loads panel modules may export a function of this name,
//   extern "C" long long morv_host_clock_milliseconds(void);
// returning the time of its own clock in milliseconds, or a negative number
// when it has none at the moment (panel-host: its virtual clock, during a
// call into a script on its thread). The tracing module then writes the
// host's times (clock=host).
constexpr char traceHostClockSymbol[] = "morv_host_clock_milliseconds";

// An environment variable: when set, the folder the trace goes to, over the
// settings file's folder and file (panel-host validate sets it).
constexpr char traceFolderVariable[] = "MORV_TRACE_FOLDER";
