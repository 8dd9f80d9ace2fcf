// A small panel module for the host's tests, built three ways:
// FAKE_MODULE_NO_ENTRY leaves out the export, FAKE_MODULE_RETURNS_NULL makes
// the export return null; otherwise the export returns this script:
//   creation: "PS '1' '<path>/p1.morv_ui'", "RR 1 1 64"
//   code 1 (tally): "ET 77"; in echo mode "RC 1 <value> 1 ',' 0" (endless)
//   code 2 (button): "ET 1 <event value>"
//   code 3 (query): the text "echo" turns echo mode on; returns a new[] "ok"
//   code 4 (timer id): "RC 1 <id> 1 ',' 0"
//   code 5: delete[] of the returned text
//   other codes: "ET <100 + code>"
//   deletion: "AS"
// A notification that arrives while the script is inside send() is answered
// with "REENTERED", which the host cannot parse.
#include "host_records.h"
#include "morv_client_callback.h"
#include "script_host.h"

#include <cstdint>
#include <cstring>
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
        send("PS '1' '" + std::string(path != nullptr ? path : "") + "/p1.morv_ui'");
        send("RR 1 1 64");
    }
    ~fakeScript() override { send("AS"); }

    const char* notify(void* payload, std::int32_t code) override
    {
        if (sending_) {
            send("REENTERED");
            return nullptr;
        }
        switch (code) {
        case 1:
            send(echo_ ? "RC 1 " + std::to_string(static_cast<const hostTallyRecord*>(payload)->value) + " 1 ',' 0"
                       : "ET 77");
            return nullptr;
        case 2:
            send("ET 1 " + std::string(static_cast<const hostButtonRecord*>(payload)->event->value));
            return nullptr;
        case 3:
            return query(static_cast<const char*>(payload));
        case 4:
            send("RC 1 " + std::to_string(reinterpret_cast<std::intptr_t>(payload)) + " 1 ',' 0");
            return nullptr;
        case 5:
            delete[] static_cast<char*>(payload);
            return nullptr;
        default:
            send("ET " + std::to_string(100 + code));
            return nullptr;
        }
    }

private:
    const char* query(const char* text)
    {
        if (text != nullptr && std::strcmp(text, "echo") == 0) {
            echo_ = true;
        }
        char* reply = new char[3];
        std::memcpy(reply, "ok", 3);
        return reply;
    }

    void send(const std::string& text)
    {
        if (host_ != nullptr) {
            sending_ = true;
            host_->send(text.c_str(), 0);
            sending_ = false;
        }
    }

    script_host* host_;
    bool echo_ = false;
    bool sending_ = false;
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
