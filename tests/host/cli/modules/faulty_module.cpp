// A panel module with one fault, chosen when it is built (FAULTY_MODULE_*):
//   CRASH        a list choice (notify code 2) crashes it (SIGSEGV; on
//                Windows an access violation)
//   STACK_OVERFLOW  a list choice recurses until the stack is gone
//   ABORT        a list choice calls abort()
//   HANG_EXPORT  the export never returns
//   HANG_NOTIFY  a list choice never returns
//   EXIT_EXPORT  the export ends the process with exit(0)
//   FORGE        a list choice sends texts with line breaks and escape
//                sequences, meant to forge transcript lines and reach the terminal
//   THREAD_SEND  a list choice starts a thread that sends 2,000 commands
//                after notify returned; the script joins it when deleted
// Otherwise it shows panel 1 from the layout folder and says nothing more.
#include "morv_client_callback.h"
#include "script_host.h"

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#define FAULTY_EXPORT __declspec(dllexport)
#else
#include <unistd.h>
#define FAULTY_EXPORT __attribute__((visibility("default")))
#endif

namespace {

[[noreturn, maybe_unused]] void hang()
{
    for (;;) {
#if defined(_WIN32)
        Sleep(1000);
#else
        ::sleep(1);
#endif
    }
}

// What the compiler cannot see through: the recursion has no end it knows
// of, and the pointer written is null only when the program runs.
[[maybe_unused]] volatile int recursionLimit = -1;
[[maybe_unused]] int* volatile nowhere = nullptr;

[[gnu::noinline, maybe_unused]] int recurse(int depth)
{
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    if (depth == recursionLimit) {
        return frame[0];
    }
    return recurse(depth + 1) + frame[0];
}

class faultyScript final : public morv_client_callback {
public:
    faultyScript(script_host* host, const char* path) : host_(host)
    {
        send("PS '1' '" + std::string(path) + "/p1.morv_ui'");
    }
    ~faultyScript() override
    {
        joinSender();
        send("AS");
    }

    const char* notify(void*, std::int32_t code) override
    {
        if (code != 2) {
            return nullptr;
        }
#if defined(FAULTY_MODULE_CRASH) && defined(_WIN32)
        *nowhere = 1;
#elif defined(FAULTY_MODULE_CRASH)
        std::raise(SIGSEGV);
#elif defined(FAULTY_MODULE_STACK_OVERFLOW)
        recurse(0);
#elif defined(FAULTY_MODULE_ABORT)
        std::abort();
#elif defined(FAULTY_MODULE_HANG_NOTIFY)
        hang();
#elif defined(FAULTY_MODULE_FORGE)
        send("TP 'text=a\nerror: forged\033[2J\033]0;title\007' '1' 'New'");
        send("XX\n# no contract breaches\n> press Take");
#elif defined(FAULTY_MODULE_THREAD_SEND)
        joinSender();
        sender_ = std::thread([this] {
            for (int i = 1; i <= 2000; ++i) {
                send("TP 'text=" + std::to_string(i) + "' '1' 'New'");
            }
        });
#endif
        return nullptr;
    }

private:
    void send(const std::string& text)
    {
        host_->send(text.c_str(), 0);
    }

    void joinSender()
    {
        if (sender_.joinable()) {
            sender_.join();
        }
    }

    script_host* host_;
    std::thread sender_;
};

}  // namespace

extern "C" FAULTY_EXPORT morv_client_callback* load_morv_client_script(script_host* host, const char* path)
{
#if defined(FAULTY_MODULE_HANG_EXPORT)
    hang();
#elif defined(FAULTY_MODULE_EXIT_EXPORT)
    std::exit(0);
#endif
    return new faultyScript(host, path);
}
