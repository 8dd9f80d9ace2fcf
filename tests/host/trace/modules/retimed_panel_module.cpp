// The routing panel with one command changed, for replays that must fail at
// it: this module loads the built routing panel (buildPaths::vantryModule) and
// gives it a host of its own that forwards every send unchanged, except that
// the flash timer is started with "ET 1 999" instead of "ET 1 1000".
#include "build_paths.h"
#include "morv_client_callback.h"
#include "script_host.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <vector>

#define RETIMED_EXPORT __attribute__((visibility("default")))

namespace {

class retimingHost final : public script_host {
public:
    explicit retimingHost(script_host* host) : host_(host) {}

    void MORV_BOUNDARY_CALL reserved() override { host_->reserved(); }
    const char* MORV_BOUNDARY_CALL send(const char* text, int32_t code) override
    {
        if (code == 0 && text != nullptr && std::strcmp(text, "ET 1 1000") == 0) {
            text = "ET 1 999";
        }
        return host_->send(text, code);
    }

private:
    script_host* host_;
};

// Each script sends through its host until it is deleted: the hosts stay
// until the module is unloaded.
std::vector<std::unique_ptr<retimingHost>> hosts;

}  // namespace

extern "C" RETIMED_EXPORT morv_client_callback* load_morv_client_script(script_host* host, const char* path)
{
    using entry = morv_client_callback* (*)(script_host*, const char*);
    static void* const panel = dlopen(buildPaths::vantryModule, RTLD_NOW | RTLD_LOCAL);
    const entry create = panel != nullptr ? reinterpret_cast<entry>(dlsym(panel, "load_morv_client_script")) : nullptr;
    if (create == nullptr) {
        return nullptr;
    }
    if (host == nullptr) {
        return create(nullptr, path);  // no host object: nothing to retime
    }
    hosts.push_back(std::make_unique<retimingHost>(host));
    return create(hosts.back().get(), path);
}
