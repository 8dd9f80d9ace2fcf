// The boundary as the compilers lay it out: implementations of the host
// object and of a script object, so that every compiler emits their tables.
// scripts/check-boundary-layout compiles this file for the Microsoft target
// and compares the table dumps with those of the MinGW build.
#include "morv_client_callback.h"
#include "notify_codes.h"
#include "script_host.h"

class layoutHost final : public script_host {
public:
    void reserved() override {}
    const char* send(const char* text, int32_t code) override { return code == sendExecute ? text : nullptr; }
};

class layoutScript final : public morv_client_callback {
public:
    const char* notify(void* payload, int32_t code) override
    {
        return code == notifyQuery ? static_cast<const char*>(payload) : nullptr;
    }
};

layoutHost* makeLayoutHost()
{
    return new layoutHost;
}
morv_client_callback* makeLayoutScript()
{
    return new layoutScript;
}
void destroyLayoutScript(morv_client_callback* script)
{
    destroyScript(script);
}
