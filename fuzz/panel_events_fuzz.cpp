// Fuzz target: whole-module event sequences.
//
// The input is decoded into a host (its replies, or no host at all), a layout
// path and a sequence of notifications: list choices of any value, presses of
// any control on any panel, ticks of any timer, tallies of any device and
// index with any inline text, queries of any text, releases, the codes 6 and
// 7 and codes outside 1..7. They reach a panel created through the module's
// real export, loaded from the built module as a host loads it, and its
// command stream is checked by panelStreamChecks. Sanitizers catch the rest.
// With MORV_FUZZ_TRACE set, every input's calls are printed.
#include "build_paths.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "fuzz_target.h"
#include "host_records.h"
#include "script_boundary.h"
#include "module_library.h"
#include "notify_codes.h"
#include "panel_stream_checks.h"
#include "parsed_message.h"
#include "recording_host.h"
#include "tally_record_storage.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace {

// Events per input; long enough for several full flashes of "Take".
constexpr int maxEvents = 96;
// The sizes of the long texts that queries, tallies and names may carry, up
// to 100 kB.
constexpr std::size_t longTextSizes[] = {300, 4 * 1024, 32 * 1024, 100 * 1024};
// The "SD" reply is decoded at every start-up: a few kB give it more tokens
// than the decoder keeps, longer ones would only slow the fuzzer down.
constexpr std::size_t longestLookupReply = 4 * 1024;

morvEntryPoint loadScript = nullptr;

// A text for the host record fields and replies: short texts from the input
// and now and then a long one, up to `longest`, made by repeating a short
// piece.
std::string someText(fuzzInput& input, std::size_t maxLength, std::size_t longest = longTextSizes[3])
{
    if (input.choice(128) != 0) {
        return input.text(maxLength);
    }
    const std::size_t size = std::min(longTextSizes[input.choice(4)], longest);
    std::string text = input.text(8);
    if (text.empty()) {
        text = ".";
    }
    while (text.size() < size) {
        text += text;
    }
    text.resize(size);
    return text;
}

std::optional<std::string> someReply(fuzzInput& input, std::initializer_list<const char*> usual,
                                     std::size_t longest = longTextSizes[3])
{
    const unsigned kind = input.choice(static_cast<unsigned>(usual.size()) + 2);
    if (kind == 0) {
        return std::nullopt;
    }
    if (kind == 1) {
        return someText(input, 64, longest);
    }
    return std::string(usual.begin()[kind - 2]);
}

// A host record field: mostly the usual texts, sometimes anything, sometimes
// a null pointer.
std::optional<std::string> someField(fuzzInput& input, std::initializer_list<const char*> usual)
{
    const unsigned kind = input.choice(static_cast<unsigned>(usual.size()) + 2);
    if (kind == 0) {
        return std::nullopt;
    }
    if (kind == 1) {
        return input.text(24);
    }
    return std::string(usual.begin()[kind - 2]);
}

const char* textOrNull(const std::optional<std::string>& text)
{
    return text ? text->c_str() : nullptr;
}

// One scripted session: the host, the script and the checks.
class session {
public:
    session(fuzzInput& input, bool withHost) : input_(input), withHost_(withHost), checks_(host_) {}

    void run()
    {
        configureHost();
        const std::optional<std::string> path = someField(input_, {"", "layouts", "/opt/panels/"});
        script_ = loadScript(withHost_ ? &host_ : nullptr, textOrNull(path));
        fuzzCheck(script_ != nullptr, "the export creates a script");
        observe([&] { checks_.afterStartUp(); });
        for (int event = 0; event < maxEvents && !input_.empty(); ++event) {
            deliverOne();
        }
        destroyScript(script_);
        observe([&] { checks_.afterDestruction(); });
        // MORV_FUZZ_TRACE shows what an input did, for a look at a saved one.
        if (std::getenv("MORV_FUZZ_TRACE") != nullptr) {
            std::fprintf(stderr, "%s", checks_.transcript().c_str());
        }
    }

private:
    template <typename Check>
    void observe(Check check)
    {
        if (withHost_) {
            check();
        }
    }

    void configureHost()
    {
        host_.answer("", input_.flag() ? std::optional<std::string>("OK") : std::nullopt);
        host_.answer("SD",
                     someReply(input_, {"7", "0", "-3 2", "'B4 Audio Router' 9", "2147483647"}, longestLookupReply));
        host_.answer("RN", someReply(input_, {"", "Mic 1", "Desk 'A'"}));
        host_.answer("TG", someReply(input_, {"text=x"}));
        host_.answer("XI", someReply(input_, {"alm_1,alm_2"}));
    }

    void deliverOne()
    {
        switch (input_.choice(10)) {
        case 0:
        case 1:
            listChoice();
            break;
        case 2:
            press();
            break;
        case 3:
        case 4:
            tick();
            break;
        case 5:
            tally();
            break;
        case 6:
            query();
            break;
        case 7:
            nullRecord();
            break;
        case 8:
            opaqueRecord();
            break;
        default:
            unknownCode();
            break;
        }
    }

