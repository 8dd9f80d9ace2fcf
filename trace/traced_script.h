#pragma once

#include "script_boundary.h"

#include <stddef.h>
#include <stdint.h>

// One traced script instance: the script object the host holds in place of
// the traced module's, and the host object the traced module holds in place
// of the host's, in one allocation. Each forwards every call to the real
// object unchanged, every pointer as it came, in the same order, and writes
// the call's lines to the trace (trace_file.h) on the calling thread: the
// call before control leaves the tracing module, what it returned when it
// comes back, so that a call made inside another (a notification the host
// delivers from inside a command) sits where it happened, and a crash on
// either side loses nothing before it. After forwarding, nothing of the
// instance is read: the host may have deleted it meanwhile.

class tracedScript;

class tracedHost final : public script_host {
public:
    tracedHost(script_host* real, int32_t instance) : real_(real), instance_(instance) {}

    // Forwarded to the real host's entry 0 (a script should never call it).
    void MORV_BOUNDARY_CALL reserved() override;
    // Forwarded between a "send" line (the code and the command, or the
    // pointer given back) and a "reply" line (what the host returned).
    const char* MORV_BOUNDARY_CALL send(const char* text, int32_t code) override;

private:
    script_host* real_;
    int32_t instance_;
};

class tracedScript final : public morv_client_callback {
public:
    // In malloc's heap, as scripts are: null when memory runs out.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* object) noexcept;

    // realHost: what the host gave the export (may be null).
    tracedScript(script_host* realHost, int32_t instance);

    // What the traced module's export gets in place of the host's object:
    // null when the host gave null.
    script_host* hostForInner() { return hasHost_ ? &host_ : nullptr; }
    // The traced module's script; the instance owns it from here on.
    void adopt(morv_client_callback* inner) { inner_ = inner; }
    int32_t instance() const { return instance_; }

    const char* MORV_BOUNDARY_CALL notify(void* payload, int32_t code) override;

protected:
    // Forwards the destruction to the traced module's script, between a
    // "destroy" and a "destroyed" line. Nothing when no script was adopted.
    ~tracedScript() override;

private:
    morv_client_callback* inner_ = nullptr;
    tracedHost host_;
    int32_t instance_;
    bool hasHost_;
};

// Ends an instance whose traced module's export returned null: frees it
// without a line and without forwarding anything.
void discardTracedScript(tracedScript* script);
