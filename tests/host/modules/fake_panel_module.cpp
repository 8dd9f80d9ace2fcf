// A minimal panel module for the host's tests. Built three ways:
// FAKE_MODULE_NO_ENTRY leaves out the export, FAKE_MODULE_RETURNS_NULL makes
// the export return null; otherwise the export returns a script that sends
// "HELLO 'path'" at creation, answers every notification with "N code" and
// sends "AS" when deleted.
#include "morv_client_callback.h"
#include "script_host.h"

#include <cstdint>
#include <string>

#if defined(_WIN32)
#define FAKE_EXPORT __declspec(dllexport)
#else
#define FAKE_EXPORT __attribute__((visibility("default")))
#endif

namespace {

class fakeScript final : public morv_client_callback {
public:
    fakeScript(script_host* host, const char* path) : host_(host)
    {
        send("HELLO '" + std::string(path != nullptr ? path : "") + "'");
    }
    ~fakeScript() override { send("AS"); }

    const char* notify(void*, std::int32_t code) override
    {
        send("N " + std::to_string(code));
        return nullptr;
    }

private:
    void send(const std::string& text)
    {
        if (host_ != nullptr) {
            host_->send(text.c_str(), 0);
        }
    }

    script_host* host_;
};

}  // namespace

#ifndef FAKE_MODULE_NO_ENTRY
extern "C" FAKE_EXPORT morv_client_callback* load_morv_client_script(script_host* host, const char* path)
{
#ifdef FAKE_MODULE_RETURNS_NULL
    (void)host;
    (void)path;
    return nullptr;
#else
    return new fakeScript(host, path);
#endif
}
#endif
