// The tracing module's export: loaded by the host in place of a panel
// script, it creates the traced module's script through its own host object
// and hands the host its own script object, tracing both (traced_script.h).
#include "script_boundary.h"

#include "trace_file.h"
#include "traced_script.h"
#include "tracing_module.h"

morv_client_callback* MORV_ENTRY_CALL load_morv_client_script(script_host* host, const char* path)
{
    const morvEntryPoint innerEntry = startTracing();
    const bool tracing = traceActive();
    const int32_t instance = tracing ? nextInstanceNumber() : 0;
    if (tracing) {
        const traceField fields[] = {fieldKey("host="), fieldPointer(host), fieldKey("path="), fieldText(path)};
        traceEvent(instance, "load", fields, 4);
    }
    if (innerEntry == nullptr) {
        const traceField field = fieldPointer(nullptr);
        traceEvent(instance, "created", &field, 1);
        flushTrace();
        return nullptr;
    }
    if (!tracing) {
        return innerEntry(host, path);
    }
    tracedScript* const script = new tracedScript(host, instance);
    if (script == nullptr) {
        // No room for the instance: the trace ends and the traced module
        // gets the host's own object, its script goes to the host as it is.
        stopTrace("out of memory");
        return innerEntry(host, path);
    }
    flushTrace();
    morv_client_callback* const inner = innerEntry(script->hostForInner(), path);
    if (inner == nullptr) {
        discardTracedScript(script);
        const traceField field = fieldPointer(nullptr);
        traceEvent(instance, "created", &field, 1);
        flushTrace();
        return nullptr;
    }
    script->adopt(inner);
    const traceField field = fieldPointer(static_cast<morv_client_callback*>(script));
    traceEvent(instance, "created", &field, 1);
    flushTrace();
    return script;
}
