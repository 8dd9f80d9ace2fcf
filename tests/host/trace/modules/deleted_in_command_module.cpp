// A panel module that a host may delete from inside its command: on a
// button (code 2) it sends "CE '1' 'Take'" and returns at once, reading
// nothing of itself after the command; deleted, it sends "AS". (A script of
// the framework goes on after each command, as the calling rules let it.)
#include "morv_client_callback.h"
#include "script_host.h"

#include <cstdint>

#define DELETED_EXPORT __attribute__((visibility("default")))

namespace {

class lastCommandScript final : public morv_client_callback {
public:
    explicit lastCommandScript(script_host* host) : host_(host) {}
    ~lastCommandScript() override
    {
        if (host_ != nullptr) {
            host_->send("AS", 0);
        }
    }

    const char* notify(void* /*payload*/, std::int32_t code) override
    {
        script_host* const host = host_;
        if (code == 2 && host != nullptr) {
            host->send("CE '1' 'Take'", 0);
        }
        return nullptr;
    }

private:
    script_host* host_;
};

}  // namespace

extern "C" DELETED_EXPORT morv_client_callback* load_morv_client_script(script_host* host, const char* /*path*/)
{
    return new lastCommandScript(host);
}
