// The tracing module's export: loaded by the host in place of a panel
// script, it creates the traced module's script through its own host object
// and hands the host its own script object, tracing both (traced_script.h).
#include "script_boundary.h"

#include "trace_file.h"
#include "trace_format.h"
#include "traced_script.h"
#include "tracing_module.h"

namespace {

void traceCreated(int32_t instance, const void* script)
{
    const traceField field = fieldPointer(script);
    traceEvent(instance, traceEventWord::created, &field, 1);
}

}  // namespace

morv_client_callback* MORV_ENTRY_CALL load_morv_client_script(script_host* host, const char* path)
{
    const morvEntryPoint innerEntry = startTracing();
    // 0 when no trace is written.
    const int32_t instance = traceLoad(host, path);
    if (innerEntry == nullptr) {
        if (instance != 0) {
            traceCreated(instance, nullptr);
        }
        return nullptr;
    }
    if (instance == 0) {
        return innerEntry(host, path);
    }
    tracedScript* const script = new tracedScript(host, instance);
    if (script == nullptr) {
        // No room for the instance: the trace ends and the traced module
        // gets the host's own object, its script goes to the host as it is.
        stopTrace("out of memory");
        return innerEntry(host, path);
    }
    morv_client_callback* const inner = innerEntry(script->hostForInner(), path);
    if (inner == nullptr) {
        discardTracedScript(script);
        traceCreated(instance, nullptr);
        return nullptr;
    }
    script->adopt(inner);
    traceCreated(instance, static_cast<morv_client_callback*>(script));
    return script;
}