    void button(const std::optional<std::string>& panel, const std::optional<std::string>& control,
                const std::optional<std::string>& eventText)
    {
        const std::unique_ptr<parsedMessage> event =
            eventText ? std::make_unique<parsedMessage>(eventText->c_str()) : nullptr;
        hostButtonRecord record{};
        record.panel = textOrNull(panel);
        record.control = textOrNull(control);
        record.event = event.get();
        fuzzCheck(script_->notify(&record, notifyButton) == nullptr, "a button event answers null");
        observe([&] { checks_.afterButton(record.panel, record.control, event ? event->value : nullptr); });
    }

    std::optional<std::string> panelField() { return someField(input_, {"1", "1", "1", "2", "01", " 1", "1 "}); }

    void listChoice()
    {
        const std::optional<std::string> panel = panelField();
        const std::string list = input_.flag() ? "Sources" : "Destinations";
        std::optional<std::string> eventText;
        switch (input_.choice(4)) {
        case 0:
            eventText = "select=-1";
            break;
        case 1:
            eventText = someText(input_, 32);
            break;
        case 2:
            eventText = std::nullopt;
            break;
        default:
            eventText = "select=" + std::to_string(input_.interestingInt());
            break;
        }
        button(panel, list, eventText);
    }

    void press()
    {
        const std::optional<std::string> panel = panelField();
        const std::optional<std::string> control =
            someField(input_, {"Take", "Take", "Clear", "Clear", "Sources", "Destinations", "ActionAll", "AckAll", ""});
        const std::optional<std::string> eventText = someField(input_, {"click", "alarm=1", ""});
        button(panel, control, eventText);
    }

    void tick()
    {
        const std::int32_t id = input_.choice(4) != 0 ? 1 : input_.interestingInt();
        void* payload = reinterpret_cast<void*>(static_cast<std::intptr_t>(id));
        fuzzCheck(script_->notify(payload, notifyTimer) == nullptr, "a timer tick answers null");
        observe([&] { checks_.afterTimer(id); });
    }

    void tally()
    {
        std::int32_t device = 0;
        switch (input_.choice(3)) {
        case 0:
            device = checks_.routerDevice();
            break;
        case 1:
            device = input_.interestingInt();
            break;
        default:
            break;
        }
        const std::int32_t index = input_.interestingInt();
        const std::int32_t value = input_.interestingInt();
        const std::string text = someText(input_, 32);
        tallyRecordStorage record(device, index, value, text.c_str());
        fuzzCheck(script_->notify(record.record(), notifyTally) == nullptr, "a tally answers null");
        observe([&] { checks_.afterOther("a tally"); });
    }

    void query()
    {
        std::optional<std::string> text;
        switch (input_.choice(6)) {
        case 0:
            text = std::nullopt;
            break;
        case 1:
            text = "return=all";
            break;
        case 2:
            text = "_events";
            break;
        case 3:
            text = "_commands.x=y";
            break;
        default:
            text = someText(input_, 64);
            break;
        }
        const char* reply = script_->notify(const_cast<char*>(textOrNull(text)), notifyQuery);
        fuzzCheck(reply == nullptr || std::strlen(reply) > 0, "a query reply is null or a non-empty text");
        // The host gives every reply back, as a host must.
        script_->notify(const_cast<char*>(reply), notifyRelease);
        observe([&] { checks_.afterOther("a query"); });
    }

    void nullRecord()
    {
        const std::int32_t code = input_.flag() ? notifyTally : notifyButton;
        fuzzCheck(script_->notify(nullptr, code) == nullptr, "a null record answers null");
        observe([&] { checks_.afterOther("a null record"); });
    }

    void opaqueRecord()
    {
        std::int32_t record[8] = {};
        const std::int32_t code = input_.flag() ? notifyOther6 : notifyOther7;
        void* payload = input_.flag() ? record : nullptr;
        fuzzCheck(script_->notify(payload, code) == nullptr, "codes 6 and 7 answer null");
        observe([&] { checks_.afterOther("code 6 or 7"); });
    }

    void unknownCode()
    {
        std::int32_t code = input_.interestingInt();
        if (code >= notifyTally && code <= notifyOther7) {
            code += notifyOther7;
        }
        // The payload of an unknown code is never looked at.
        void* payload = reinterpret_cast<void*>(static_cast<std::intptr_t>(input_.int32()));
        fuzzCheck(script_->notify(payload, code) == nullptr, "an unknown code answers null");
        observe([&] { checks_.afterOther("an unknown code"); });
    }

    fuzzInput& input_;
    const bool withHost_;
    recordingHost host_;
    panelStreamChecks checks_;
    morv_client_callback* script_ = nullptr;
};

}  // namespace

// The module is the one this build made, unless MORV_FUZZ_MODULE names
// another build of it.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
    const char* chosen = std::getenv("MORV_FUZZ_MODULE");
    const std::string file = chosen != nullptr && *chosen != '\0' ? chosen : buildPaths::vantryModule;
    // Loaded once and kept, as a host keeps a module it has opened.
    static panel_host::moduleLibrary module;
    std::string error;
    panel_host::moduleLibrary::symbolAddress entry = nullptr;
    if (module.open(file, error)) {
        entry = module.symbol(morvEntryPointName, error);
    }
    if (entry == nullptr) {
        std::fprintf(stderr, "cannot load the panel module %s: %s\n", file.c_str(), error.c_str());
        std::abort();
    }
    loadScript = reinterpret_cast<morvEntryPoint>(entry);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzInput input(data, size);
    // One input in sixteen runs without a host.
    const bool withHost = input.choice(16) != 0;
    session(input, withHost).run();
    return 0;
}
