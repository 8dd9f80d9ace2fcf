// The trace's last line when the loader unloads the tracing module (dlclose,
// or the end of the process).
#include "tracing_module.h"

namespace {
__attribute__((destructor)) void unloadTracingModule()
{
    endTracing(false);
}
}  // namespace
