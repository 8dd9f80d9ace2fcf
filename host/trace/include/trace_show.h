#pragma once

#include "trace_reader.h"

#include <optional>
#include <ostream>
#include <string>

namespace panel_host {

// "" when `instance` is one of the trace's, else why not.
std::string traceInstanceProblem(const traceSummary& summary, std::int32_t instance);

// Prints a checked trace (checkTrace) in the transcript's style, instance
// by instance (only `instance` when given): its load, created,
// notifications with the commands sent during each indented below, a call
// the host made from inside a command indented below that command, destroy
// and destroyed, and the module's own events around them; a note when the
// trace ends without unload or stop, saying where and why.
void showTrace(const traceSource& source, const traceSummary& summary, std::optional<std::int32_t> instance,
               std::ostream& out);

}  // namespace panel_host
